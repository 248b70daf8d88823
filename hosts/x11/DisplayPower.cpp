#include "hosts/x11/DisplayPower.h"

// The DPMS header uses Xlib's types without including Xlib itself.
#include <X11/Xmd.h>
#include <X11/extensions/dpms.h>

namespace brivora {

std::optional<bool> displayPoweredOn(Display* display) {
  int eventBase = 0;
  int errorBase = 0;
  if (!DPMSQueryExtension(display, &eventBase, &errorBase) || !DPMSCapable(display)) {
    return std::nullopt;
  }
  CARD16 level = DPMSModeOn;
  BOOL enabled = False;
  if (!DPMSInfo(display, &level, &enabled)) return std::nullopt;
  // With power management turned off the display stays on whatever the level says.
  return !enabled || level == DPMSModeOn;
}

}  // namespace brivora
