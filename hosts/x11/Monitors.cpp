#include "hosts/x11/Monitors.h"

#include <X11/extensions/Xrandr.h>

namespace brivora {

std::vector<MonitorArea> monitorAreas(Display* display) {
  std::vector<MonitorArea> areas;
  int eventBase = 0;
  int errorBase = 0;
  int major = 0;
  int minor = 0;
  // Monitors arrived in XRandR 1.5.
  if (XRRQueryExtension(display, &eventBase, &errorBase) &&
      XRRQueryVersion(display, &major, &minor) && (major > 1 || (major == 1 && minor >= 5))) {
    int count = 0;
    if (XRRMonitorInfo* monitors =
            XRRGetMonitors(display, DefaultRootWindow(display), True, &count)) {
      for (int at = 0; at < count; ++at) {
        const XRRMonitorInfo& monitor = monitors[at];
        if (monitor.width > 0 && monitor.height > 0) {
          areas.push_back({monitor.x, monitor.y, monitor.width, monitor.height});
        }
      }
      XRRFreeMonitors(monitors);
    }
  }
  if (areas.empty()) {
    const int screen = DefaultScreen(display);
    areas.push_back({0, 0, DisplayWidth(display, screen), DisplayHeight(display, screen)});
  }
  return areas;
}

}  // namespace brivora
