#include "tools/sample-wallpapers/Painting.h"

#include <algorithm>
#include <cmath>

namespace brivora::samples {

namespace {

// exp(-4 d²) sampled along the radius: a Gaussian that is all but gone at the edge.
constexpr int glowStops = 12;

}  // namespace

Color mix(Color from, Color to, double amount) {
  return {from.red + (to.red - from.red) * amount, from.green + (to.green - from.green) * amount,
          from.blue + (to.blue - from.blue) * amount};
}

void addStops(cairo_pattern_t* pattern, std::initializer_list<ColorStop> stops) {
  for (const ColorStop& stop : stops) {
    cairo_pattern_add_color_stop_rgba(pattern, stop.offset, stop.color.red, stop.color.green,
                                      stop.color.blue, stop.alpha);
  }
}

void fillVerticalGradient(cairo_t* cr, Frame frame, double top, double bottom,
                          std::initializer_list<ColorStop> stops) {
  cairo_pattern_t* gradient = cairo_pattern_create_linear(0, top, 0, bottom);
  addStops(gradient, stops);
  cairo_set_source(cr, gradient);
  cairo_rectangle(cr, 0, top, frame.width, bottom - top);
  cairo_fill(cr);
  cairo_pattern_destroy(gradient);
}

void addGlow(cairo_t* cr, double x, double y, double radius, Color color, double strength,
             double squash) {
  cairo_save(cr);
  cairo_translate(cr, x, y);
  cairo_scale(cr, 1.0, squash);
  cairo_pattern_t* gradient = cairo_pattern_create_radial(0, 0, 0, 0, 0, radius);
  for (int i = 0; i <= glowStops; ++i) {
    const double distance = static_cast<double>(i) / glowStops;
    const double falloff = std::exp(-4.0 * distance * distance) * (1.0 - distance);
    cairo_pattern_add_color_stop_rgba(gradient, distance, color.red, color.green, color.blue,
                                      std::clamp(strength * falloff, 0.0, 1.0));
  }
  cairo_set_source(cr, gradient);
  cairo_set_operator(cr, CAIRO_OPERATOR_ADD);
  cairo_arc(cr, 0, 0, radius, 0, 2 * M_PI);
  cairo_fill(cr);
  cairo_pattern_destroy(gradient);
  cairo_restore(cr);
}

void paintSoftEllipse(cairo_t* cr, double x, double y, double radiusX, double radiusY, Color color,
                      double alpha) {
  cairo_save(cr);
  cairo_translate(cr, x, y);
  cairo_scale(cr, radiusX, radiusY);
  cairo_pattern_t* gradient = cairo_pattern_create_radial(0, 0, 0, 0, 0, 1);
  addStops(gradient, {{0.0, color, alpha},
                      {0.35, color, alpha * 0.8},
                      {0.7, color, alpha * 0.3},
                      {1.0, color, 0.0}});
  cairo_set_source(cr, gradient);
  cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
  cairo_fill(cr);
  cairo_pattern_destroy(gradient);
  cairo_restore(cr);
}

void addStars(cairo_t* cr, Random& random, Frame frame, const StarField& field) {
  constexpr Color warm = hexColor(0xFFE6C8);
  constexpr Color cool = hexColor(0xCFDFFF);
  for (int i = 0; i < field.count; ++i) {
    const double x = random.uniform() * frame.width;
    // Squaring keeps most stars high in the sky, where the air is clearer.
    const double depth = random.uniform();
    const double y = field.top + (field.bottom - field.top) * depth * depth;
    const double fade = 1.0 - 0.7 * depth * depth;
    const double magnitude = std::pow(random.uniform(), 6.0);  // few bright, many faint
    const Color color = mix(cool, warm, random.uniform());
    const double brightness = field.brightness * fade * (0.25 + 0.75 * magnitude);
    const double size = 0.7 + 1.6 * magnitude;
    addGlow(cr, x, y, size * 1.6, color, brightness * 1.4);
    if (magnitude > 0.35) addGlow(cr, x, y, size * 9.0, color, brightness * 0.18);
  }
}

void reflectAbove(cairo_t* cr, Frame frame, double waterline, double strength) {
  cairo_surface_t* target = cairo_get_target(cr);
  const int width = static_cast<int>(std::ceil(frame.width));
  const int height = static_cast<int>(std::ceil(waterline));
  // A copy first: Cairo cannot read a surface while it draws on it.
  cairo_surface_t* above =
      cairo_surface_create_similar_image(target, CAIRO_FORMAT_RGB30, width, height);
  cairo_t* copy = cairo_create(above);
  cairo_set_source_surface(copy, target, 0, 0);
  cairo_paint(copy);
  cairo_destroy(copy);
  cairo_save(cr);
  cairo_rectangle(cr, 0, waterline, frame.width, frame.height - waterline);
  cairo_clip(cr);
  cairo_translate(cr, 0, 2 * waterline);
  cairo_scale(cr, 1, -1);
  cairo_set_source_surface(cr, above, 0, 0);
  cairo_paint_with_alpha(cr, strength);
  cairo_restore(cr);
  cairo_surface_destroy(above);
}

void fillBelow(cairo_t* cr, Frame frame, const Skyline& skyline, double bottom, double step) {
  cairo_move_to(cr, -step, bottom);
  for (double x = -step; x <= frame.width + step; x += step) cairo_line_to(cr, x, skyline(x));
  cairo_line_to(cr, frame.width + step, bottom);
  cairo_close_path(cr);
  cairo_fill(cr);
}

Skyline noiseSkyline(const Noise& noise, double baseline, double amplitude, double wavelength,
                     int octaves, double roughness) {
  return [&noise, baseline, amplitude, wavelength, octaves, roughness](double x) {
    return baseline - amplitude * noise.fractal(x / wavelength, octaves, roughness);
  };
}

}  // namespace brivora::samples
