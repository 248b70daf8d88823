// Two abstract wallpapers: out-of-focus city lights, and flowing bands of silk.
#include <algorithm>
#include <array>
#include <cmath>

#include "tools/sample-wallpapers/Scenes.h"

namespace brivora::samples {

namespace {

// An out-of-focus light: a disc with a faintly brighter rim, as a lens draws one.
void addBokeh(cairo_t* cr, double x, double y, double radius, Color color, double alpha) {
  cairo_pattern_t* disc = cairo_pattern_create_radial(x, y, 0, x, y, radius);
  addStops(disc, {{0.0, color, 0.55 * alpha},
                  {0.75, color, 0.7 * alpha},
                  {0.92, color, alpha},
                  {1.0, color, 0.0}});
  cairo_set_source(cr, disc);
  cairo_arc(cr, x, y, radius, 0, 2 * M_PI);
  cairo_fill(cr);
  cairo_pattern_destroy(disc);
}

}  // namespace

void paintBokehLights(cairo_t* cr, Frame frame, Random& random) {
  const double w = frame.width;
  const double h = frame.height;
  cairo_pattern_t* background = cairo_pattern_create_linear(0, 0, 0.4 * w, h);
  addStops(background,
           {{0.0, hexColor(0x160C28)}, {0.5, hexColor(0x0C2030)}, {1.0, hexColor(0x04070D)}});
  cairo_set_source(cr, background);
  cairo_paint(cr);
  cairo_pattern_destroy(background);
  addGlow(cr, 0.78 * w, 0.22 * h, 0.55 * w, hexColor(0xB03A78), 0.30, 0.7);
  addGlow(cr, 0.22 * w, 0.48 * h, 0.45 * w, hexColor(0xC8782A), 0.22, 0.6);

  struct Tint {
    Color color;
    double share;  // of the lights; the shares add up to 1
  };
  // Mostly warm street lights, with a few neon accents.
  constexpr std::array<Tint, 5> palette = {{
      {hexColor(0xFFB347), 0.36},
      {hexColor(0xFFD98A), 0.26},
      {hexColor(0xFF6F91), 0.18},
      {hexColor(0x4FD1C5), 0.12},
      {hexColor(0xBFDFFF), 0.08},
  }};
  const auto pickTint = [&] {
    double pick = random.uniform();
    for (const Tint& tint : palette) {
      if ((pick -= tint.share) < 0.0) return tint.color;
    }
    return palette.back().color;
  };
  struct Layer {
    int count;
    double minRadius;  // as a fraction of the height
    double maxRadius;
    double alpha;
  };
  // Far lights are small and many, near ones large, few and faint.
  constexpr std::array<Layer, 3> layers = {{
      {110, 0.008, 0.022, 0.55},
      {60, 0.03, 0.06, 0.32},
      {16, 0.08, 0.14, 0.16},
  }};
  cairo_set_operator(cr, CAIRO_OPERATOR_ADD);
  for (const Layer& layer : layers) {
    for (int i = 0; i < layer.count; ++i) {
      // A loose diagonal band of lights, thinning toward the lower edge.
      const double u = random.uniform();
      const double band = 0.62 - 0.35 * u + random.between(-0.2, 0.2);
      const double y = std::clamp(band, 0.05, 0.95) * h;
      const double lowFade = 1.0 - 0.75 * std::clamp((y / h - 0.55) / 0.4, 0.0, 1.0);
      const Color color = pickTint();
      addBokeh(cr, u * w, y, random.between(layer.minRadius, layer.maxRadius) * h, color,
               layer.alpha * lowFade * random.between(0.4, 1.0));
    }
  }
  cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
  fillVerticalGradient(cr, frame, 0.55 * h, h, {{0.0, {}, 0.0}, {1.0, {}, 0.55}});
}

void paintSilkWaves(cairo_t* cr, Frame frame, Random& random) {
  const double w = frame.width;
  const double h = frame.height;
  fillVerticalGradient(
      cr, frame, 0, h,
      {{0.0, hexColor(0x0A0A1E)}, {0.5, hexColor(0x150E30)}, {1.0, hexColor(0x04040A)}});
  addGlow(cr, 0.65 * w, 0.42 * h, 0.5 * w, hexColor(0x5A2A8A), 0.35, 0.6);
  struct Ribbon {
    double baseline;  // as a fraction of the height
    double amplitude;
    double frequency;  // waves across the width
    Color from;        // colour at the left edge
    Color to;          // at the right edge
  };
  constexpr std::array<Ribbon, 4> ribbons = {{
      {0.42, 0.10, 1.1, hexColor(0xFF4F8B), hexColor(0xFFB056)},
      {0.50, 0.08, 0.8, hexColor(0x3FC8E8), hexColor(0x8A5CFF)},
      {0.33, 0.06, 1.6, hexColor(0xC070FF), hexColor(0xFF7A9A)},
      {0.58, 0.05, 1.3, hexColor(0x2A6AFF), hexColor(0x40E0C0)},
  }};
  cairo_set_operator(cr, CAIRO_OPERATOR_ADD);
  for (const Ribbon& ribbon : ribbons) {
    const double phase = random.between(0.0, 2 * M_PI);
    const double twist = random.between(0.0, 2 * M_PI);
    cairo_pattern_t* sheen = cairo_pattern_create_linear(0, 0, w, 0);
    addStops(sheen, {{0.0, ribbon.from, 0.07},
                     {0.5, mix(ribbon.from, ribbon.to, 0.5), 0.12},
                     {1.0, ribbon.to, 0.07}});
    cairo_set_source(cr, sheen);
    cairo_set_line_width(cr, 1.4);
    // Many fine threads whose phase drifts across the ribbon: the folds of the silk.
    constexpr int threads = 110;
    for (int thread = 0; thread < threads; ++thread) {
      const double across = static_cast<double>(thread) / (threads - 1) - 0.5;
      for (double x = -10.0; x <= w + 10.0; x += 6.0) {
        const double u = x / w;
        const double width = 0.15 * h * (0.55 + 0.45 * std::sin(2 * M_PI * u * 0.7 + twist));
        const double y = h * ribbon.baseline +
                         h * ribbon.amplitude * std::sin(2 * M_PI * ribbon.frequency * u + phase) +
                         width * across * std::cos(2 * M_PI * u * 1.3 + twist + across);
        if (x <= -10.0) {
          cairo_move_to(cr, x, y);
        } else {
          cairo_line_to(cr, x, y);
        }
      }
      cairo_stroke(cr);
    }
    cairo_pattern_destroy(sheen);
  }
  // Specks of light drifting around the ribbons.
  for (int i = 0; i < 220; ++i) {
    const double y = (0.45 + 0.28 * (random.uniform() + random.uniform() - 1.0)) * h;
    addGlow(cr, random.uniform() * w, y, random.between(1.5, 5.0), hexColor(0xFFD8F0),
            random.between(0.2, 0.8));
  }
  cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
  fillVerticalGradient(cr, frame, 0.6 * h, h, {{0.0, {}, 0.0}, {1.0, {}, 0.5}});
}

}  // namespace brivora::samples
