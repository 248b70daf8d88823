// Whole frames of the view under any theme: a bundle is made for each input, the view is
// created and ticked as the headless host does, and a few moments are drawn on a recording
// context. Images are made up at the sizes the input picks, so nothing is decoded.
#include <array>
#include <filesystem>
#include <string>

#include "Brivora/KovaltaScreensaverView.h"
#include "backends/recording/RecordingGraphicsContext.h"
#include "hosts/headless/HeadlessSession.h"
#include "tests/fuzz/FuzzInput.h"
#include "tests/fuzz/FuzzTargets.h"
#include "tests/support/TempBundle.h"

namespace brivora::fuzzing {

namespace {

constexpr std::array<Size, 8> viewSizes = {
    {{160, 90}, {1920, 1080}, {1, 1}, {90, 160}, {3840, 2160}, {7, 4000}, {4000, 7}, {1366, 768}}};
constexpr std::array<Size, 4> naturalSizes = {{{1600, 900}, {1, 1}, {900, 1600}, {20000, 3}}};

// The first `count` of these are in the bundle; a name with "broken" never loads.
constexpr std::array<std::string_view, 4> wallpaperNames = {
    "01-keeper-dusk.jpg", "02-striker-night.png", "03-captain-ridge.heic", "04-broken.jpg"};

constexpr std::string_view metaJson = R"({
  "default": {"name": "Kovalta FC", "subtitle": "SEASON 2027", "fact": "Founded in a harbour town"},
  "patterns": [
    {"match": "keeper", "name": "Ilse Marenko", "subtitle": "GOALKEEPER · #1"},
    {"match": "striker", "fact": "Scored in eleven matches in a row, a club record that stands"},
    {"match": "captain", "name": "Noor Adebayo-Lind", "subtitle": "", "fact": "天天"}
  ]
})";

// The wall time at creation: a fixed moment moved by whole hours and a few seconds, so the
// clock, the date and a countdown see many different times.
constexpr double baseWallTime = 1'800'000'000;
constexpr double wallTimeStepSeconds = 3607;

// Frames are drawn at up to three moments, each up to 32 seconds after the one before.
constexpr int drawnMoments = 3;
constexpr double elapsedStepSeconds = 0.125;

// Stands in for the decoder while alive: every wallpaper but a broken one has `naturalSize`
// and no pixels, as on a recording host.
class MadeUpImages {
 public:
  explicit MadeUpImages(Size naturalSize) {
    setImageLoader(
        [naturalSize](const std::filesystem::path& path, Size) -> std::unique_ptr<Image> {
          if (path.filename().string().find("broken") != std::string::npos) return nullptr;
          return std::make_unique<Image>(path, naturalSize, std::shared_ptr<const ImagePixels>());
        });
  }
  MadeUpImages(const MadeUpImages&) = delete;
  MadeUpImages& operator=(const MadeUpImages&) = delete;
  ~MadeUpImages() { setImageLoader(nullptr); }
};

}  // namespace

void fuzzOverlay(std::string_view input) {
  FuzzInput bytes(input);
  const Size viewSize = viewSizes[bytes.byte() % viewSizes.size()];
  const std::uint8_t wallpapers = bytes.byte();
  const std::size_t wallpaperCount = wallpapers % (wallpaperNames.size() + 1);
  const Size naturalSize =
      naturalSizes[wallpapers / (wallpaperNames.size() + 1) % naturalSizes.size()];
  const std::uint64_t seed = bytes.byte();
  const std::uint8_t highByte = bytes.byte();
  const auto wallTimeSteps = static_cast<std::int16_t>(highByte << 8 | bytes.byte());
  std::array<double, drawnMoments> moments{};
  for (std::size_t at = 0; at < moments.size(); ++at) {
    moments[at] = (at > 0 ? moments[at - 1] : 0) + bytes.byte() * elapsedStepSeconds;
  }

  // A bundle folder for this input, removed with everything in it afterwards.
  const testing::TempBundle scratch;
  scratch.write("theme.json", bytes.rest());
  scratch.write("meta.json", metaJson);
  scratch.makeFolder("wallpapers");
  for (std::size_t index = 0; index < wallpaperCount; ++index) {
    scratch.write("wallpapers/" + std::string(wallpaperNames[index]), "");
  }
  const MadeUpImages images(naturalSize);
  HeadlessSession session(KovaltaScreensaverView::principalClassName, viewSize, scratch.bundle(),
                          Date{baseWallTime + wallTimeSteps * wallTimeStepSeconds}, seed);
  requireThat(session.view() != nullptr, "the view class is registered");
  RecordingGraphicsContext recording;
  for (const double moment : moments) {
    session.advanceTo(moment);
    session.draw(recording);
    recording.clear();
  }
}

}  // namespace brivora::fuzzing
