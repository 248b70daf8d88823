#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "Brivora/KovaltaScreensaverView.h"
#include "backends/recording/RecordingGraphicsContext.h"
#include "platform/Clock.h"
#include "platform/RandomSource.h"
#include "tests/support/TempBundle.h"

namespace brivora::testing {

// Stands in for the image decoder while alive: every file loads at the size its name was
// given (1600 × 900 otherwise), as pixels of a sixteenth of that size, all in `pixelColor`;
// names containing "broken" do not load.
class FakeImages {
 public:
  FakeImages();
  ~FakeImages();
  FakeImages(const FakeImages&) = delete;
  FakeImages& operator=(const FakeImages&) = delete;

  std::map<std::string, Size> sizes;
  std::uint32_t pixelColor = 0xFFFF0000;
  int loads = 0;
  std::vector<Size> coverBoxes;
  std::function<void()> onLoad;  // runs inside every load, before it returns
};

// Gives queued draws first, then seeded ones.
class ScriptedRandom final : public RandomSource {
 public:
  std::deque<std::uint64_t> integers;
  std::deque<double> doubles;

  std::uint64_t uniformInteger(std::uint64_t n) override;
  double uniformDouble(double low, double high) override;

 private:
  SeededRandomSource fallback_{7};
};

// A bundle, a clock, a random source and fake images around one view.
class ViewHarness {
 public:
  // A bundle with `themeJson` as theme.json (none when empty) and empty wallpaper files.
  explicit ViewHarness(const std::string& themeJson, const std::vector<std::string>& wallpapers);

  KovaltaScreensaverView& create(Size size = Size{160, 90});
  KovaltaScreensaverView& view() { return *view_; }

  // Sets the clocks `seconds` after the moment of creation, then ticks.
  void tickAt(double seconds);
  // Sets the clocks `seconds` after the moment of creation without ticking.
  void moveTo(double seconds);
  // Draws the view on a recording context and gives its calls.
  std::vector<DrawCall> draw();

  TempBundle bundle;
  ManualClock clock{Date{1'800'000'000}, 500};
  ScriptedRandom random;
  FakeImages images;

 private:
  std::unique_ptr<KovaltaScreensaverView> view_;
  Date wallAtCreation_;
  double uptimeAtCreation_ = 0;
};

// The calls of a frame `elapsed` seconds after the creation of a view of `size` over one
// wallpaper, with `themeJson` and `metaJson` (none when empty).
std::vector<DrawCall> drawnFrame(const std::string& themeJson, Size size,
                                 const std::string& metaJson = "", double elapsed = 0,
                                 const std::string& wallpaper = "a.jpg");

// The draw calls of one kind, in order.
template <typename Call>
std::vector<Call> callsOf(const std::vector<DrawCall>& calls) {
  std::vector<Call> found;
  for (const DrawCall& call : calls) {
    if (const Call* each = std::get_if<Call>(&call)) found.push_back(*each);
  }
  return found;
}

// The text drawn with exactly `string`, if any.
std::optional<TextCall> textDrawn(const std::vector<DrawCall>& calls, std::string_view string);

// Whether `actual` is `expected` within `tolerance` in every coordinate.
::testing::AssertionResult near(Rect actual, Rect expected, double tolerance = 1e-9);
::testing::AssertionResult near(Point actual, Point expected, double tolerance = 1e-9);

// Runs `work` with a recording context current, so texts measure with its fixed metrics.
template <typename Work>
auto whileRecording(Work work) {
  RecordingGraphicsContext recording;
  const CurrentGraphicsContext current(recording);
  return work();
}

}  // namespace brivora::testing
