// Rolling hills at sunrise: layer behind layer fading into the haze, mist in the valleys.
#include <algorithm>
#include <array>
#include <cmath>

#include "tools/sample-wallpapers/Scenes.h"

namespace brivora::samples {

namespace {

constexpr Color mist = hexColor(0xF3D2BC);

struct HillLayer {
  double baseline;    // as a fraction of the height
  double amplitude;   // as a fraction of the height
  double wavelength;  // of the largest hills, as a fraction of the width
  Color color;
};

// From the far hills, nearly the colour of the haze, to the near ones, almost black.
constexpr std::array<HillLayer, 6> hillLayers = {{
    {0.50, 0.05, 0.30, hexColor(0xB59AA6)},
    {0.56, 0.06, 0.26, hexColor(0x8A7A94)},
    {0.62, 0.07, 0.22, hexColor(0x5E5C7A)},
    {0.70, 0.07, 0.20, hexColor(0x34405E)},
    {0.79, 0.08, 0.18, hexColor(0x1F2A3E)},
    {0.90, 0.08, 0.16, hexColor(0x0C121C)},
}};

// A flock of birds far off: each a shallow "v" of two arcs.
void drawBirds(cairo_t* cr, Frame frame, Random& random) {
  cairo_set_source_rgba(cr, 0.16, 0.13, 0.2, 0.75);
  cairo_set_line_width(cr, 0.0011 * frame.width);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  for (int i = 0; i < 7; ++i) {
    const double x = (0.60 + 0.012 * i + random.between(-0.01, 0.01)) * frame.width;
    const double y = (0.24 + 0.01 * std::abs(i - 3) + random.between(-0.008, 0.008)) * frame.height;
    const double span = random.between(0.004, 0.007) * frame.width;
    const double lift = span * random.between(0.25, 0.5);
    cairo_move_to(cr, x - span, y - lift);
    cairo_curve_to(cr, x - 0.5 * span, y - lift * 1.2, x - 0.2 * span, y - 0.2 * lift, x, y);
    cairo_curve_to(cr, x + 0.2 * span, y - 0.2 * lift, x + 0.5 * span, y - lift * 1.2, x + span,
                   y - lift);
    cairo_stroke(cr);
  }
}

}  // namespace

void paintMorningHills(cairo_t* cr, Frame frame, Random& random) {
  const double w = frame.width;
  const double h = frame.height;
  fillVerticalGradient(cr, frame, 0, 0.62 * h,
                       {{0.0, hexColor(0x2C3A66)},
                        {0.35, hexColor(0x5F6390)},
                        {0.65, hexColor(0xB5879A)},
                        {0.85, hexColor(0xEDB39A)},
                        {1.0, hexColor(0xF8D2AE)}});
  const double sunX = 0.74 * w;
  const double sunY = 0.47 * h;
  addGlow(cr, sunX, sunY, 0.7 * w, hexColor(0xFF9A6A), 0.35, 0.55);
  addGlow(cr, sunX, sunY, 0.12 * w, hexColor(0xFFE2B0), 0.6);
  addGlow(cr, sunX, sunY, 0.022 * h, hexColor(0xFFF6E4), 1.0);
  // A few long, thin clouds across the upper sky.
  for (int i = 0; i < 9; ++i) {
    paintSoftEllipse(cr, random.uniform() * w, random.between(0.12, 0.36) * h,
                     random.between(0.1, 0.3) * w, random.between(0.006, 0.014) * h,
                     hexColor(0xF0B8B0), random.between(0.12, 0.3));
  }
  drawBirds(cr, frame, random);
  for (std::size_t index = 0; index < hillLayers.size(); ++index) {
    const HillLayer& layer = hillLayers[index];
    const Noise noise(random);
    const Skyline hills =
        noiseSkyline(noise, layer.baseline * h, layer.amplitude * h, layer.wavelength * w, 3, 0.4);
    // Each layer is lit a little from the sun's side and darkens toward its foot.
    cairo_pattern_t* shade = cairo_pattern_create_linear(0, (layer.baseline - layer.amplitude) * h,
                                                         0, (layer.baseline + 0.12) * h);
    addStops(shade, {{0.0, mix(layer.color, mist, 0.12)}, {1.0, mix(layer.color, {}, 0.12)}});
    cairo_set_source(cr, shade);
    fillBelow(cr, frame, hills, h);
    cairo_pattern_destroy(shade);
    // Mist pooled in the valley in front of every layer but the nearest.
    if (index + 1 < hillLayers.size()) {
      const double valley = (layer.baseline + 0.04) * h;
      const double density = 0.2 - 0.03 * static_cast<double>(index);
      fillVerticalGradient(cr, frame, valley - 0.06 * h, valley + 0.06 * h,
                           {{0.0, mist, 0.0}, {0.6, mist, density}, {1.0, mist, 0.0}});
    }
  }
  fillVerticalGradient(cr, frame, 0.7 * h, h, {{0.0, {}, 0.0}, {1.0, {}, 0.35}});
}

}  // namespace brivora::samples
