#include "hosts/x11/DisplayProfile.h"

#include <X11/Xatom.h>

#include <vector>

#include "hosts/x11/Monitors.h"

namespace brivora {

namespace {

// The largest profile read from the server; display profiles are far smaller.
constexpr long maxProfileBytes = 16L * 1024 * 1024;

// The monitor whose area holds the point; the first when none does.
int monitorIndexAt(Display* display, int x, int y) {
  const std::vector<PixelRect> areas = monitorAreas(display);
  for (std::size_t at = 0; at < areas.size(); ++at) {
    const PixelRect& area = areas[at];
    if (x >= area.x && x < area.x + area.width && y >= area.y && y < area.y + area.height) {
      return static_cast<int>(at);
    }
  }
  return 0;
}

}  // namespace

std::string monitorProfile(Display* display, int monitorIndex) {
  const std::string name =
      monitorIndex == 0 ? "_ICC_PROFILE" : "_ICC_PROFILE_" + std::to_string(monitorIndex);
  const Atom atom = XInternAtom(display, name.c_str(), True);
  if (atom == None) return {};
  Atom type = None;
  int format = 0;
  unsigned long count = 0;
  unsigned long remaining = 0;
  unsigned char* data = nullptr;
  std::string profile;
  // The length asked for is in 32-bit units; the profile is a list of 8-bit items.
  if (XGetWindowProperty(display, DefaultRootWindow(display), atom, 0, maxProfileBytes / 4, False,
                         AnyPropertyType, &type, &format, &count, &remaining, &data) == Success &&
      data && format == 8 && remaining == 0) {
    profile.assign(reinterpret_cast<const char*>(data), count);
  }
  if (data) XFree(data);
  return profile;
}

ColourTarget colourTargetAt(Display* display, int x, int y, bool managed) {
  if (!managed) return ColourTarget{.managed = false, .displayProfile = nullptr};
  return ColourTarget::forDisplay(monitorProfile(display, monitorIndexAt(display, x, y)));
}

}  // namespace brivora
