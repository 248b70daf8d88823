// A harbour at dusk: the sun setting over calm water, a lighthouse, a pier with its lamps lit.
#include <algorithm>
#include <cmath>

#include "tools/sample-wallpapers/Scenes.h"

namespace brivora::samples {

namespace {

double smoothstep(double edge0, double edge1, double x) {
  const double t = std::clamp((x - edge0) / (edge1 - edge0), 0.0, 1.0);
  return t * t * (3.0 - 2.0 * t);
}

void drawSky(cairo_t* cr, Frame frame, Random& random, double horizon, double sunX) {
  fillVerticalGradient(cr, frame, 0, horizon,
                       {{0.0, hexColor(0x0A0E2A)},
                        {0.30, hexColor(0x231F52)},
                        {0.58, hexColor(0x5E2F66)},
                        {0.80, hexColor(0xB4506A)},
                        {0.93, hexColor(0xE98252)},
                        {1.0, hexColor(0xF6AE68)}});
  addGlow(cr, sunX, horizon, 0.8 * frame.width, hexColor(0xFF7A40), 0.30, 0.45);
  addGlow(cr, sunX, horizon, 0.22 * frame.width, hexColor(0xFFB070), 0.45, 0.55);
  // Thin streaks of cloud, lit peach near the sun and low down, violet elsewhere.
  for (int i = 0; i < 22; ++i) {
    const double y = random.between(0.20, 0.52) * frame.height;
    const double x = random.between(-0.1, 1.1) * frame.width;
    const double nearSun = 1.0 - std::min(1.0, std::abs(x - sunX) / (0.7 * frame.width));
    const double low = (y - 0.20 * frame.height) / (0.32 * frame.height);
    const Color color = mix(hexColor(0x7A4682), hexColor(0xFFB48C), nearSun * (0.3 + 0.7 * low));
    paintSoftEllipse(cr, x, y, random.between(0.08, 0.24) * frame.width,
                     random.between(0.004, 0.011) * frame.height, color, random.between(0.25, 0.5));
  }
  const double sunRadius = 0.026 * frame.height;
  cairo_pattern_t* disc = cairo_pattern_create_radial(sunX, horizon, 0, sunX, horizon, sunRadius);
  addStops(disc, {{0.0, hexColor(0xFFF4D6)}, {0.8, hexColor(0xFFD79A)}, {1.0, hexColor(0xFFB870)}});
  cairo_set_source(cr, disc);
  cairo_arc(cr, sunX, horizon, sunRadius, 0, 2 * M_PI);
  cairo_fill(cr);
  cairo_pattern_destroy(disc);
  addGlow(cr, sunX, horizon, 2.2 * sunRadius, hexColor(0xFFE9C0), 0.55);
}

void drawLand(cairo_t* cr, Frame frame, Random& random, double horizon) {
  const double w = frame.width;
  const double h = frame.height;
  const Noise noise(random);
  // Hazy hills on the far left, sinking into the sea toward the middle.
  const Skyline farHills = [&](double x) {
    const double rise = 0.02 * h + 0.05 * h * (0.5 + 0.5 * noise.fractal(x / (0.16 * w), 4));
    return horizon - rise * smoothstep(0.60 * w, 0.12 * w, x);
  };
  cairo_pattern_t* haze = cairo_pattern_create_linear(0, horizon - 0.08 * h, 0, horizon);
  addStops(haze, {{0.0, hexColor(0x5A3462)}, {1.0, hexColor(0x7A3C62)}});
  cairo_set_source(cr, haze);
  fillBelow(cr, frame, farHills, horizon + 1);
  cairo_pattern_destroy(haze);

  // A darker headland on the right, with a lighthouse on its shoulder.
  const Skyline headland = [&](double x) {
    const double rise = 0.05 * h + 0.025 * h * noise.fractal(x / (0.05 * w) + 40.0, 4);
    return horizon - rise * smoothstep(0.80 * w, 0.93 * w, x);
  };
  cairo_set_source_rgb(cr, 0.10, 0.07, 0.17);
  fillBelow(cr, frame, headland, horizon + 1, 2.0);

  const double towerX = 0.935 * w;
  const double towerBase = headland(towerX) + 0.004 * h;
  const double towerTop = towerBase - 0.10 * h;
  cairo_set_source_rgb(cr, 0.08, 0.05, 0.13);
  cairo_move_to(cr, towerX - 0.0065 * w, towerBase);
  cairo_line_to(cr, towerX - 0.0042 * w, towerTop);
  cairo_line_to(cr, towerX + 0.0042 * w, towerTop);
  cairo_line_to(cr, towerX + 0.0065 * w, towerBase);
  cairo_close_path(cr);
  cairo_fill(cr);
  cairo_rectangle(cr, towerX - 0.0055 * w, towerTop - 0.003 * h, 0.011 * w, 0.004 * h);
  cairo_fill(cr);
  const double lampY = towerTop - 0.012 * h;
  cairo_move_to(cr, towerX - 0.004 * w, towerTop - 0.02 * h);
  cairo_line_to(cr, towerX, towerTop - 0.03 * h);
  cairo_line_to(cr, towerX + 0.004 * w, towerTop - 0.02 * h);
  cairo_close_path(cr);
  cairo_fill(cr);
  // The beam sweeps out to sea, to the left.
  cairo_pattern_t* beam = cairo_pattern_create_linear(towerX, lampY, towerX - 0.45 * w, lampY);
  addStops(beam, {{0.0, hexColor(0xFFE7B0), 0.22}, {1.0, hexColor(0xFFE7B0), 0.0}});
  cairo_set_source(cr, beam);
  cairo_set_operator(cr, CAIRO_OPERATOR_ADD);
  cairo_move_to(cr, towerX, lampY);
  cairo_line_to(cr, towerX - 0.45 * w, lampY - 0.035 * h);
  cairo_line_to(cr, towerX - 0.45 * w, lampY + 0.01 * h);
  cairo_close_path(cr);
  cairo_fill(cr);
  cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
  cairo_pattern_destroy(beam);
  addGlow(cr, towerX, lampY, 0.05 * h, hexColor(0xFFE2A8), 0.9);
  addGlow(cr, towerX, lampY, 0.006 * h, hexColor(0xFFFFFF), 1.0);
}

void drawWater(cairo_t* cr, Frame frame, Random& random, double horizon, double sunX) {
  const double w = frame.width;
  const double h = frame.height;
  reflectAbove(cr, frame, horizon, 1.0);
  fillVerticalGradient(cr, frame, horizon, h,
                       {{0.0, hexColor(0xC06A60), 0.35},
                        {0.05, hexColor(0x83405E), 0.55},
                        {0.22, hexColor(0x3A2348), 0.75},
                        {0.55, hexColor(0x16132C), 0.92},
                        {1.0, hexColor(0x06060F)}});
  cairo_save(cr);
  cairo_rectangle(cr, 0, horizon, w, h - horizon);
  cairo_clip(cr);
  addGlow(cr, sunX, horizon, 0.09 * w, hexColor(0xFF9A5A), 0.35, 3.2);
  // Glitter on the ripples: short streaks, dense under the sun, widening toward the viewer.
  cairo_set_operator(cr, CAIRO_OPERATOR_ADD);
  // Faint ripples catch the pink sky everywhere, more of them toward the horizon.
  for (int i = 0; i < 500; ++i) {
    const double depth = std::pow(random.uniform(), 1.5);
    const double y = horizon + 2.0 + depth * 0.4 * h;
    const double length = (0.01 + 0.06 * random.uniform()) * w * (0.3 + depth);
    const double alpha = 0.10 * (1.0 - depth) * random.between(0.3, 1.0);
    paintSoftEllipse(cr, random.uniform() * w, y, length, 0.6 + 1.6 * depth, hexColor(0xE8909A),
                     alpha);
  }
  for (int i = 0; i < 700; ++i) {
    const double depth = std::pow(random.uniform(), 1.7);
    const double y = horizon + 3.0 + depth * 0.36 * h;
    const double spread = (0.012 + 0.09 * depth) * w;
    const double x = sunX + spread * (random.uniform() + random.uniform() - 1.0);
    const double length = (0.003 + 0.02 * random.uniform()) * w * (0.4 + depth);
    const double alpha = 0.75 * std::pow(1.0 - depth, 1.4) * random.between(0.25, 1.0);
    paintSoftEllipse(cr, x, y, length, 0.6 + 2.2 * depth, hexColor(0xFFC88A), alpha);
  }
  cairo_restore(cr);
}

void drawPier(cairo_t* cr, Frame frame, double horizon) {
  const double w = frame.width;
  const double h = frame.height;
  const double deck = horizon + 0.07 * h;
  const double end = 0.34 * w;
  const Color lamp = hexColor(0xFFC27A);
  // Lamp light on the water first, so the deck and posts stand in front of it.
  for (double x = 0.05 * w; x < end; x += 0.075 * w) {
    cairo_save(cr);
    cairo_rectangle(cr, 0, deck, w, h - deck);
    cairo_clip(cr);
    addGlow(cr, x, deck + 0.06 * h, 0.012 * w, lamp, 0.35, 9.0);
    cairo_restore(cr);
  }
  cairo_set_source_rgb(cr, 0.05, 0.035, 0.08);
  cairo_rectangle(cr, -1, deck, end + 1, 0.012 * h);
  cairo_fill(cr);
  for (double x = 0.01 * w; x < end; x += 0.022 * w) {
    cairo_rectangle(cr, x, deck, 0.003 * w, 0.03 * h);
    cairo_fill(cr);
  }
  for (double x = 0.05 * w; x < end; x += 0.075 * w) {
    cairo_set_source_rgb(cr, 0.05, 0.035, 0.08);
    cairo_rectangle(cr, x - 0.0012 * w, deck - 0.055 * h, 0.0024 * w, 0.055 * h);
    cairo_fill(cr);
    addGlow(cr, x, deck - 0.058 * h, 0.03 * h, lamp, 0.8);
    addGlow(cr, x, deck - 0.058 * h, 0.0045 * h, hexColor(0xFFF1D8), 1.0);
  }
  // Two sailing boats at their moorings by the pier's end, sails furled.
  for (const double boatX : {end + 0.035 * w, end + 0.09 * w}) {
    const double waterline = deck + 0.008 * h;
    const double mastTop = waterline - 0.10 * h;
    cairo_set_source_rgb(cr, 0.06, 0.04, 0.09);
    cairo_move_to(cr, boatX - 0.024 * w, waterline - 0.011 * h);
    cairo_line_to(cr, boatX + 0.026 * w, waterline - 0.013 * h);
    cairo_curve_to(cr, boatX + 0.022 * w, waterline - 0.004 * h, boatX + 0.016 * w, waterline,
                   boatX + 0.010 * w, waterline);
    cairo_line_to(cr, boatX - 0.018 * w, waterline);
    cairo_close_path(cr);
    cairo_fill(cr);
    cairo_rectangle(cr, boatX - 0.012 * w, waterline - 0.019 * h, 0.014 * w, 0.009 * h);
    cairo_fill(cr);
    cairo_rectangle(cr, boatX - 0.0007 * w, mastTop, 0.0014 * w, waterline - mastTop);
    cairo_fill(cr);
    cairo_set_line_width(cr, 0.0012 * w);
    cairo_move_to(cr, boatX, waterline - 0.03 * h);  // the boom, its sail furled on it
    cairo_line_to(cr, boatX - 0.022 * w, waterline - 0.026 * h);
    cairo_stroke(cr);
    cairo_set_line_width(cr, 1.2);
    cairo_move_to(cr, boatX, mastTop);  // stays to the bow and the stern
    cairo_line_to(cr, boatX + 0.025 * w, waterline - 0.013 * h);
    cairo_move_to(cr, boatX, mastTop);
    cairo_line_to(cr, boatX - 0.023 * w, waterline - 0.011 * h);
    cairo_stroke(cr);
    addGlow(cr, boatX, mastTop - 0.002 * h, 0.008 * h, hexColor(0xFFD9A0), 0.9);
  }
}

}  // namespace

void paintHarbourDusk(cairo_t* cr, Frame frame, Random& random) {
  const double horizon = 0.60 * frame.height;
  const double sunX = 0.66 * frame.width;
  drawSky(cr, frame, random, horizon, sunX);
  drawLand(cr, frame, random, horizon);
  drawWater(cr, frame, random, horizon, sunX);
  drawPier(cr, frame, horizon);
  fillVerticalGradient(cr, frame, 0.62 * frame.height, frame.height,
                       {{0.0, {}, 0.0}, {1.0, {}, 0.45}});
}

}  // namespace brivora::samples
