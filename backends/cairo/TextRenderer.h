#pragma once

#include <cairo.h>

#include <array>
#include <cstdint>

#include "backends/cairo/CairoHandles.h"
#include "backends/cairo/LruCache.h"
#include "backends/cairo/RowPasses.h"
#include "backends/cairo/TextCache.h"
#include "backends/cairo/TextLayout.h"
#include "backends/cairo/TextRaster.h"
#include "platform/Geometry.h"
#include "platform/Text.h"

namespace brivora {

// Lays out and draws single lines of text with Pango. Fonts are shaped with fixed options
// (no hinting, unhinted metrics, grey anti-aliasing), so sizes do not depend on the surface.
// Shaped lines and their A8 glyph and shadow rasters are kept, least recently used out
// first, so a text drawn again, in any colour, only composites. One renderer per drawing
// thread.
class TextRenderer {
 public:
  TextRenderer();

  // The logical size of `text` in points; zero for empty or unlayoutable text.
  Size measure(const AttributedString& text);

  // Draws `text`, its shadow first, with the lower-left corner of its measured box at `point`
  // (view coordinates) on the image surface `frame` draws to. The shadow's alpha is scaled
  // by the text colour's; clear text draws nothing. With `passes`, where the AVX2 paths run,
  // the composites are added to them instead of drawn.
  void draw(cairo_t* frame, const AttributedString& text, Point point, RowPasses* passes = nullptr);

  // Forgets the rasters, as when the frame changes size; shaped lines stay.
  void forgetRasters();

  // Forgets the shaped lines and rasters, so the next draws start afresh.
  void forgetAll();

  TextCacheStats stats() const;

 private:
  const ShapedText& shape(const AttributedString& text);

  // Paints `color` through the raster of `shaped` at `origin`, blurred by `blurRadii`.
  void composite(cairo_t* frame, const ShapedText& shaped, Point origin,
                 const std::array<int, 3>& blurRadii, Color color, RowPasses* passes);

  PangoFontMapHandle fontMap_;
  PangoContextHandle context_;
  LruCache<ShapingKey, ShapedText, ShapingKeyHash> shapedTexts_{shapedTextBudget};
  LruCache<TextRasterKey, CairoSurface, TextRasterKeyHash> rasters_{textRasterBudgetBytes};
  std::uint64_t shapings_ = 0;
  std::uint64_t rasterisations_ = 0;
};

}  // namespace brivora
