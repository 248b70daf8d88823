#pragma once

#include <X11/Xlib.h>

#include <string>

#include "backends/codecs/ColourTarget.h"

namespace brivora {

// The ICC profile a colour daemon has set for the monitor at `monitorIndex` (in the order
// monitorAreas lists them): the root window's _ICC_PROFILE for the first, _ICC_PROFILE_n for
// the n-th after it. Empty when none is set.
std::string monitorProfile(Display* display, int monitorIndex);

// What the wallpapers of a view whose frame's centre is at (`x`, `y`) on the screen are
// converted to: the profile of the monitor holding that point, sRGB where it has none, and no
// conversion at all unless `managed`.
ColourTarget colourTargetAt(Display* display, int x, int y, bool managed);

}  // namespace brivora
