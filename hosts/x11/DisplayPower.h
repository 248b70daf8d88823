#pragma once

#include <X11/Xlib.h>

#include <optional>

namespace brivora {

// Whether the X server's display is on, by its DPMS extension: false in standby, suspend or
// off; none where the server has no DPMS (Xvfb, say), which counts as on. One round trip.
std::optional<bool> displayPoweredOn(Display* display);

}  // namespace brivora
