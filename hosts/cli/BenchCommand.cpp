// `brivora bench`: times the frames of the screen saver off screen, as a host would draw them.
#include <sys/resource.h>

#include <chrono>
#include <cmath>
#include <iomanip>
#include <nlohmann/json.hpp>
#include <thread>

#include "Brivora/KovaltaScreensaverView.h"
#include "backends/cairo/CairoGraphicsContext.h"
#include "backends/codecs/ImageCodecs.h"
#include "hosts/cli/Commands.h"
#include "hosts/cli/FrameTimes.h"
#include "hosts/cli/JsonOutput.h"
#include "hosts/cli/OptionReader.h"
#include "hosts/cli/SizeOption.h"
#include "hosts/headless/HeadlessSession.h"
#include "platform/Clock.h"

namespace brivora::cli {

namespace {

constexpr long defaultFrames = 240;
constexpr long maxFrames = 100'000;
// Cycle changes timed per run: enough that one slow decode shows.
constexpr int cyclesTimed = 3;
// The most ticks simulated for one cycle: ten minutes at 30 frames a second.
constexpr double maxTicksPerCycle = 30 * 600;
// Holding frames are timed from this far into a cycle, once the caption is fully shown.
constexpr double holdingFromSeconds = 1;

struct BenchOptions {
  BundleChoice source;
  std::optional<Size> size;
  long frames = defaultFrames;
  bool json = false;
};

BenchOptions parseBenchOptions(std::span<const std::string> arguments) {
  BenchOptions options;
  OptionReader reader(arguments);
  while (reader.next()) {
    const std::string& name = reader.name();
    if (takeBundleOption(reader, options.source)) continue;
    if (name == "--size") {
      options.size = sizeOption(reader.value());
    } else if (name == "--frames") {
      options.frames = framesOption(reader.value(), 2, maxFrames);
    } else if (reader.word() == "--json") {
      options.json = true;
    } else {
      reader.reject();
    }
  }
  if (!options.size) throw UsageError("bench needs --size WIDTHxHEIGHT");
  return options;
}

using Stopwatch = std::chrono::steady_clock;

double millisecondsSince(Stopwatch::time_point start) {
  return std::chrono::duration<double, std::milli>(Stopwatch::now() - start).count();
}

// The most memory the process has held, in MiB.
double peakResidentMegabytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024;  // ru_maxrss is in KiB on Linux
}

struct BenchResult {
  std::vector<double> holding;
  std::vector<double> crossfade;
  std::vector<double> cycleChanges;
  double firstFrame = 0;
};

// Steps the view frame by frame through `cyclesTimed` cycle changes, timing each frame's tick
// and draw: the first holding frames of every cycle, the first crossfade frames, and every
// frame whose tick began a crossfade or a cycle. Frames in between are ticked, not drawn.
class FrameTimer {
 public:
  FrameTimer(const BenchOptions& options, const Bundle& bundle) {
    const long holdingFrames = (options.frames + 1) / 2;
    holdingPerCycle_ = (holdingFrames + cyclesTimed - 1) / cyclesTimed;
    crossfadePerCycle_ = (options.frames - holdingFrames + cyclesTimed - 1) / cyclesTimed;
    holdingWanted_ = holdingFrames;
    crossfadeWanted_ = options.frames - holdingFrames;

    const Stopwatch::time_point start = Stopwatch::now();
    session_.emplace(KovaltaScreensaverView::principalClassName, *options.size, bundle,
                     SystemClock().now(), 1);
    if (!session_->view()) throw EnvironmentError("the screen saver view could not be created");
    canvas_.emplace(static_cast<int>(options.size->width), static_cast<int>(options.size->height));
    drawFrame();
    result_.firstFrame = millisecondsSince(start);
    view_ = dynamic_cast<KovaltaScreensaverView*>(session_->view());
  }

