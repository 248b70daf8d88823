#include "backends/cairo/TextRenderer.h"

#include <pango/pangocairo.h>

#include <utility>

#include "backends/cairo/MaskComposite.h"
#include "backends/cairo/SurfaceCoordinates.h"
#include "backends/cairo/TextShadow.h"

namespace brivora {

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
  const SurfaceRect box = shape(text).logical;
  return {box.width, box.height};
}

void TextRenderer::draw(cairo_t* frame, const AttributedString& text, Point point,
                        RowPasses* passes) {
  if (text.string.empty() || !isLayoutable(text) || !isFinite(point)) return;
  const Color color = text.color.value_or(Color::black());
  if (!(color.a > 0)) return;
  const ShapedText& shaped = shape(text);
  const SurfaceRect box = shaped.logical;
  const Point lowerLeft =
      surfacePoint(point, cairo_image_surface_get_height(cairo_get_target(frame)));
  const Point origin{lowerLeft.x - box.x, lowerLeft.y - box.height - box.y};
  if (!isInSurfaceRange({origin.x, origin.y, box.width, box.height})) return;

  if (text.shadow) {
    if (const auto shadow = textShadowPaint(origin, *text.shadow, color.a)) {
      composite(frame, shaped, shadow->origin, shadow->blurRadii, shadow->color, passes);
    }
  }
  composite(frame, shaped, origin, {}, color, passes);
}

void TextRenderer::forgetRasters() {
  rasters_.clear();
}

void TextRenderer::forgetAll() {
  rasters_.clear();
  shapedTexts_.clear();
}

TextCacheStats TextRenderer::stats() const {
  return {shapedTexts_.size(), rasters_.size(), rasters_.cost(), shapings_, rasterisations_};
}

const ShapedText& TextRenderer::shape(const AttributedString& text) {
  const ShapingKey key = ShapingKey::of(text);
  if (const ShapedText* shaped = shapedTexts_.find(key)) return *shaped;
  ++shapings_;
  return *shapedTexts_.insert(key, shapeText(context_.get(), text, shapings_), 1);
}

void TextRenderer::composite(cairo_t* frame, const ShapedText& shaped, Point origin,
                             const std::array<int, 3>& blurRadii, Color color, RowPasses* passes) {
  cairo_surface_t* target = cairo_get_target(frame);
  const std::optional<TextRasterPlacement> placement =
      placeTextRaster(shaped, origin, blurRadii, cairo_image_surface_get_width(target),
                      cairo_image_surface_get_height(target));
  if (!placement) return;
  CairoSurface rendered;
  cairo_surface_t* raster = nullptr;
  if (const CairoSurface* kept = rasters_.find(placement->key)) {
    raster = kept->get();
  } else {
    rendered = renderTextRaster(shaped, placement->key);
    ++rasterisations_;
    if (!rendered) return;
    raster = rendered.get();
  }

  if (passes) {
    // Held back: the passes keep a reference to the raster, whatever the cache drops.
    if (auto rows = MaskRows::place(raster, placement->x, placement->y, color,
                                    cairo_image_surface_get_width(target),
                                    cairo_image_surface_get_height(target))) {
      passes->add(std::move(*rows));
    }
  } else {
    paintThroughMask(frame, raster, placement->x, placement->y, color);
  }
  if (rendered) {
    const std::size_t bytes = rasterBytes(rendered.get());
    rasters_.insert(placement->key, std::move(rendered), bytes);
  }
}

}  // namespace brivora
