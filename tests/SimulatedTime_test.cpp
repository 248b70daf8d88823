// The view over long stretches of simulated time, as a host drives it: an hour of a hostile
// bundle, a hundred thousand cycles with memory watched, and wall-clock steps mid-cycle.
#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <cstddef>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <tuple>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
// From the sanitizer's runtime; GCC installs no header for it.
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#else
#include <malloc.h>
#endif

#include "Brivora/KovaltaScreensaverView.h"
#include "backends/cairo/CairoGraphicsContext.h"
#include "backends/codecs/ImageCodecs.h"
#include "backends/recording/RecordingGraphicsContext.h"
#include "hosts/headless/HeadlessSession.h"
#include "platform/Date.h"
#include "tests/support/HostileBundles.h"
#include "tests/support/TempBundle.h"
#include "tests/support/TestImageFiles.h"
#include "tests/support/ViewHarness.h"
#include "tests/support/ZoneScope.h"

namespace brivora {
namespace {

constexpr double framesPerSecond = 30;
constexpr std::string_view viewClass = KovaltaScreensaverView::principalClassName;

// The real decoders while alive, as the hosts install them.
class RealImages {
 public:
  RealImages() { setImageLoader(loadImage); }
  ~RealImages() { setImageLoader(nullptr); }
  RealImages(const RealImages&) = delete;
  RealImages& operator=(const RealImages&) = delete;
};

const KovaltaScreensaverView& viewOf(const HeadlessSession& session) {
  return dynamic_cast<const KovaltaScreensaverView&>(*session.view());
}

Date dateFrom(std::string_view text) {
  const std::optional<Date> date = parseInternetDateTime(text, FractionalSeconds::absent);
  EXPECT_TRUE(date) << text;
  return date.value_or(Date{});
}

double secondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Ten minutes over midnight: some 2400 loads, most of them of bad files, so that a descriptor
// kept by each load would run out the process's usual 1024.
constexpr long simulatedSeconds = 600;

long openDescriptors() {
  return std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {});
}

TEST(SimulatedTime, HostileBundlePlaysTenMinutesAtThirtyFramesASecondInASmallView) {
  const RealImages images;
  // A quarter-second cycle: four changes a second, most of them onto a bad file.
  const Bundle bundle(testing::hostileBundles() / "short-cycle");
  HeadlessSession session(viewClass, Size{320, 180}, bundle, dateFrom("2026-03-01T23:55:00Z"), 5);
  ASSERT_NE(session.view(), nullptr);
  CairoGraphicsContext canvas(320, 180);
  session.draw(canvas);
  const long descriptors = openDescriptors();
  const auto start = std::chrono::steady_clock::now();
  constexpr long frames = simulatedSeconds * static_cast<long>(framesPerSecond);
  long cycleChanges = 0;
  std::int64_t shown = viewOf(session).currentIndex();
  for (long frame = 1; frame <= frames; ++frame) {
    session.advanceTo(static_cast<double>(frame) / framesPerSecond);
    session.draw(canvas);
    if (viewOf(session).currentIndex() != shown) {
      shown = viewOf(session).currentIndex();
      ++cycleChanges;
    }
  }
  std::printf("%ld simulated seconds of frames took %.1f s\n", simulatedSeconds,
              secondsSince(start));
  EXPECT_GT(cycleChanges, simulatedSeconds * 3);
  EXPECT_LE(openDescriptors(), descriptors + 2);
  EXPECT_DOUBLE_EQ(session.elapsed(), static_cast<double>(simulatedSeconds));
}

// What the process holds: live heap bytes and resident bytes.
struct Footprint {
  long heapBytes = 0;
  long residentBytes = 0;
};

// Measured with the text caches emptied: they fill up to their budget as new clock and
// countdown texts come, by design, and would hide any other growth.
Footprint footprint(CairoGraphicsContext& canvas) {
  canvas.forgetTextCaches();
  Footprint now;
#if defined(__SANITIZE_ADDRESS__)
  // Freed blocks wait in the sanitizer's quarantine, so resident memory says nothing here.
  now.heapBytes = static_cast<long>(__sanitizer_get_current_allocated_bytes());
#else
  malloc_trim(0);
  const struct mallinfo2 info = mallinfo2();
  now.heapBytes = static_cast<long>(info.uordblks + info.hblkhd);
  long pages = 0;
  long resident = 0;
  if (std::ifstream statm("/proc/self/statm"); statm >> pages >> resident) {
    now.residentBytes = resident * sysconf(_SC_PAGESIZE);
  }
#endif
  return now;
}

TEST(SimulatedTime, MemoryStaysFlatOverAHundredThousandCycles) {
  const RealImages images;
  testing::TempBundle bundle;
  bundle.write("wallpapers/a.jpg",
               testing::encodeJpeg(testing::solidPicture(16, 9, {200, 40, 40})));
  bundle.write("wallpapers/b.png", testing::encodePng(testing::solidPicture(16, 9, {40, 200, 40})));
  bundle.write("wallpapers/c.jpg",
               testing::encodeJpeg(testing::quadrantPicture(16, 9, testing::quadrantColours)));
  bundle.write("wallpapers/broken.png", "not an image");
  // Two ticks a cycle, a crossfade in each, every overlay on.
  bundle.write("theme.json", R"({"cycleSeconds": 0.05, "crossfadeSeconds": 0.02,
      "credit": "Soak", "countdownTo": "2999-01-01T00:00:00Z", "countdownBgEnabled": true})");
  bundle.write("meta.json", R"({"default": {"name": "Soak XI", "subtitle": "S", "fact": "F"},
      "patterns": [{"match": "b", "name": "Bee"}]})");

  HeadlessSession session(viewClass, Size{64, 36}, bundle.bundle(),
                          dateFrom("2026-03-01T00:00:00Z"), 3);
  ASSERT_NE(session.view(), nullptr);
  CairoGraphicsContext canvas(64, 36);
  constexpr long warmUpCycles = 5'000;
  constexpr long cycles = 100'000;
  const auto start = std::chrono::steady_clock::now();
  Footprint warm;
  long cycle = 0;
  std::int64_t shown = viewOf(session).currentIndex();
  for (long tick = 1; cycle < cycles; ++tick) {
    session.advanceTo(static_cast<double>(tick) / framesPerSecond);
    if (viewOf(session).currentIndex() == shown) continue;
    shown = viewOf(session).currentIndex();
    session.draw(canvas);
    if (++cycle == warmUpCycles) warm = footprint(canvas);
  }
  const Footprint end = footprint(canvas);
  std::printf("%ld cycles took %.1f s; heap %ld -> %ld bytes, resident %ld -> %ld bytes\n", cycles,
              secondsSince(start), warm.heapBytes, end.heapBytes, warm.residentBytes,
              end.residentBytes);
  constexpr long heapMargin = 256 * 1024;
  constexpr long residentMargin = 2 * 1024 * 1024;
  EXPECT_LT(end.heapBytes - warm.heapBytes, heapMargin);
  EXPECT_LT(end.residentBytes - warm.residentBytes, residentMargin);
}

