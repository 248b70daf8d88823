#pragma once

#include <cairo.h>

#include "backends/cairo/CairoHandles.h"
#include "platform/Geometry.h"
#include "platform/Text.h"

namespace brivora {

// Lays out and draws single lines of text with Pango. Fonts are shaped with fixed options
// (no hinting, unhinted metrics, grey anti-aliasing), so sizes do not depend on the surface.
// One renderer per drawing thread.
class TextRenderer {
 public:
  TextRenderer();

  // The logical size of `text` in points; zero for empty or unlayoutable text.
  Size measure(const AttributedString& text);

  // Draws `text`, its shadow first, with the lower-left corner of its measured box at `point`
  // (view coordinates) on the image surface `frame` draws to.
  void draw(cairo_t* frame, const AttributedString& text, Point point);

 private:
  PangoFontMapHandle fontMap_;
  PangoContextHandle context_;
};

}  // namespace brivora
