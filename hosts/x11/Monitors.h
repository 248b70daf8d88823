#pragma once

#include <X11/Xlib.h>

#include <vector>

namespace brivora {

// A monitor's place on the X screen, in pixels from the screen's top left.
struct MonitorArea {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};

// The active monitors of the default screen, as XRandR lists them; the whole screen as one
// when the server has no XRandR 1.5 or lists none.
std::vector<MonitorArea> monitorAreas(Display* display);

}  // namespace brivora