// Each image drawn: its file, place and fraction.
std::vector<std::tuple<std::string, Rect, double>> imageDraws(const std::vector<DrawCall>& calls) {
  std::vector<std::tuple<std::string, Rect, double>> draws;
  for (const ImageCall& call : testing::callsOf<ImageCall>(calls)) {
    draws.emplace_back(call.file, call.rect, call.fraction);
  }
  return draws;
}

TEST(SimulatedTime, WallClockStepMovesTheClockButNotTheSlideshow) {
  const ZoneScope zone("America/New_York");
  testing::FakeImages images;
  testing::TempBundle bundle;
  for (const char* name : {"a.jpg", "b.jpg", "c.jpg", "d.jpg"})
    bundle.write(std::string("wallpapers/") + name, "");
  bundle.write("theme.json",
               R"({"timeFormat": "h:mm a", "dateFormat": "EEE d", "cycleSeconds": 30,
                   "crossfadeSeconds": 2})");
  const Date created = dateFrom("2026-03-01T10:00:00Z");

  // Seconds the wall clock jumps at 10 s in, and what the clock reads at 20 s in New York.
  const std::pair<double, std::string> rows[] = {
      {3600, "6:00 AM"}, {-3600, "4:00 AM"}, {0, "5:00 AM"}};
  for (const auto& [step, clock] : rows) {
    SCOPED_TRACE(step);
    HeadlessSession steady(viewClass, Size{320, 180}, bundle.bundle(), created, 9);
    HeadlessSession stepped(viewClass, Size{320, 180}, bundle.bundle(), created, 9);
    steady.advanceTo(10);
    stepped.advanceTo(10);
    stepped.setWallTime(Date{created.secondsSince1970 + 10 + step});
    // Mid-cycle, in the crossfade, and after the next two cycle changes.
    for (double moment : {20.0, 29.0, 45.0, 61.0}) {
      SCOPED_TRACE(moment);
      steady.advanceTo(moment);
      stepped.advanceTo(moment);
      RecordingGraphicsContext steadyCalls;
      RecordingGraphicsContext steppedCalls;
      steady.draw(steadyCalls);
      stepped.draw(steppedCalls);
      const auto drawn = imageDraws(steadyCalls.calls());
      EXPECT_EQ(imageDraws(steppedCalls.calls()), drawn);
      // Two images exactly while the crossfade runs, from 28 s to the change at 30 s.
      EXPECT_EQ(drawn.size(), moment == 29.0 ? 2u : 1u);
      if (moment == 20.0) {
        EXPECT_TRUE(testing::textDrawn(steppedCalls.calls(), clock)) << clock;
        EXPECT_TRUE(testing::textDrawn(steadyCalls.calls(), "5:00 AM"));
        EXPECT_TRUE(testing::textDrawn(steadyCalls.calls(), "SUN 1"));
      }
    }
  }
}

}  // namespace
}  // namespace brivora
