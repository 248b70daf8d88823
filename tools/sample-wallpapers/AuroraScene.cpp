// Northern lights over a mountain ridge, a still lake and a dark pine forest.
#include <algorithm>
#include <cmath>
#include <vector>

#include "tools/sample-wallpapers/Scenes.h"

namespace brivora::samples {

namespace {

constexpr Color auroraGreen = hexColor(0x38F29A);
constexpr Color auroraViolet = hexColor(0x8A5CFF);

struct Curtain {
  double baseline;   // of its lower edge, as a fraction of the height
  double sway;       // how far the lower edge wanders, as a fraction of the height
  double height;     // of the rays, as a fraction of the height
  double intensity;  // of its brightest rays
};

// One curtain: thin vertical rays, green at the foot and violet at the top, whose brightness
// varies slowly along the curtain with a finer flicker of rays on top.
void addCurtain(cairo_t* cr, Frame frame, Random& random, const Curtain& curtain) {
  const Noise shape(random);
  const Noise brightness(random);
  const double w = frame.width;
  const double h = frame.height;
  constexpr double step = 2.0;  // pixels per ray, on whole pixels
  cairo_set_operator(cr, CAIRO_OPERATOR_ADD);
  for (double x = -0.05 * w; x < 1.05 * w; x += step) {
    const double u = x / w;
    const double foot = h * (curtain.baseline + curtain.sway * std::sin(2.4 * u * M_PI + 0.6) +
                             0.5 * curtain.sway * shape.fractal(u * 6.0, 3));
    const double glow = std::max(0.0, 0.35 + 0.9 * brightness.fractal(u * 5.0, 2));
    const double rays = 0.55 + 0.45 * brightness.fractal(u * 160.0 + 50.0, 2, 0.7);
    const double alpha = std::min(1.0, curtain.intensity * glow * rays);
    if (alpha <= 0.002) continue;
    const double top = foot - h * curtain.height * (0.7 + 0.5 * glow);
    // Below the foot the light fades out slowly, so the curtain has no hard lower edge.
    const double bottom = foot + 0.08 * h;
    cairo_pattern_t* ray = cairo_pattern_create_linear(0, top, 0, bottom);
    const double footAt = (foot - top) / (bottom - top);
    addStops(ray, {{0.0, auroraViolet, 0.0},
                   {0.4 * footAt, auroraViolet, 0.18 * alpha},
                   {0.8 * footAt, auroraGreen, 0.7 * alpha},
                   {footAt, auroraGreen, alpha},
                   {footAt + 0.3 * (1.0 - footAt), auroraGreen, 0.25 * alpha},
                   {1.0, auroraGreen, 0.0}});
    cairo_set_source(cr, ray);
    cairo_rectangle(cr, x, top, step, bottom - top);  // abutting: overlaps would stripe
    cairo_fill(cr);
    cairo_pattern_destroy(ray);
  }
  cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
}

struct Peak {
  double x;          // of the summit, in pixels
  double height;     // above the foot of the range, in pixels
  double halfWidth;  // at the foot, in pixels
};

// A range of peaks, the tallest behind; each has a jagged outline and a shadowed east face.
void drawMountains(cairo_t* cr, Frame frame, Random& random, double shore) {
  const double w = frame.width;
  const double h = frame.height;
  const double foot = shore - 0.02 * h;
  const Noise jag(random);
  std::vector<Peak> peaks;
  for (double x = -0.05 * w; x < 1.1 * w; x += random.between(0.12, 0.2) * w) {
    peaks.push_back({x, random.between(0.09, 0.25) * h, random.between(0.13, 0.24) * w});
  }
  std::sort(peaks.begin(), peaks.end(),
            [](const Peak& a, const Peak& b) { return a.height > b.height; });
  for (const Peak& peak : peaks) {
    const auto outline = [&](double x) {
      const double fall = std::abs(x - peak.x) / peak.halfWidth;
      return foot - peak.height * (1.0 - fall) + 0.012 * h * jag.fractal(x / (0.01 * w), 4, 0.6);
    };
    const double summit = foot - peak.height;
    cairo_pattern_t* snow = cairo_pattern_create_linear(0, summit, 0, foot);
    addStops(snow, {{0.0, hexColor(0x8DB8B4)},
                    {0.22, hexColor(0x47707A)},
                    {0.6, hexColor(0x1A3440)},
                    {1.0, hexColor(0x0B1820)}});
    cairo_set_source(cr, snow);
    cairo_move_to(cr, peak.x - peak.halfWidth, shore);
    for (double x = peak.x - peak.halfWidth; x <= peak.x + peak.halfWidth; x += 2.0) {
      cairo_line_to(cr, x, std::min(shore, outline(x)));
    }
    cairo_line_to(cr, peak.x + peak.halfWidth, shore);
    cairo_close_path(cr);
    cairo_fill(cr);
    cairo_pattern_destroy(snow);
    // The face away from the aurora's glow, in shadow.
    cairo_move_to(cr, peak.x, outline(peak.x));
    for (double x = peak.x; x <= peak.x + peak.halfWidth; x += 2.0) {
      cairo_line_to(cr, x, std::min(shore, outline(x)));
    }
    cairo_line_to(cr, peak.x + peak.halfWidth, shore);
    // Back up along a crooked gully from the foot to the summit.
    const double gullyFoot = peak.x + 0.25 * peak.halfWidth;
    for (double t = 0.0; t < 1.0; t += 0.05) {
      const double wobble = 0.02 * w * jag.fractal(t * 6.0 + peak.x, 3) * t * (1.0 - t) * 4.0;
      cairo_line_to(cr, gullyFoot + (peak.x - gullyFoot) * t + wobble,
                    shore + (summit - shore) * t);
    }
    cairo_close_path(cr);
    cairo_set_source_rgba(cr, 0.0, 0.02, 0.04, 0.45);
    cairo_fill(cr);
  }
  const Noise near(random);
  const Skyline foothills = [&](double x) {
    return shore - 0.01 * h - 0.035 * h * (0.5 + 0.5 * near.fractal(x / (0.12 * w), 4));
  };
  cairo_set_source_rgb(cr, 0.03, 0.06, 0.08);
  fillBelow(cr, frame, foothills, shore + 1, 2.0);
}

void drawLake(cairo_t* cr, Frame frame, Random& random, double shore) {
  const double w = frame.width;
  const double h = frame.height;
  reflectAbove(cr, frame, shore, 1.0);
  fillVerticalGradient(cr, frame, shore, h,
                       {{0.0, hexColor(0x0E3A3A), 0.45},
                        {0.3, hexColor(0x072024), 0.75},
                        {1.0, hexColor(0x020608)}});
  // The aurora's green, mirrored in faint streaks on the water.
  cairo_set_operator(cr, CAIRO_OPERATOR_ADD);
  for (int i = 0; i < 260; ++i) {
    const double depth = std::pow(random.uniform(), 1.4);
    paintSoftEllipse(cr, random.uniform() * w, shore + 2.0 + depth * 0.1 * h,
                     random.between(0.01, 0.07) * w, 0.8 + 1.5 * depth, auroraGreen,
                     0.10 * (1.0 - depth) * random.between(0.3, 1.0));
  }
  cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
}

void drawPines(cairo_t* cr, Frame frame, Random& random, double ground) {
  const double w = frame.width;
  const double h = frame.height;
  cairo_set_source_rgb(cr, 0.008, 0.016, 0.02);
  cairo_rectangle(cr, 0, ground, w, h - ground);
  cairo_fill(cr);
  for (double x = -0.01 * w; x < 1.01 * w; x += random.between(0.004, 0.012) * w) {
    // Taller trees at the edges frame the view.
    const double edge = std::pow(std::abs(x / w - 0.5) * 2.0, 3.0);
    const double height = h * random.between(0.025, 0.06) * (1.0 + 2.2 * edge);
    const double halfWidth = height * random.between(0.16, 0.22);
    const double base = ground + random.between(0.0, 0.02) * h;
    cairo_move_to(cr, x, base - height);
    // Tiers of branches: the outline steps in and out on the way down.
    constexpr int tiers = 5;
    for (int tier = 1; tier <= tiers; ++tier) {
      const double y = base - height + height * tier / tiers;
      const double spread = halfWidth * tier / tiers;
      cairo_line_to(cr, x + spread, y);
      if (tier < tiers) cairo_line_to(cr, x + spread * 0.45, y);
    }
    for (int tier = tiers; tier >= 1; --tier) {
      const double y = base - height + height * tier / tiers;
      const double spread = halfWidth * tier / tiers;
      if (tier < tiers) cairo_line_to(cr, x - spread * 0.45, y);
      cairo_line_to(cr, x - spread, y);
    }
    cairo_close_path(cr);
    cairo_fill(cr);
  }
}

}  // namespace

void paintAuroraRidge(cairo_t* cr, Frame frame, Random& random) {
  const double shore = 0.68 * frame.height;
  fillVerticalGradient(cr, frame, 0, shore,
                       {{0.0, hexColor(0x01040C)},
                        {0.5, hexColor(0x041322)},
                        {0.85, hexColor(0x0A2A36)},
                        {1.0, hexColor(0x124040)}});
  addStars(cr, random, frame, {0.0, 0.6 * frame.height, 1100, 0.9});
  addGlow(cr, 0.55 * frame.width, 0.5 * frame.height, 0.6 * frame.width, auroraGreen, 0.10, 0.5);
  addCurtain(cr, frame, random, {0.40, 0.06, 0.22, 0.95});
  addCurtain(cr, frame, random, {0.30, 0.08, 0.18, 0.35});
  drawMountains(cr, frame, random, shore);
  drawLake(cr, frame, random, shore);
  drawPines(cr, frame, random, 0.87 * frame.height);
}

}  // namespace brivora::samples
