#include "tests/support/ViewHarness.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <sstream>

namespace brivora::testing {

FakeImages::FakeImages() {
  setImageLoader([this](const std::filesystem::path& path, Size coverBox) {
    ++loads;
    coverBoxes.push_back(coverBox);
    if (onLoad) onLoad();
    const std::string name = path.filename().string();
    if (name.find("broken") != std::string::npos) return std::unique_ptr<Image>();
    const auto found = sizes.find(name);
    const Size size = found != sizes.end() ? found->second : Size{1600, 900};
    auto pixels = std::make_shared<ImagePixels>();
    pixels->width = std::max(1, static_cast<int>(size.width) / 16);
    pixels->height = std::max(1, static_cast<int>(size.height) / 16);
    pixels->argb.assign(static_cast<std::size_t>(pixels->width) * pixels->height, pixelColor);
    return std::make_unique<Image>(path, size, std::move(pixels));
  });
}

FakeImages::~FakeImages() {
  setImageLoader(nullptr);
}

std::uint64_t ScriptedRandom::uniformInteger(std::uint64_t n) {
  if (integers.empty()) return fallback_.uniformInteger(n);
  const std::uint64_t value = integers.front();
  integers.pop_front();
  return value;
}

double ScriptedRandom::uniformDouble(double low, double high) {
  if (doubles.empty()) return fallback_.uniformDouble(low, high);
  const double value = doubles.front();
  doubles.pop_front();
  return value;
}

ViewHarness::ViewHarness(const std::string& themeJson, const std::vector<std::string>& wallpapers) {
  if (!themeJson.empty()) bundle.write("theme.json", themeJson);
  bundle.makeFolder("wallpapers");
  for (const std::string& name : wallpapers) bundle.write("wallpapers/" + name, "");
}

KovaltaScreensaverView& ViewHarness::create(Size size) {
  wallAtCreation_ = clock.now();
  uptimeAtCreation_ = clock.uptime();
  const ViewEnvironment environment{bundle.bundle(), clock, random};
  view_ = std::make_unique<KovaltaScreensaverView>(Rect{Point{}, size}, false, environment);
  // Priming may have moved the clock; times in tests count from the end of creation.
  wallAtCreation_ = clock.now();
  uptimeAtCreation_ = clock.uptime();
  return *view_;
}

void ViewHarness::moveTo(double seconds) {
  clock.set(Date{wallAtCreation_.secondsSince1970 + seconds}, uptimeAtCreation_ + seconds);
}

void ViewHarness::tickAt(double seconds) {
  moveTo(seconds);
  view_->animateOneFrame();
}

std::vector<DrawCall> ViewHarness::draw() {
  RecordingGraphicsContext recording;
  const CurrentGraphicsContext current(recording);
  view_->draw(view_->bounds());
  return recording.calls();
}

std::vector<DrawCall> drawnFrame(const std::string& themeJson, Size size,
                                 const std::string& metaJson, double elapsed,
                                 const std::string& wallpaper) {
  ViewHarness harness(themeJson, {wallpaper});
  if (!metaJson.empty()) harness.bundle.write("meta.json", metaJson);
  harness.create(size);
  harness.moveTo(elapsed);
  return harness.draw();
}

std::optional<TextCall> textDrawn(const std::vector<DrawCall>& calls, std::string_view string) {
  for (const TextCall& call : callsOf<TextCall>(calls)) {
    if (call.text.string == string) return call;
  }
  return std::nullopt;
}

namespace {

::testing::AssertionResult near(std::initializer_list<double> actual,
                                std::initializer_list<double> expected, double tolerance) {
  std::ostringstream text;
  bool same = true;
  for (auto a = actual.begin(), e = expected.begin(); a != actual.end(); ++a, ++e) {
    same = same && std::abs(*a - *e) <= tolerance;
    text << (a == actual.begin() ? "(" : ", ") << *a << " for " << *e;
  }
  return same ? ::testing::AssertionSuccess() : ::testing::AssertionFailure() << text.str() << ")";
}

}  // namespace

::testing::AssertionResult near(Rect actual, Rect expected, double tolerance) {
  return near({actual.minX(), actual.minY(), actual.width(), actual.height()},
              {expected.minX(), expected.minY(), expected.width(), expected.height()}, tolerance);
}

::testing::AssertionResult near(Point actual, Point expected, double tolerance) {
  return near({actual.x, actual.y}, {expected.x, expected.y}, tolerance);
}

}  // namespace brivora::testing