  BenchResult run(std::ostream& progress) {
    if (!view_ || view_->imageURLs().empty()) {
      // Without wallpapers every frame holds: the clock over black.
      while (static_cast<long>(result_.holding.size()) < holdingWanted_) {
        result_.holding.push_back(timeFrame());
      }
      return result_;
    }
    const double interval = view_->animationTimeInterval();
    const double holdingFrom = std::min(holdingFromSeconds, view_->theme().cycleSeconds / 4);
    double cycleStart = 0;
    long holdingThisCycle = 0;
    long crossfadeThisCycle = 0;
    int cycles = 0;
    // Whether the last cycle timed a kind of frame that was still short of its count.
    bool lastCycleHelped = true;
    bool holdingShort = true;
    bool crossfadeShort = true;
    // A cycle takes at most this many ticks; more means the view never changes cycle, or
    // takes longer than is worth simulating (a theme may ask for any length).
    const double cycleTicks = view_->theme().cycleSeconds / interval + 2;
    const double ticksPerCycle = cycleTicks <= maxTicksPerCycle ? cycleTicks : maxTicksPerCycle;
    double ticksThisCycle = 0;
    // Short crossfades give fewer frames a cycle than asked for: more cycles make up the count.
    while (cycles < cyclesTimed || (lastCycleHelped && !enoughFrames())) {
      const Image* current = view_->currentImage();
      const bool wasCrossfading = view_->isCrossfading();
      const double moment = session_->elapsed() + interval;
      const double phase = moment - cycleStart;
      const Stopwatch::time_point start = Stopwatch::now();
      session_->advanceTo(moment);
      const bool changedCycle = view_->currentImage() != current;
      const bool beganCrossfade = !wasCrossfading && view_->isCrossfading();
      const bool crossfading = view_->isCrossfading();
      const bool timeHolding = !crossfading && !changedCycle && phase >= holdingFrom &&
                               holdingThisCycle < holdingPerCycle_;
      const bool timeCrossfade =
          crossfading && !beganCrossfade && crossfadeThisCycle < crossfadePerCycle_;
      if (changedCycle || beganCrossfade || timeHolding || timeCrossfade) {
        drawFrame();
        const double spent = millisecondsSince(start);
        if (changedCycle || beganCrossfade) {
          result_.cycleChanges.push_back(spent);
        } else if (timeHolding) {
          result_.holding.push_back(spent);
          if (++holdingThisCycle == holdingPerCycle_) {
            waitForNextImage(view_->theme().cycleSeconds - view_->theme().crossfadeSeconds - phase);
          }
        } else {
          result_.crossfade.push_back(spent);
          ++crossfadeThisCycle;
        }
      }
      ++ticksThisCycle;
      if (changedCycle || ticksThisCycle > ticksPerCycle) {
        ++cycles;
        progress << "brivora: timed " << result_.holding.size() + result_.crossfade.size()
                 << " frames, " << cycles << (cycles == 1 ? " cycle" : " cycles") << '\n';
        lastCycleHelped =
            (holdingShort && holdingThisCycle > 0) || (crossfadeShort && crossfadeThisCycle > 0);
        holdingShort = static_cast<long>(result_.holding.size()) < holdingWanted_;
        crossfadeShort = static_cast<long>(result_.crossfade.size()) < crossfadeWanted_;
        cycleStart = moment;
        ticksThisCycle = 0;
        holdingThisCycle = 0;
        crossfadeThisCycle = 0;
      }
    }
    result_.holding.resize(std::min<std::size_t>(result_.holding.size(), holdingWanted_));
    result_.crossfade.resize(std::min<std::size_t>(result_.crossfade.size(), crossfadeWanted_));
    return result_;
  }

 private:
  // The frames skipped until the crossfade stand for `seconds` of real time, in which a host
  // would have decoded the next wallpaper while drawing at its frame rate: waits for it up to
  // that long, untimed, drawing the same moment once per frame interval meanwhile.
  void waitForNextImage(double seconds) {
    const auto interval = std::chrono::duration_cast<Stopwatch::duration>(
        std::chrono::duration<double>(view_->animationTimeInterval()));
    // A theme may ask for any cycle length; no decode is waited for longer than a cycle
    // worth simulating.
    const double bounded = seconds > 0 ? std::min(seconds, maxTicksPerCycle / 30) : 0;
    const Stopwatch::time_point until =
        Stopwatch::now() +
        std::chrono::duration_cast<Stopwatch::duration>(std::chrono::duration<double>(bounded));
    while (view_->nextImage() && !view_->nextImage()->isReady() && Stopwatch::now() < until) {
      const Stopwatch::time_point frameStart = Stopwatch::now();
      drawFrame();
      std::this_thread::sleep_until(frameStart + interval);
    }
  }

