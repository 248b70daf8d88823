#include "backends/cairo/TextRaster.h"

#include <pango/pangocairo.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <functional>

#include "backends/cairo/LruCache.h"
#include "backends/cairo/ShadowBlur.h"

namespace brivora {

namespace {

// Anti-aliasing may reach a pixel past the ink extents Pango reports.
constexpr int inkSlackPixels = 1;

// A box of whole pixels; doubles, so text far past the frame cannot overflow it.
struct PixelBox {
  double left = 0;
  double top = 0;
  double right = 0;
  double bottom = 0;
};

int spreadOf(const std::array<int, 3>& blurRadii) {
  return blurRadii[0] + blurRadii[1] + blurRadii[2];
}

double phaseOffset(int phase) {
  return static_cast<double>(phase) / rasterPhasesPerPixel;
}

// The pixels the ink of `shaped` at the phase can touch, grown by `spread`, relative to the
// pixel holding the layout's origin.
PixelBox inkReach(const ShapedText& shaped, int phaseX, int phaseY, int spread) {
  const double x = phaseOffset(phaseX) + shaped.ink.x;
  const double y = phaseOffset(phaseY) + shaped.ink.y;
  const double margin = inkSlackPixels + spread;
  return {std::floor(x) - margin, std::floor(y) - margin, std::ceil(x + shaped.ink.width) + margin,
          std::ceil(y + shaped.ink.height) + margin};
}

}  // namespace

std::size_t TextRasterKeyHash::operator()(const TextRasterKey& key) const {
  std::size_t hash = std::hash<std::uint64_t>{}(key.serial);
  for (const int value : {key.phaseX, key.phaseY, key.blurRadii[0], key.blurRadii[1],
                          key.blurRadii[2], key.left, key.top, key.width, key.height}) {
    hash = combineHash(hash, std::hash<int>{}(value));
  }
  return hash;
}

std::optional<TextRasterPlacement> placeTextRaster(const ShapedText& shaped, Point origin,
                                                   const std::array<int, 3>& blurRadii,
                                                   int frameWidth, int frameHeight) {
  if (!(shaped.ink.width > 0 && shaped.ink.height > 0)) return std::nullopt;
  const double stepsX = std::round(origin.x * rasterPhasesPerPixel);
  const double stepsY = std::round(origin.y * rasterPhasesPerPixel);
  const double wholeX = std::floor(stepsX / rasterPhasesPerPixel);
  const double wholeY = std::floor(stepsY / rasterPhasesPerPixel);
  const int phaseX = static_cast<int>(stepsX - wholeX * rasterPhasesPerPixel);
  const int phaseY = static_cast<int>(stepsY - wholeY * rasterPhasesPerPixel);
  const PixelBox reach = inkReach(shaped, phaseX, phaseY, spreadOf(blurRadii));
  // Only what lands on the frame is kept, however long the line or wide the blur.
  const double left = std::max(reach.left, -wholeX);
  const double top = std::max(reach.top, -wholeY);
  const double right = std::min(reach.right, frameWidth - wholeX);
  const double bottom = std::min(reach.bottom, frameHeight - wholeY);
  if (!(left < right && top < bottom)) return std::nullopt;
  TextRasterPlacement placement;
  placement.key = {shaped.serial,
                   phaseX,
                   phaseY,
                   blurRadii,
                   static_cast<int>(left),
                   static_cast<int>(top),
                   static_cast<int>(right - left),
                   static_cast<int>(bottom - top)};
  placement.x = static_cast<int>(wholeX + left);
  placement.y = static_cast<int>(wholeY + top);
  return placement;
}

CairoSurface renderTextRaster(const ShapedText& shaped, const TextRasterKey& key) {
  // The blur needs the ink up to its spread beyond the raster's box.
  const int spread = spreadOf(key.blurRadii);
  const PixelBox reach = inkReach(shaped, key.phaseX, key.phaseY, spread);
  const int left = static_cast<int>(std::max<double>(key.left - spread, reach.left));
  const int top = static_cast<int>(std::max<double>(key.top - spread, reach.top));
  const int right = static_cast<int>(std::min<double>(key.left + key.width + spread, reach.right));
  const int bottom =
      static_cast<int>(std::min<double>(key.top + key.height + spread, reach.bottom));
  const int width = right - left;
  const int height = bottom - top;
  CairoSurface canvas(cairo_image_surface_create(CAIRO_FORMAT_A8, width, height));
  if (cairo_surface_status(canvas.get()) != CAIRO_STATUS_SUCCESS) return nullptr;
  {
    const Cairo painter(cairo_create(canvas.get()));
    cairo_translate(painter.get(), phaseOffset(key.phaseX) - left, phaseOffset(key.phaseY) - top);
    // Outlines, not glyph images: Cairo sets glyph images on whole pixels, which would undo
    // the phase.
    pango_cairo_layout_path(painter.get(), shaped.layout.get());
    cairo_fill(painter.get());
  }
  cairo_surface_flush(canvas.get());
  std::uint8_t* pixels = cairo_image_surface_get_data(canvas.get());
  const int stride = cairo_image_surface_get_stride(canvas.get());
  blurAlphaMask(pixels, width, height, stride, key.blurRadii);
  if (left == key.left && top == key.top && width == key.width && height == key.height) {
    cairo_surface_mark_dirty(canvas.get());
    return canvas;
  }

  CairoSurface raster(cairo_image_surface_create(CAIRO_FORMAT_A8, key.width, key.height));
  if (cairo_surface_status(raster.get()) != CAIRO_STATUS_SUCCESS) return nullptr;
  cairo_surface_flush(raster.get());
  std::uint8_t* kept = cairo_image_surface_get_data(raster.get());
  const int keptStride = cairo_image_surface_get_stride(raster.get());
  for (int row = 0; row < key.height; ++row) {
    std::memcpy(
        kept + static_cast<std::ptrdiff_t>(row) * keptStride,
        pixels + static_cast<std::ptrdiff_t>(key.top - top + row) * stride + (key.left - left),
        static_cast<std::size_t>(key.width));
  }
  cairo_surface_mark_dirty(raster.get());
  return raster;
}

std::size_t rasterBytes(cairo_surface_t* raster) {
  return static_cast<std::size_t>(cairo_image_surface_get_stride(raster)) *
         static_cast<std::size_t>(cairo_image_surface_get_height(raster));
}

}  // namespace brivora
