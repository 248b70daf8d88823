#pragma once

#include <X11/Xlib.h>

#include <chrono>
#include <vector>

namespace brivora::testing {

struct MeanColour {
  double red = 0;
  double green = 0;
  double blue = 0;
};

// The mean colour of the block from (`left`, `top`) to (`right`, `bottom`) of a 24-bit
// TrueColor picture.
MeanColour meanColour(XImage* shot, int left, int top, int right, int bottom);

// Whether each channel of `colour` is within `tolerance` of `red`, `green`, `blue`.
bool isNear(const MeanColour& colour, int red, int green, int blue, int tolerance);

// How many pixels of `window` in rows [`top`, `bottom`) and columns [0, `width`) are lit (blue
// above 60).
int litPixels(Display* x, Window window, int width, int top, int bottom);

// Waits, up to `limit`, until more than `enough` pixels of those rows are lit: the host has
// shown its first frame, however long a loaded machine took to start it.
bool waitForFrame(Display* x, Window window, int width, int top, int bottom, int enough,
                  std::chrono::milliseconds limit);

// The top-level windows named "Brivora".
std::vector<Window> brivoraWindows(Display* x);

}  // namespace brivora::testing
