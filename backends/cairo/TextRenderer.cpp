#include "backends/cairo/TextRenderer.h"

#include <pango/pangocairo.h>

#include <cmath>

#include "backends/cairo/SurfaceCoordinates.h"
#include "backends/cairo/TextLayout.h"
#include "backends/cairo/TextShadow.h"

namespace brivora {

namespace {

// The layout's logical box in points; `x` and `y` place it relative to the layout's origin.
SurfaceRect logicalBox(PangoLayout* layout) {
  PangoRectangle logical;
  pango_layout_get_extents(layout, nullptr, &logical);
  constexpr double unitsPerPoint = PANGO_SCALE;
  return {logical.x / unitsPerPoint, logical.y / unitsPerPoint, logical.width / unitsPerPoint,
          logical.height / unitsPerPoint};
}

}  // namespace

TextRenderer::TextRenderer()
    : fontMap_(pango_cairo_font_map_new()),
      context_(pango_font_map_create_context(fontMap_.get())) {
  const CairoFontOptions options(cairo_font_options_create());
  cairo_font_options_set_hint_style(options.get(), CAIRO_HINT_STYLE_NONE);
  cairo_font_options_set_hint_metrics(options.get(), CAIRO_HINT_METRICS_OFF);
  cairo_font_options_set_antialias(options.get(), CAIRO_ANTIALIAS_GRAY);
  pango_cairo_context_set_font_options(context_.get(), options.get());
  // Text that drifts must glide, not snap from pixel to pixel.
  pango_context_set_round_glyph_positions(context_.get(), FALSE);
}

Size TextRenderer::measure(const AttributedString& text) {
  if (text.string.empty() || !isLayoutable(text)) return {};
  const PangoLayoutHandle layout = makeTextLayout(context_.get(), text);
  const SurfaceRect box = logicalBox(layout.get());
  return {box.width, box.height};
}

void TextRenderer::draw(cairo_t* frame, const AttributedString& text, Point point) {
  if (text.string.empty() || !isLayoutable(text) || !isFinite(point)) return;
  const PangoLayoutHandle layout = makeTextLayout(context_.get(), text);
  const SurfaceRect box = logicalBox(layout.get());
  const Point lowerLeft =
      surfacePoint(point, cairo_image_surface_get_height(cairo_get_target(frame)));
  const Point origin{lowerLeft.x - box.x, lowerLeft.y - box.height - box.y};
  if (!isInSurfaceRange({origin.x, origin.y, box.width, box.height})) return;

  if (text.shadow) drawTextShadow(frame, layout.get(), origin, *text.shadow);
  const Color color = text.color.value_or(Color{0, 0, 0, 1});
  if (!(color.a > 0)) return;
  cairo_save(frame);
  cairo_set_source_rgba(frame, color.r, color.g, color.b, color.a);
  cairo_move_to(frame, origin.x, origin.y);
  pango_cairo_show_layout(frame, layout.get());
  cairo_restore(frame);
}

}  // namespace brivora
