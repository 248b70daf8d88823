#include "hosts/x11/Monitors.h"

#include <X11/extensions/Xinerama.h>
#include <X11/extensions/Xrandr.h>

namespace brivora {

namespace {

bool hasRandrMonitors(Display* display) {
  int eventBase = 0;
  int errorBase = 0;
  int major = 0;
  int minor = 0;
  // Monitors arrived in XRandR 1.5.
  return XRRQueryExtension(display, &eventBase, &errorBase) &&
         XRRQueryVersion(display, &major, &minor) && (major > 1 || (major == 1 && minor >= 5));
}

void addRandrMonitors(Display* display, std::vector<PixelRect>& areas) {
  int count = 0;
  XRRMonitorInfo* monitors = XRRGetMonitors(display, DefaultRootWindow(display), True, &count);
  if (!monitors) return;
  for (int at = 0; at < count; ++at) {
    const XRRMonitorInfo& monitor = monitors[at];
    if (monitor.width > 0 && monitor.height > 0) {
      areas.push_back({monitor.x, monitor.y, monitor.width, monitor.height});
    }
  }
  XRRFreeMonitors(monitors);
}

void addXineramaHeads(Display* display, std::vector<PixelRect>& areas) {
  int eventBase = 0;
  int errorBase = 0;
  if (!XineramaQueryExtension(display, &eventBase, &errorBase) || !XineramaIsActive(display)) {
    return;
  }
  int count = 0;
  XineramaScreenInfo* heads = XineramaQueryScreens(display, &count);
  if (!heads) return;
  for (int at = 0; at < count; ++at) {
    if (heads[at].width > 0 && heads[at].height > 0) {
      areas.push_back({heads[at].x_org, heads[at].y_org, heads[at].width, heads[at].height});
    }
  }
  XFree(heads);
}

}  // namespace

std::vector<PixelRect> monitorAreas(Display* display) {
  std::vector<PixelRect> areas;
  if (hasRandrMonitors(display)) addRandrMonitors(display, areas);
  if (areas.empty()) addXineramaHeads(display, areas);
  if (areas.empty()) {
    const int screen = DefaultScreen(display);
    areas.push_back({0, 0, DisplayWidth(display, screen), DisplayHeight(display, screen)});
  }
  return areas;
}

MonitorWatch::MonitorWatch(Display* display) : root_(DefaultRootWindow(display)) {
  XWindowAttributes attributes;
  if (XGetWindowAttributes(display, root_, &attributes)) {
    XSelectInput(display, root_, attributes.your_event_mask | StructureNotifyMask);
  }
  int errorBase = 0;
  if (!XRRQueryExtension(display, &eventBase_, &errorBase)) {
    eventBase_ = -1;
    return;
  }
  XRRSelectInput(display, DefaultRootWindow(display),
                 RRScreenChangeNotifyMask | RRCrtcChangeNotifyMask | RROutputChangeNotifyMask);
}

bool MonitorWatch::isChange(XEvent& event) const {
  if (event.type == ConfigureNotify && event.xconfigure.window == root_) return true;
  if (eventBase_ < 0) return false;
  if (event.type == eventBase_ + RRScreenChangeNotify) {
    XRRUpdateConfiguration(&event);
    return true;
  }
  return event.type == eventBase_ + RRNotify;
}

PixelRect placeOnScreen(Display* display, Window window) {
  XWindowAttributes attributes;
  if (!XGetWindowAttributes(display, window, &attributes)) return {};
  int x = 0;
  int y = 0;
  Window child = 0;
  XTranslateCoordinates(display, window, attributes.root, 0, 0, &x, &y, &child);
  return {x, y, attributes.width, attributes.height};
}

}  // namespace brivora
