// `brivora render`: draws moments of the screen saver off screen, to PNG files or as the
// draw list the view made.
#include <algorithm>
#include <cmath>
#include <fstream>
#include <limits>

#include "Brivora/KovaltaScreensaverView.h"
#include "backends/cairo/CairoGraphicsContext.h"
#include "backends/codecs/ColourTarget.h"
#include "backends/codecs/ImageCodecs.h"
#include "backends/recording/DrawListJson.h"
#include "hosts/cli/Commands.h"
#include "hosts/cli/OptionReader.h"
#include "hosts/cli/SizeOption.h"
#include "hosts/cli/WholeFileWriter.h"
#include "hosts/cli/WholeNumber.h"
#include "hosts/headless/HeadlessSession.h"
#include "platform/Clock.h"
#include "platform/Date.h"

namespace brivora::cli {

namespace {

constexpr long maxFrames = 1'000'000;
// Every simulated second is 30 ticks and every cycle change a decode; a day of them takes a
// while already, and more would look like a hang.
constexpr double maxElapsedSeconds = 86'400;
constexpr double framesPerSecond = 30;

struct RenderOptions {
  BundleChoice source;
  std::optional<Size> size;
  std::optional<Date> now;
  double elapsed = 0;
  std::optional<std::uint64_t> seed;
  std::optional<std::string> timeZone;
  long frames = 1;
  std::optional<std::filesystem::path> out;
  bool colourManagement = true;
};

enum class OutputKind { png, drawList, folder };

OutputKind outputKind(const std::filesystem::path& out) {
  std::string extension = out.extension().string();
  for (char& letter : extension) letter = static_cast<char>(std::tolower(letter));
  if (extension == ".png") return OutputKind::png;
  if (extension == ".json") return OutputKind::drawList;
  return OutputKind::folder;
}

double parseElapsed(const std::string& text) {
  std::size_t used = 0;
  double seconds = -1;
  try {
    seconds = std::stod(text, &used);
  } catch (const std::exception&) {
    used = 0;
  }
  if (used != text.size() || !std::isfinite(seconds) || seconds < 0 ||
      seconds > maxElapsedSeconds) {
    throw UsageError("--elapsed needs a number of seconds from 0 to " +
                     std::to_string(static_cast<int>(maxElapsedSeconds)) + " (got '" + text + "')");
  }
  return seconds;
}

Date parseNow(const std::string& text) {
  std::optional<Date> date = parseInternetDateTime(text, FractionalSeconds::absent);
  if (!date) date = parseInternetDateTime(text, FractionalSeconds::required);
  if (!date) {
    throw UsageError("--now needs an ISO 8601 date-time such as 2026-06-11T16:00:00Z (got '" +
                     text + "')");
  }
  return *date;
}

RenderOptions parseRenderOptions(std::span<const std::string> arguments) {
  RenderOptions options;
  OptionReader reader(arguments);
  while (reader.next()) {
    const std::string& name = reader.name();
    if (takeBundleOption(reader, options.source)) continue;
    if (name == "--size") {
      options.size = sizeOption(reader.value());
    } else if (name == "--now") {
      options.now = parseNow(reader.value());
    } else if (name == "--elapsed") {
      options.elapsed = parseElapsed(reader.value());
    } else if (name == "--seed") {
      const std::string text = reader.value();
      options.seed = wholeNumber<std::uint64_t>(text);
      if (!options.seed) throw UsageError("--seed needs a whole number (got '" + text + "')");
    } else if (name == "--tz") {
      options.timeZone = reader.value();
    } else if (name == "--frames") {
      options.frames = framesOption(reader.value(), 1, maxFrames);
    } else if (name == "--out") {
      options.out = reader.value();
    } else if (name == "--no-colour-management") {
      options.colourManagement = false;
    } else {
      reader.reject();
    }
  }
  if (!options.size) throw UsageError("render needs --size WIDTHxHEIGHT");
  if (!options.out) throw UsageError("render needs --out FILE.png, FILE.json or a folder");
  if (options.frames > 1 && outputKind(*options.out) != OutputKind::folder) {
    throw UsageError("--frames " + std::to_string(options.frames) +
                     " writes numbered PNG files: --out must name a folder");
  }
  return options;
}

void writeTextFile(const std::filesystem::path& path, const std::string& text) {
  writeWholeFile(path, [&](const std::filesystem::path& temporary, std::string&) {
    std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
    file << text;
    file.close();
    return !file.fail();
  });
}

void writePng(CairoGraphicsContext& context, const std::filesystem::path& path) {
  writeWholeFile(path, [&](const std::filesystem::path& temporary, std::string& error) {
    if (context.writePng(temporary, error)) return true;
    // The message names the file asked for, not the temporary one.
    error = "cannot write " + path.string() +
            error.substr(std::min(error.size(), ("cannot write " + temporary.string()).size()));
    return false;
  });
}

std::string frameFileName(long index) {
  std::string number = std::to_string(index + 1);
  if (number.size() < 4) number.insert(0, 4 - number.size(), '0');
  return "frame-" + number + ".png";
}

// Ticks up to `elapsed`; a long way there says how far it has come.
void advanceShowingProgress(HeadlessSession& session, double elapsed, std::ostream& err) {
  constexpr double progressEverySeconds = 3600;
  for (double reached = progressEverySeconds; reached < elapsed; reached += progressEverySeconds) {
    session.advanceTo(reached);
    err << "brivora: simulated " << reached << " of " << elapsed << " s\n";
  }
  session.advanceTo(elapsed);
}

}  // namespace

int renderCommand(std::span<const std::string> arguments, Output output) {
  const RenderOptions options = parseRenderOptions(arguments);
  if (options.timeZone && !setCurrentTimeZone(*options.timeZone)) {
    throw UsageError("unknown time zone '" + *options.timeZone + "'");
  }
  const Bundle bundle = openBundle(options.source).bundle;
  setImageLoader(loadImage);
  // Frames are written as sRGB; without colour management every file's numbers are kept.
  const ColourTargetScope colours(
      ColourTarget{.managed = options.colourManagement, .displayProfile = nullptr});

  // The wall clock reads `--now` at the first drawn frame, so it ran that much less earlier.
  const Date now = options.now ? *options.now : SystemClock().now();
  const Date wallAtCreation{now.secondsSince1970 - options.elapsed};
  const std::uint64_t seed = options.seed ? *options.seed
                                          : SeededRandomSource::fromEntropy().uniformInteger(
                                                std::numeric_limits<std::uint64_t>::max());
  HeadlessSession session(KovaltaScreensaverView::principalClassName, *options.size, bundle,
                          wallAtCreation, seed);
  if (!session.view()) throw EnvironmentError("the screen saver view could not be created");

  const std::filesystem::path& out = *options.out;
  const int width = static_cast<int>(options.size->width);
  const int height = static_cast<int>(options.size->height);
  switch (outputKind(out)) {
    case OutputKind::drawList: {
      advanceShowingProgress(session, options.elapsed, output.err);
      RecordingGraphicsContext recording;
      session.draw(recording);
      writeTextFile(out, drawListJson(recording.calls()));
      output.out << "wrote the draw list of the frame at " << options.elapsed << " s to "
                 << out.string() << '\n';
      return exitSuccess;
    }
    case OutputKind::png: {
      advanceShowingProgress(session, options.elapsed, output.err);
      CairoGraphicsContext canvas(width, height);
      session.draw(canvas);
      writePng(canvas, out);
      output.out << "wrote " << out.string() << '\n';
      return exitSuccess;
    }
    case OutputKind::folder:
      break;
  }

  std::error_code error;
  std::filesystem::create_directories(out, error);
  if (!std::filesystem::is_directory(out)) {
    throw EnvironmentError("cannot make the folder " + out.string() +
                           (error ? ": " + error.message() : ""));
  }
  advanceShowingProgress(session, options.elapsed, output.err);
  CairoGraphicsContext canvas(width, height);
  // Long renders say how far they are, about every five seconds of frames.
  constexpr long progressEvery = 150;
  for (long frame = 0; frame < options.frames; ++frame) {
    session.advanceTo(options.elapsed + static_cast<double>(frame) / framesPerSecond);
    session.draw(canvas);
    writePng(canvas, out / frameFileName(frame));
    if (options.frames > progressEvery && (frame + 1) % progressEvery == 0) {
      output.err << "brivora: rendered " << frame + 1 << " of " << options.frames << " frames\n";
    }
  }
  output.out << "wrote " << options.frames << (options.frames == 1 ? " frame" : " frames") << " ("
             << frameFileName(0);
  if (options.frames > 1) output.out << " to " << frameFileName(options.frames - 1);
  output.out << ") to " << out.string() << '\n';
  return exitSuccess;
}

}  // namespace brivora::cli
