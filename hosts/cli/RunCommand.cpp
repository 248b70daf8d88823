// `brivora run`: the screen saver on an X display, as an XScreenSaver hack or in a window.
#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

#include "Brivora/KovaltaScreensaverView.h"
#include "Brivora/WallpaperDiscovery.h"
#include "hosts/cli/BackgroundCheck.h"
#include "hosts/cli/Commands.h"
#include "hosts/cli/SizeOption.h"
#include "hosts/common/BundleWatcher.h"
#include "hosts/common/MonitorMode.h"
#include "hosts/wayland/WaylandHost.h"
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

// Full screen and a window of its own go to Wayland where a compositor is at hand, unless
// --x11 says otherwise; the root window and a window by id are X11's.
bool usesWayland(X11Target target, std::string_view hostAsked) {
  if (target != X11Target::fullscreen && target != X11Target::ownWindow) {
    if (hostAsked == "-wayland") throw UsageError("-root and -window-id draw on X11, not Wayland");
    return false;
  }
  if (!hostAsked.empty()) return hostAsked == "-wayland";
  const char* display = std::getenv("WAYLAND_DISPLAY");
  return (display && *display) || std::getenv("WAYLAND_SOCKET");
}

// The options that make `check` read the bundle this run shows.
std::vector<std::string> checkArguments(const BundleChoice& source) {
  std::vector<std::string> arguments{"--bundle", bundleFolder(source.bundle).string()};
  if (source.images) arguments.insert(arguments.end(), {"--images", *source.images});
  if (source.imagesRecursive) arguments.push_back("--images-recursive");
  return arguments;
}

MonitorMode parseMonitors(const std::string& text) {
  if (const std::optional<MonitorMode> mode = parseMonitorMode(text)) return *mode;
  throw UsageError("-monitors needs each, same or span (got '" + text + "')");
}

}  // namespace

int runCommand(std::span<const std::string> arguments, Output output) {
  BundleChoice source;
  bool watch = false;
  bool rootAsked = false;
  bool windowAsked = false;
  bool fullscreenAsked = false;
  std::optional<std::string> displayName;
  std::uint64_t windowId = 0;
  Size windowSize{1280, 720};
  bool showFps = false;
  bool colourManagement = true;
  std::string_view hostAsked;
  MonitorMode monitors = MonitorMode::each;
  OptionReader reader(arguments);
  while (reader.next()) {
    if (takeBundleOption(reader, source)) continue;
    const std::string_view option = withOneDash(reader.word());
    if (option == "-watch") {
      watch = true;
    } else if (option == "-x11" || option == "-wayland") {
      hostAsked = option;
    } else if (option == "-monitors") {
      monitors = parseMonitors(reader.value());
    } else if (option.starts_with("-monitors=")) {
      monitors = parseMonitors(std::string(option.substr(10)));
    } else if (option == "-root") {
      rootAsked = true;
    } else if (option == "-window") {
      windowAsked = true;
    } else if (option == "-fullscreen") {
      fullscreenAsked = true;
    } else if (option == "-window-id") {
      windowId = parseWindowId(reader.value());
    } else if (option == "-geometry") {
      windowSize = parseGeometry(reader.value());
    } else if (option == "-display") {
      displayName = reader.value();
    } else if (option == "-fps") {
      showFps = true;
    } else if (option == "-no-fps") {
      showFps = false;
    } else if (option == "-no-colour-management") {
      colourManagement = false;
    } else if (option == "-visual") {
      // Frames go to the window's own visual; the daemon's choice needs nothing more.
      reader.value();
    } else if (option == "-install" || option == "-mono") {
      // Colormaps and monochrome displays do not apply to TrueColor frames.
    } else {
      reader.reject();
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
  const ChosenBundle chosen = openBundle(source);
  X11HostOptions options{chosen.bundle, std::string(KovaltaScreensaverView::principalClassName)};
  options.target = target;
  options.windowId = windowId;
  options.windowSize = windowSize;
  options.monitors = monitors;
  options.showFps = showFps;
  options.colourManagement = colourManagement;
  options.displayName = displayName;
  std::optional<BundleWatcher> watcher;
  // Whoever edits the bundle sees at once, and after each change, what the view passes over;
  // check runs beside the views, which need not wait for it to decode every wallpaper.
  BackgroundCheck check(checkArguments(source));
  if (watch) {
    watcher.emplace(chosen.bundle, std::string(wallpapersFolderName));
    if (!watcher->isWatching()) throw EnvironmentError("--watch: cannot watch files (inotify)");
    check.start();
    options.viewsOutdated = [&] {
      if (!watcher->changesSettled(std::chrono::steady_clock::now())) return false;
      check.start();
      return true;
    };
  }
  if (usesWayland(target, hostAsked)) {
    WaylandHostOptions wayland{chosen.bundle, options.viewClass};
    wayland.fullscreen = target == X11Target::fullscreen;
    wayland.windowSize = windowSize;
    wayland.monitors = monitors;
    wayland.showFps = showFps;
    wayland.colourManagement = colourManagement;
    wayland.viewsOutdated = options.viewsOutdated;
    return runWaylandHost(wayland, output.err);
  }
  return runX11Host(options, output.err);
}

}  // namespace brivora::cli
