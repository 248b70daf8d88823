#pragma once

#include <X11/Xlib.h>

#include <string>

#include "backends/codecs/ColourTarget.h"

namespace brivora {

// The ICC profile a colour daemon has set for the monitor at `monitorIndex` (in the order
// monitorAreas lists them): the root window's _ICC_PROFILE for the first, _ICC_PROFILE_n for
// the n-th after it. Empty when none is set.
std::string monitorProfile(Display* display, int monitorIndex);

// What the wallpapers of the pane in `window` are converted to: the profile of the monitor
// holding the window's centre, sRGB where it has none, and no conversion at all unless
// `managed`.
ColourTarget paneColourTarget(Display* display, Window window, bool managed);

}  // namespace brivora
