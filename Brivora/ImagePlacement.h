#pragma once

#include <optional>

#include "platform/Geometry.h"

namespace brivora {

// How far an image's centre drifts over one cycle, as a fraction of the view.
inline constexpr double panLength = 0.02;

// Where a wallpaper of natural size `imageSize` is drawn in `bounds` at cycle progress
// `progress`: covering the view by aspect fill, zoomed linearly from 1 to `zoom` and moved by
// `progress` times the pan (fractions of the view's width and height) from the centre.
// None when the image has no area.
std::optional<Rect> placeImage(Size imageSize, Rect bounds, double progress, Point pan,
                               double zoom);

}  // namespace brivora
