// A football stadium at night seen from across the fields: floodlights on, their beams in the
// haze, the glow of the pitch over the stands.
#include <algorithm>
#include <array>
#include <cmath>

#include "tools/sample-wallpapers/Scenes.h"

namespace brivora::samples {

namespace {

constexpr Color floodlight = hexColor(0xF4F8FF);
constexpr Color silhouette = hexColor(0x05070F);

struct Mast {
  double x;     // of the lamp bank's centre, as a fraction of the width
  double top;   // of the lamp bank, as a fraction of the height
  double lean;  // of the lamp bank toward the pitch, in radians
};

constexpr std::array<Mast, 4> masts = {{
    {0.17, 0.30, 0.12},
    {0.37, 0.36, 0.06},
    {0.63, 0.36, -0.06},
    {0.83, 0.30, -0.12},
}};

// The top edge of the stands: a shallow arch with the roof a little higher in the middle.
double standTop(Frame frame, double x) {
  const double across = (x / frame.width - 0.5) / 0.40;
  if (std::abs(across) > 1.0) return frame.height;
  return frame.height * (0.585 - 0.045 * std::sqrt(1.0 - across * across));
}

void drawSky(cairo_t* cr, Frame frame, Random& random) {
  fillVerticalGradient(cr, frame, 0, frame.height,
                       {{0.0, hexColor(0x02040C)},
                        {0.40, hexColor(0x070E26)},
                        {0.62, hexColor(0x111C44)},
                        {0.75, hexColor(0x0B1024)},
                        {1.0, hexColor(0x020308)}});
  addStars(cr, random, frame, {0.0, 0.55 * frame.height, 900, 0.9});
  // The pitch lights the haze above the bowl.
  addGlow(cr, 0.5 * frame.width, 0.56 * frame.height, 0.55 * frame.width, hexColor(0x6F8FC8), 0.45,
          0.42);
  addGlow(cr, 0.5 * frame.width, 0.56 * frame.height, 0.30 * frame.width, hexColor(0xB8E0C8), 0.30,
          0.35);
}

void drawBeams(cairo_t* cr, Frame frame) {
  const double pitchY = 0.60 * frame.height;
  cairo_set_operator(cr, CAIRO_OPERATOR_ADD);
  for (const Mast& mast : masts) {
    const double x = mast.x * frame.width;
    const double y = mast.top * frame.height;
    const double aimX = frame.width * (0.5 + (mast.x - 0.5) * 0.25);
    cairo_pattern_t* beam = cairo_pattern_create_linear(x, y, aimX, pitchY);
    addStops(beam, {{0.0, floodlight, 0.018}, {1.0, floodlight, 0.003}});
    cairo_set_source(cr, beam);
    // Nested cones of growing spread: soft edges, as light scattered in haze has.
    for (double spread = 0.03; spread <= 0.16; spread += 0.01) {
      cairo_move_to(cr, x - 0.01 * frame.width, y);
      cairo_line_to(cr, aimX - spread * frame.width, pitchY);
      cairo_line_to(cr, aimX + spread * frame.width, pitchY);
      cairo_line_to(cr, x + 0.01 * frame.width, y);
      cairo_close_path(cr);
      cairo_fill(cr);
    }
    cairo_pattern_destroy(beam);
  }
  cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
}

void drawMastsAndLamps(cairo_t* cr, Frame frame) {
  const double w = frame.width;
  const double h = frame.height;
  for (const Mast& mast : masts) {
    const double x = mast.x * w;
    const double y = mast.top * h;
    cairo_set_source_rgb(cr, silhouette.red, silhouette.green, silhouette.blue);
    cairo_move_to(cr, x - 0.002 * w, y);
    cairo_line_to(cr, x - 0.0045 * w, standTop(frame, x) + 0.01 * h);
    cairo_line_to(cr, x + 0.0045 * w, standTop(frame, x) + 0.01 * h);
    cairo_line_to(cr, x + 0.002 * w, y);
    cairo_close_path(cr);
    cairo_fill(cr);
    addGlow(cr, x, y, 0.26 * h, hexColor(0x9DB8FF), 0.22);
    addGlow(cr, x, y, 0.07 * h, floodlight, 0.7);
    // The bank of lamps: four rows of six, tilted toward the pitch.
    cairo_save(cr);
    cairo_translate(cr, x, y);
    cairo_rotate(cr, mast.lean);
    const double cell = 0.0065 * w;
    cairo_set_source_rgb(cr, silhouette.red, silhouette.green, silhouette.blue);
    cairo_rectangle(cr, -3.3 * cell, -2.3 * cell, 6.6 * cell, 4.6 * cell);
    cairo_fill(cr);
    for (int row = 0; row < 4; ++row) {
      for (int column = 0; column < 6; ++column) {
        const double lampX = (column - 2.5) * cell;
        const double lampY = (row - 1.5) * cell;
        addGlow(cr, lampX, lampY, 0.75 * cell, floodlight, 1.0);
      }
    }
    cairo_restore(cr);
  }
}

void drawStands(cairo_t* cr, Frame frame, Random& random) {
  const double w = frame.width;
  const double h = frame.height;
  const double ground = 0.70 * h;
  // The rim of the roof catches the light from inside.
  cairo_set_line_width(cr, 0.004 * h);
  cairo_set_source_rgba(cr, 0.75, 0.85, 1.0, 0.35);
  cairo_move_to(cr, 0.10 * w, standTop(frame, 0.10 * w));
  for (double x = 0.10 * w; x <= 0.90 * w; x += 4.0) cairo_line_to(cr, x, standTop(frame, x) - 1.5);
  cairo_stroke(cr);
  cairo_set_source_rgb(cr, silhouette.red, silhouette.green, silhouette.blue);
  cairo_move_to(cr, 0.07 * w, ground);
  cairo_line_to(cr, 0.10 * w, standTop(frame, 0.10 * w));
  for (double x = 0.10 * w; x <= 0.90 * w; x += 4.0) cairo_line_to(cr, x, standTop(frame, x));
  cairo_line_to(cr, 0.93 * w, ground);
  cairo_close_path(cr);
  cairo_fill(cr);
  // The underside of the roof, lit from the pitch, and ribs of the facade below it.
  for (double x = 0.105 * w; x <= 0.895 * w; x += 4.0) {
    const double top = standTop(frame, x);
    cairo_rectangle(cr, x, top + 0.004 * h, 4.0, 0.012 * h);
  }
  cairo_set_source_rgba(cr, 0.35, 0.45, 0.7, 0.16);
  cairo_fill(cr);
  cairo_set_source_rgba(cr, 0.25, 0.32, 0.5, 0.10);
  for (double x = 0.12 * w; x <= 0.88 * w; x += 0.02 * w) {
    const double top = standTop(frame, x) + 0.016 * h;
    cairo_rectangle(cr, x, top, 0.0018 * w, ground - top);
  }
  cairo_fill(cr);
  // Lit windows of the concourse, some dark.
  for (double x = 0.15 * w; x <= 0.85 * w; x += 0.0095 * w) {
    if (random.chance(0.3)) continue;
    const double top = standTop(frame, x) + 0.03 * h;
    cairo_rectangle(cr, x, top, 0.0035 * w, 0.004 * h);
  }
  cairo_set_source_rgba(cr, 1.0, 0.85, 0.6, 0.28);
  cairo_fill(cr);
}

void drawForeground(cairo_t* cr, Frame frame, Random& random) {
  const double w = frame.width;
  const double h = frame.height;
  const Noise noise(random);
  // Trees between the fields and the stadium hide its feet.
  const Skyline trees = [&](double x) {
    const double crowns = 0.5 + 0.5 * noise.fractal(x / (0.012 * w), 3, 0.6);
    return 0.675 * h - 0.035 * h * crowns - 0.02 * h * noise.fractal(x / (0.2 * w), 2);
  };
  cairo_set_source_rgb(cr, 0.012, 0.018, 0.035);
  fillBelow(cr, frame, trees, h, 2.0);
  fillVerticalGradient(cr, frame, 0.70 * h, h,
                       {{0.0, hexColor(0x070B16)}, {0.35, hexColor(0x04060C)}, {1.0, {}}});
  // Mist over the fields, lit a little by the stadium.
  for (int i = 0; i < 14; ++i) {
    paintSoftEllipse(cr, random.uniform() * w, random.between(0.68, 0.74) * h,
                     random.between(0.1, 0.3) * w, random.between(0.01, 0.025) * h,
                     hexColor(0x5A6E9A), random.between(0.06, 0.14));
  }
  // Street lights along the road to the ground.
  const double road = 0.712 * h;
  cairo_set_source_rgba(cr, 0.6, 0.45, 0.3, 0.10);
  cairo_rectangle(cr, 0, road, w, 0.002 * h);
  cairo_fill(cr);
  for (int i = 0; i < 14; ++i) {
    const double x = (0.04 + 0.92 * i / 13.0 + random.between(-0.01, 0.01)) * w;
    addGlow(cr, x, road, 0.018 * h, hexColor(0xFFB46A), 0.55);
    addGlow(cr, x, road, 0.003 * h, hexColor(0xFFE8C8), 1.0);
  }
}

}  // namespace

void paintStadiumNight(cairo_t* cr, Frame frame, Random& random) {
  drawSky(cr, frame, random);
  drawBeams(cr, frame);
  drawStands(cr, frame, random);
  drawMastsAndLamps(cr, frame);
  drawForeground(cr, frame, random);
}

}  // namespace brivora::samples
