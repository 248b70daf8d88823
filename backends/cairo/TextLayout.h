#pragma once

#include <pango/pango.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "backends/cairo/CairoHandles.h"
#include "backends/cairo/SurfaceCoordinates.h"
#include "platform/Text.h"

namespace brivora {

// The largest font size laid out, in points; larger text measures zero and draws nothing.
inline constexpr double maxFontSize = 4096;

// The font `text` is set in: its own, or the 12-point standard regular font.
Font fontOf(const AttributedString& text);

// Whether `text` can be laid out: a font size in (0, maxFontSize] and finite kern, colour
// and shadow.
bool isLayoutable(const AttributedString& text);

// The Pango weight, 100 to 900, for `weight`.
PangoWeight pangoWeight(FontWeight weight);

// `font` as a Pango font description: family list, weight, style and absolute pixel size.
PangoFontDescriptionHandle fontDescription(const Font& font);

// A single-line layout of `text` on `context`, with its font, kern and digit style; the
// colour and shadow are left to the drawing. `text` must be layoutable.
PangoLayoutHandle makeTextLayout(PangoContext* context, const AttributedString& text);

// What decides how a text is shaped: its characters, font and kern; not its colour or shadow.
struct ShapingKey {
  std::string string;
  Font font;
  double kern = 0;

  // The key of `text`, which must be layoutable.
  static ShapingKey of(const AttributedString& text);

  friend bool operator==(const ShapingKey&, const ShapingKey&) = default;
};

struct ShapingKeyHash {
  std::size_t operator()(const ShapingKey& key) const;
};

// A text laid out once, kept for measuring and drawing it again.
struct ShapedText {
  PangoLayoutHandle layout;
  // The logical box and the ink's extents in points, relative to the layout's origin.
  SurfaceRect logical;
  SurfaceRect ink;
  // Unique to this shaping, so rasters made from an evicted layout never match a new one.
  std::uint64_t serial = 0;
};

// `text`, which must be layoutable, shaped on `context`.
ShapedText shapeText(PangoContext* context, const AttributedString& text, std::uint64_t serial);

}  // namespace brivora