  // Draws the present moment and reads the frame back, as a host does before showing it: the
  // canvas may hold drawing back until then.
  void drawFrame() {
    session_->draw(*canvas_);
    static_cast<void>(canvas_->data());
  }

  bool enoughFrames() const {
    return static_cast<long>(result_.holding.size()) >= holdingWanted_ &&
           static_cast<long>(result_.crossfade.size()) >= crossfadeWanted_;
  }

  double timeFrame() {
    const Stopwatch::time_point start = Stopwatch::now();
    session_->advanceTo(session_->elapsed() + session_->view()->animationTimeInterval());
    drawFrame();
    return millisecondsSince(start);
  }

  long holdingPerCycle_ = 0;
  long crossfadePerCycle_ = 0;
  long holdingWanted_ = 0;
  long crossfadeWanted_ = 0;
  std::optional<HeadlessSession> session_;
  std::optional<CairoGraphicsContext> canvas_;
  KovaltaScreensaverView* view_ = nullptr;
  BenchResult result_;
};

double rounded(double value) {
  return std::round(value * 1000) / 1000;
}

nlohmann::ordered_json summaryJson(const std::vector<double>& times) {
  const auto summary = summarizeFrameTimes(times);
  if (!summary) return {{"median", nullptr}, {"p99", nullptr}};
  return {{"median", rounded(summary->median)}, {"p99", rounded(summary->p99)}};
}

nlohmann::ordered_json maxJson(const std::vector<double>& times) {
  if (times.empty()) return {{"max", nullptr}};
  return {{"max", rounded(*std::max_element(times.begin(), times.end()))}};
}

std::string sizeText(const BenchOptions& options) {
  std::string text = std::to_string(static_cast<int>(options.size->width));
  text += 'x';
  text += std::to_string(static_cast<int>(options.size->height));
  return text;
}

void printReport(std::ostream& out, const BenchOptions& options, const BenchResult& result,
                 double peakMegabytes) {
  out << std::fixed << std::setprecision(2);
  out << sizeText(options) << ", " << result.holding.size() + result.crossfade.size()
      << " frames timed\n";
  auto line = [&](std::string_view what, const std::vector<double>& times) {
    out << "  " << std::left << std::setw(18) << what;
    if (const auto summary = summarizeFrameTimes(times)) {
      out << "median " << summary->median << " ms, p99 " << summary->p99 << " ms\n";
    } else {
      out << "none\n";
    }
  };
  line("holding frames", result.holding);
  line("crossfade frames", result.crossfade);
  out << "  " << std::setw(18) << "cycle change";
  if (result.cycleChanges.empty()) {
    out << "none\n";
  } else {
    out << "longest " << *std::max_element(result.cycleChanges.begin(), result.cycleChanges.end())
        << " ms\n";
  }
  out << "  " << std::setw(18) << "first frame" << result.firstFrame << " ms\n";
  out << "  " << std::setw(18) << "peak memory" << peakMegabytes << " MB\n";
}

}  // namespace

int benchCommand(std::span<const std::string> arguments, Output output) {
  const BenchOptions options = parseBenchOptions(arguments);
  const Bundle bundle = openBundle(options.source).bundle;
  setImageLoader(loadImage);

  FrameTimer timer(options, bundle);
  const BenchResult result = timer.run(output.err);
  const double peakMegabytes = peakResidentMegabytes();
  if (!options.json) {
    printReport(output.out, options, result, peakMegabytes);
    return exitSuccess;
  }
  nlohmann::ordered_json report;
  report["size"] = sizeText(options);
  report["frames"] = result.holding.size() + result.crossfade.size();
  report["holding_ms"] = summaryJson(result.holding);
  report["crossfade_ms"] = summaryJson(result.crossfade);
  report["cycle_change_ms"] = maxJson(result.cycleChanges);
  report["first_frame_ms"] = rounded(result.firstFrame);
  report["peak_rss_mb"] = rounded(peakMegabytes);
  printJson(output.out, report);
  return exitSuccess;
}

}  // namespace brivora::cli
