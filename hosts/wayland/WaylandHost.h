#pragma once

#include <functional>
#include <ostream>
#include <string>

#include "hosts/common/MonitorMode.h"
#include "platform/Bundle.h"
#include "platform/Geometry.h"

namespace brivora {

struct WaylandHostOptions {
  Bundle bundle;
  std::string viewClass;                     // the principal class name of the view to create
  bool fullscreen = true;                    // every output; else one window of its own
  Size windowSize{1280, 720};                // for the window, in logical pixels
  MonitorMode monitors = MonitorMode::each;  // for full screen
  bool showFps = false;
  bool colourManagement = true;
  // Asked once each turn of the frame loop; when it gives true, every view is created anew.
  std::function<bool()> viewsOutdated = nullptr;
};

// Shows the screen saver as a Wayland client until SIGINT or SIGTERM arrives, its window is
// closed, or (full screen, unless a locker handed over the connection in $WAYLAND_SOCKET)
// input comes; gives 0 then. Full screen it covers every output, following outputs that come
// and go; given a locker's connection it stays on the background layer and, when
// $SWAYLOCK_PLUGIN_OUTPUT_NAME names one, on that output alone. Gives 2, with one line on
// `err`, when there is no compositor to connect to or the connection is lost.
int runWaylandHost(const WaylandHostOptions& options, std::ostream& err);

}  // namespace brivora
