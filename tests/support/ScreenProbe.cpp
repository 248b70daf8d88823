#include "tests/support/ScreenProbe.h"

#include <X11/Xutil.h>

#include <cstdio>
#include <string>

#include "tests/support/WaitUntil.h"

namespace brivora::testing {

Screenshot screenshot(Display* x, Window window, int width, int height) {
  return Screenshot(XGetImage(x, window, 0, 0, static_cast<unsigned>(width),
                              static_cast<unsigned>(height), AllPlanes, ZPixmap));
}

PixelAt pixelsOf(XImage* shot) {
  return
      [shot](int x, int y) { return static_cast<std::uint32_t>(XGetPixel(shot, x, y)) & 0xFFFFFF; };
}

bool waitForFrame(Display* x, Window window, int width, int top, int bottom, int enough,
                  std::chrono::milliseconds limit) {
  return waitUntil(
      [&] {
        const Screenshot shot = screenshot(x, window, width, bottom);
        int lit = 0;
        for (int row = top; shot && row < bottom; ++row) {
          for (int column = 0; column < width; ++column) {
            lit += (XGetPixel(shot.get(), column, row) & 0xFF) > 60;
          }
        }
        return lit > enough;
      },
      limit);
}

std::vector<PixelRect> brivoraWindowPlaces(Display* x, bool* overrideRedirect) {
  Window root = 0;
  Window parent = 0;
  Window* children = nullptr;
  unsigned count = 0;
  std::vector<PixelRect> places;
  *overrideRedirect = true;
  if (!XQueryTree(x, DefaultRootWindow(x), &root, &parent, &children, &count)) return places;
  for (unsigned at = 0; at < count; ++at) {
    char* name = nullptr;
    XWindowAttributes attributes;
    if (!XFetchName(x, children[at], &name) || !name) continue;
    if (std::string(name) == "Brivora" && XGetWindowAttributes(x, children[at], &attributes)) {
      places.push_back({attributes.x, attributes.y, attributes.width, attributes.height});
      *overrideRedirect = *overrideRedirect && attributes.override_redirect;
    }
    XFree(name);
  }
  if (children) XFree(children);
  return places;
}

Window openWindow(Display* x, int width, int height, int left) {
  const Window window =
      XCreateSimpleWindow(x, DefaultRootWindow(x), left, 0, static_cast<unsigned>(width),
                          static_cast<unsigned>(height), 0, 0, 0);
  XMapWindow(x, window);
  XSync(x, False);
  return window;
}

std::string windowId(Window window) {
  char id[32];
  std::snprintf(id, sizeof id, "0x%lx", window);
  return id;
}

void writeQuadrantBundle(const TempBundle& bundle, int width, int height) {
  bundle.write("wallpapers/quadrants.png",
               encodePng(quadrantPicture(width, height, quadrantColours)));
  bundle.write("theme.json",
               R"({"scrimEnabled": false, "playerOverlayEnabled": false, "cycleSeconds": 1000,
                   "clockPosition": "bottom-left", "clockSizeRatio": 0.05})");
}

bool waitForQuadrants(Display* x, Window window, int width, int height,
                      std::chrono::milliseconds limit) {
  return waitUntil(
      [&] {
        const Screenshot shot = screenshot(x, window, width, height);
        for (int quadrant = 0; shot && quadrant < 4; ++quadrant) {
          // The middle of the quadrant, well inside its edges however the picture drifts.
          const std::uint32_t middle = pixelsOf(shot.get())(
              (quadrant % 2) * width / 2 + width / 4, (quadrant / 2) * height / 2 + height / 4);
          if (!shows(middle, quadrantColours[static_cast<std::size_t>(quadrant)], 30)) return false;
        }
        return shot != nullptr;
      },
      limit);
}

}  // namespace brivora::testing
