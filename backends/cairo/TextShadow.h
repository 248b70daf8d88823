#pragma once

#include <array>
#include <optional>

#include "platform/Color.h"
#include "platform/Geometry.h"
#include "platform/Text.h"

namespace brivora {

// How to draw the shadow of a text: where its layout origin falls (surface coordinates), the
// box blurs that approximate its Gaussian, and its colour.
struct TextShadowPaint {
  Point origin;
  std::array<int, 3> blurRadii{};
  Color color;
};

// The shadow of text drawn with its layout origin at `layoutOrigin` in a colour of alpha
// `textAlpha`: moved by the offset, blurred by a Gaussian of standard deviation half the blur
// radius, in the shadow colour with its alpha scaled by the text's, as a shadow is cast by
// what is drawn. None when it cannot show: clear, or moved beyond Cairo's range.
std::optional<TextShadowPaint> textShadowPaint(Point layoutOrigin, const Shadow& shadow,
                                               double textAlpha);

}  // namespace brivora
