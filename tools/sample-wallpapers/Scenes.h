#pragma once

// The scenes of the sample wallpapers. Each paints the whole frame opaquely, leaving the lower
// part dark enough for the clock and the countdown, and the top left calm for the caption.
#include <cairo.h>

#include "tools/sample-wallpapers/Painting.h"
#include "tools/sample-wallpapers/Random.h"

namespace brivora::samples {

using Scene = void (*)(cairo_t* cr, Frame frame, Random& random);

void paintHarbourDusk(cairo_t* cr, Frame frame, Random& random);
void paintStadiumNight(cairo_t* cr, Frame frame, Random& random);
void paintAuroraRidge(cairo_t* cr, Frame frame, Random& random);
void paintBokehLights(cairo_t* cr, Frame frame, Random& random);
void paintMorningHills(cairo_t* cr, Frame frame, Random& random);
void paintSilkWaves(cairo_t* cr, Frame frame, Random& random);

}  // namespace brivora::samples
