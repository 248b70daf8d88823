#pragma once

// Drawing pieces the sample scenes share: skies, glows, stars, ridges and soft shapes.
#include <cstdint>
#include <functional>
#include <initializer_list>

#include <cairo.h>

#include "tools/sample-wallpapers/Random.h"

namespace brivora::samples {

struct Color {
  double red = 0.0;
  double green = 0.0;
  double blue = 0.0;
};

// A colour written as 0xRRGGBB.
constexpr Color hexColor(std::uint32_t rgb) {
  return {((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0, (rgb & 0xFF) / 255.0};
}

// `amount` 0 gives `from`, 1 gives `to`.
Color mix(Color from, Color to, double amount);

struct ColorStop {
  double offset;
  Color color;
  double alpha = 1.0;
};

// The area a scene covers, in pixels.
struct Frame {
  double width;
  double height;
};

// Adds the stops to a gradient, in order.
void addStops(cairo_pattern_t* pattern, std::initializer_list<ColorStop> stops);

// Fills the band from `top` to `bottom` with a top-to-bottom gradient, over what is there.
void fillVerticalGradient(cairo_t* cr, Frame frame, double top, double bottom,
                          std::initializer_list<ColorStop> stops);

// Adds light that falls off smoothly, roughly as a Gaussian, to zero at `radius`; `squash`
// below 1 flattens it vertically.
void addGlow(cairo_t* cr, double x, double y, double radius, Color color, double strength,
             double squash = 1.0);

// Paints a soft-edged ellipse of colour with the current operator (clouds, mist, glints).
void paintSoftEllipse(cairo_t* cr, double x, double y, double radiusX, double radiusY, Color color,
                      double alpha);

struct StarField {
  double top;
  double bottom;  // stars thin out toward this line
  int count;
  double brightness = 1.0;
};

// Scatters mostly faint, a few bright stars with small halos.
void addStars(cairo_t* cr, Random& random, Frame frame, const StarField& field);

// Paints what lies above `waterline` upside down below it, at `strength`, as still water
// reflects it; the water's own colour goes over it afterwards.
void reflectAbove(cairo_t* cr, Frame frame, double waterline, double strength);

// A height in pixels for each x: the top edge of hills, mountains or a tree line.
using Skyline = std::function<double(double x)>;

// Fills from the skyline down to `bottom` with the current source; `step` in pixels.
void fillBelow(cairo_t* cr, Frame frame, const Skyline& skyline, double bottom, double step = 4.0);

// A skyline from fractal noise around `baseline`: `wavelength` is the size of the largest hills.
// It reads `noise`, which must outlive it.
Skyline noiseSkyline(const Noise& noise, double baseline, double amplitude, double wavelength,
                     int octaves, double roughness = 0.5);

}  // namespace brivora::samples
