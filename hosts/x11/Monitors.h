#pragma once

#include <X11/Xlib.h>

#include <vector>

#include "hosts/common/PixelRect.h"

namespace brivora {

// The active monitors of the default screen, in pixels from the screen's top left: XRandR 1.5's
// monitors, else Xinerama's heads, else the whole screen as one.
std::vector<PixelRect> monitorAreas(Display* display);

// Tells when the monitors or the screen's size may have changed.
class MonitorWatch {
 public:
  // Asks the server for XRandR's change events, where it has XRandR, and for the root window's
  // changes, which is all a server says when a monitor is set or deleted.
  explicit MonitorWatch(Display* display);

  // Whether `event` says the monitors or the screen changed; keeps Xlib's idea of the screen's
  // size up to date.
  bool isChange(XEvent& event) const;

 private:
  Window root_;
  int eventBase_ = -1;
};

// Where `window` lies on the screen.
PixelRect placeOnScreen(Display* display, Window window);

}  // namespace brivora
