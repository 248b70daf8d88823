#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <ostream>
#include <string>

#include "hosts/common/MonitorMode.h"
#include "platform/Bundle.h"
#include "platform/Geometry.h"

namespace brivora {

// Where the X11 host draws.
enum class X11Target {
  ownWindow,       // a window of its own
  rootWindow,      // $XSCREENSAVER_WINDOW when set, else the screen's root window
  existingWindow,  // a window named by its id
  fullscreen,      // a window over every monitor, above everything, ending on user input
};

struct X11HostOptions {
  Bundle bundle;
  std::string viewClass;  // the principal class name of the view to create
  X11Target target = X11Target::ownWindow;
  std::uint64_t windowId = 0;                // for existingWindow
  Size windowSize{1280, 720};                // for ownWindow
  MonitorMode monitors = MonitorMode::each;  // for fullscreen and rootWindow
  bool showFps = false;
  // Wallpapers converted to each monitor's profile (sRGB where none is set); off, they are
  // drawn with the numbers their files store.
  bool colourManagement = true;
  std::optional<std::string> displayName = std::nullopt;  // $DISPLAY when absent
  // Asked once each turn of the frame loop, ten times a second or more; when it gives true,
  // every pane's view is created anew. Empty: each view lives as long as the host.
  std::function<bool()> viewsOutdated = nullptr;
};

// Shows the screen saver on an X display until the window goes away, the user closes it, or
// SIGINT or SIGTERM arrives; gives 0 then. A full screen also ends, with 0, on any key, any
// button or the pointer moving; it follows monitors as they come, go and change, and so does
// the root window. Gives 2, with one line on `err`, when the display or the window cannot be
// used. Should the connection to the server break while it runs, it ends the process at once
// with status 2 and one line on stderr.
int runX11Host(const X11HostOptions& options, std::ostream& err);

}  // namespace brivora
