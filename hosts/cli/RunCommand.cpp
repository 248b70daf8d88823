// `brivora run`: the screen saver on an X display, as an XScreenSaver hack or in a window.
#include <cstdlib>

#include "Brivora/KovaltaScreensaverView.h"
#include "hosts/cli/Commands.h"
#include "hosts/cli/SizeOption.h"
#include "hosts/common/MonitorMode.h"
#include "hosts/x11/X11Host.h"

namespace brivora::cli {

namespace {

// XScreenSaver spells options with one dash; people often type two. Both are accepted.
std::string_view withOneDash(std::string_view word) {
  if (word.starts_with("--") && word.size() > 2) word.remove_prefix(1);
  return word;
}

Size parseGeometry(std::string_view text) {
  // "WxH", optionally followed by an X11 position such as "+0+0", which is ignored.
  const std::size_t position = text.find_first_of("+-");
  if (const std::optional<Size> size = parsePixelSize(text.substr(0, position))) return *size;
  throw UsageError("-geometry needs WIDTHxHEIGHT (got '" + std::string(text) + "')");
}

std::uint64_t parseWindowId(const std::string& text) {
  // XScreenSaver passes hexadecimal ids, xsecurelock decimal ones.
  char* end = nullptr;
  const unsigned long long id = std::strtoull(text.c_str(), &end, 0);
  if (text.empty() || *end != '\0' || id == 0) {
    throw UsageError("-window-id needs a window id in hexadecimal (0x...) or decimal (got '" +
                     text + "')");
  }
  return id;
}

MonitorMode parseMonitors(const std::string& text) {
  if (const std::optional<MonitorMode> mode = parseMonitorMode(text)) return *mode;
  throw UsageError("-monitors needs each, same or span (got '" + text + "')");
}

}  // namespace

int runCommand(std::span<const std::string> arguments, Output output) {
  std::optional<std::string> bundle;
  bool rootAsked = false;
  bool windowAsked = false;
  bool fullscreenAsked = false;
  std::optional<std::string> displayName;
  std::uint64_t windowId = 0;
  Size windowSize{1280, 720};
  bool showFps = false;
  MonitorMode monitors = MonitorMode::each;
  for (std::size_t at = 0; at < arguments.size(); ++at) {
    const std::string& word = arguments[at];
    auto value = [&](std::string_view name) -> std::string {
      if (at + 1 >= arguments.size()) throw UsageError(std::string(name) + " needs a value");
      return arguments[++at];
    };
    const std::string_view option = withOneDash(word);
    if (word == "--bundle") {
      bundle = value(word);
    } else if (word.starts_with("--bundle=")) {
      bundle = word.substr(9);
    } else if (option == "-monitors") {
      monitors = parseMonitors(value(option));
    } else if (option.starts_with("-monitors=")) {
      monitors = parseMonitors(std::string(option.substr(10)));
    } else if (option == "-root") {
      rootAsked = true;
    } else if (option == "-window") {
      windowAsked = true;
    } else if (option == "-fullscreen") {
      fullscreenAsked = true;
    } else if (option == "-window-id") {
      windowId = parseWindowId(value(option));
    } else if (option == "-geometry") {
      windowSize = parseGeometry(value(option));
    } else if (option == "-display") {
      displayName = value(option);
    } else if (option == "-fps") {
      showFps = true;
    } else if (option == "-no-fps") {
      showFps = false;
    } else if (option == "-visual") {
      // Frames go to the window's own visual; the daemon's choice needs nothing more.
      value(option);
    } else if (option == "-install" || option == "-mono") {
      // Colormaps and monochrome displays do not apply to TrueColor frames.
    } else if (word.starts_with("-")) {
      throw UsageError("unknown option " + word);
    } else {
      throw UsageError("unexpected argument '" + word + "'");
    }
  }
  // A window named by id wins; then the root window, as XScreenSaver's hacks choose.
  X11Target target = X11Target::ownWindow;
  if (windowId != 0) {
    target = X11Target::existingWindow;
  } else if (rootAsked) {
    target = X11Target::rootWindow;
  } else if (fullscreenAsked) {
    target = X11Target::fullscreen;
  } else if (!windowAsked && std::getenv("XSCREENSAVER_WINDOW")) {
    // Run by XScreenSaver, the window to draw in comes in the environment.
    target = X11Target::rootWindow;
  }
  X11HostOptions options{Bundle(bundleFolder(bundle)),
                         std::string(KovaltaScreensaverView::principalClassName)};
  options.target = target;
  options.windowId = windowId;
  options.windowSize = windowSize;
  options.monitors = monitors;
  options.showFps = showFps;
  options.displayName = displayName;
  return runX11Host(options, output.err);
}

}  // namespace brivora::cli
