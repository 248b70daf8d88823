#include "tests/support/ScreenProbe.h"

#include <X11/Xutil.h>

#include <cmath>
#include <string>
#include <thread>

namespace brivora::testing {

MeanColour meanColour(XImage* shot, int left, int top, int right, int bottom) {
  MeanColour sum;
  for (int y = top; y < bottom; ++y) {
    for (int x = left; x < right; ++x) {
      const unsigned long pixel = XGetPixel(shot, x, y);
      sum.red += static_cast<double>((pixel >> 16) & 0xFF);
      sum.green += static_cast<double>((pixel >> 8) & 0xFF);
      sum.blue += static_cast<double>(pixel & 0xFF);
    }
  }
  const double count = static_cast<double>((right - left) * (bottom - top));
  return {sum.red / count, sum.green / count, sum.blue / count};
}

bool isNear(const MeanColour& colour, int red, int green, int blue, int tolerance) {
  return std::abs(colour.red - red) <= tolerance && std::abs(colour.green - green) <= tolerance &&
         std::abs(colour.blue - blue) <= tolerance;
}

int litPixels(Display* x, Window window, int width, int top, int bottom) {
  XImage* shot = XGetImage(x, window, 0, top, static_cast<unsigned>(width),
                           static_cast<unsigned>(bottom - top), AllPlanes, ZPixmap);
  if (!shot) return 0;
  int lit = 0;
  for (int row = 0; row < bottom - top; ++row) {
    for (int column = 0; column < width; ++column) {
      lit += (XGetPixel(shot, column, row) & 0xFF) > 60;
    }
  }
  XDestroyImage(shot);
  return lit;
}

bool waitForFrame(Display* x, Window window, int width, int top, int bottom, int enough,
                  std::chrono::milliseconds limit) {
  const auto until = std::chrono::steady_clock::now() + limit;
  while (std::chrono::steady_clock::now() < until) {
    if (litPixels(x, window, width, top, bottom) > enough) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return false;
}

std::vector<Window> brivoraWindows(Display* x) {
  Window root = 0;
  Window parent = 0;
  Window* children = nullptr;
  unsigned count = 0;
  std::vector<Window> found;
  if (!XQueryTree(x, DefaultRootWindow(x), &root, &parent, &children, &count)) return found;
  for (unsigned at = 0; at < count; ++at) {
    char* name = nullptr;
    if (XFetchName(x, children[at], &name) && name) {
      if (std::string(name) == "Brivora") found.push_back(children[at]);
      XFree(name);
    }
  }
  if (children) XFree(children);
  return found;
}

}  // namespace brivora::testing
