#pragma once

#include <pango/pango.h>

#include "backends/cairo/CairoHandles.h"
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

}  // namespace brivora
