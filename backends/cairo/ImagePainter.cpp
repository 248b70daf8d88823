#include "backends/cairo/ImagePainter.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "backends/cairo/BilinearScaler.h"
#include "backends/cairo/PrefaultedSurface.h"
#include "backends/cairo/ShapeFill.h"
#include "backends/cairo/SurfaceCoordinates.h"

namespace brivora {

namespace {

// Below this a rect shows nothing of the image, and scaling into it would overflow the
// fixed-point transform pixman samples with.
constexpr double minImageRectExtent = 1.0 / 64;

// A surface over `pixels` without copying them. Cairo only reads a source surface, so the
// const pixels are never written.
CairoSurface wrapPixels(const ImagePixels& pixels) {
  if (pixels.width <= 0 || pixels.height <= 0) return nullptr;
  const std::size_t count =
      static_cast<std::size_t>(pixels.width) * static_cast<std::size_t>(pixels.height);
  if (pixels.argb.size() < count) return nullptr;
  const int stride = cairo_format_stride_for_width(CAIRO_FORMAT_ARGB32, pixels.width);
  if (stride != pixels.width * 4) return nullptr;
  auto* data = reinterpret_cast<unsigned char*>(const_cast<std::uint32_t*>(pixels.argb.data()));
  CairoSurface surface(cairo_image_surface_create_for_data(data, CAIRO_FORMAT_ARGB32, pixels.width,
                                                           pixels.height, stride));
  if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) return nullptr;
  return surface;
}

// The image surface mapped onto `rect`: scaled from its pixel size, bilinear, its edge pixels
// padded outwards so the rect's borders do not fade.
CairoPattern imagePattern(cairo_surface_t* image, const ImagePixels& pixels, SurfaceRect rect) {
  CairoPattern pattern(cairo_pattern_create_for_surface(image));
  cairo_matrix_t userToImage;
  cairo_matrix_init_scale(&userToImage, pixels.width / rect.width, pixels.height / rect.height);
  cairo_matrix_translate(&userToImage, -rect.x, -rect.y);
  cairo_pattern_set_matrix(pattern.get(), &userToImage);
  cairo_pattern_set_filter(pattern.get(), CAIRO_FILTER_BILINEAR);
  cairo_pattern_set_extend(pattern.get(), CAIRO_EXTEND_PAD);
  if (cairo_pattern_status(pattern.get()) != CAIRO_STATUS_SUCCESS) return nullptr;
  return pattern;
}

bool covers(SurfaceRect rect, double width, double height) {
  return rect.x <= 0 && rect.y <= 0 && rect.x + rect.width >= width &&
         rect.y + rect.height >= height;
}

// Writes all of `surface` with the image scaled onto `rect`, without pixman; false where the
// scaler cannot, leaving the surface as it was.
bool scaleInto(cairo_surface_t* surface, const ImagePixels& pixels, SurfaceRect rect) {
  cairo_surface_flush(surface);
  auto* data = reinterpret_cast<std::uint32_t*>(cairo_image_surface_get_data(surface));
  const int stride = cairo_image_surface_get_stride(surface);
  if (!data || stride % 4 != 0) return false;
  if (!scaleBilinearInto(pixels, rect, data, cairo_image_surface_get_width(surface),
                         cairo_image_surface_get_height(surface), stride / 4)) {
    return false;
  }
  cairo_surface_mark_dirty(surface);
  return true;
}

// The 8-bit alpha pixman gets for a paint with `fraction`: Cairo hands it a 16-bit colour.
int maskAlpha(double fraction) {
  return static_cast<int>(std::clamp(fraction, 0.0, 1.0) * 65535 + 0.5) >> 8;
}

}  // namespace

void ImagePainter::draw(cairo_t* frame, const ImagePixels& pixels, Rect rect, double fraction) {
  if (!isFinite(rect) || !std::isfinite(fraction) || fraction <= 0) return;
  cairo_surface_t* target = cairo_get_target(frame);
  const double width = cairo_image_surface_get_width(target);
  const double height = cairo_image_surface_get_height(target);
  const SurfaceRect onSurface = surfaceRect(rect, height);
  if (!(onSurface.width >= minImageRectExtent && onSurface.height >= minImageRectExtent)) return;
  if (!isInSurfaceRange(onSurface)) return;
  const auto visible = visiblePart(onSurface, width, height);
  if (!visible) return;

  if (fraction >= 1) {
    const CairoSurface image = wrapPixels(pixels);
    if (!image) return;
    const CairoPattern pattern = imagePattern(image.get(), pixels, onSurface);
    if (!pattern) return;
    cairo_save(frame);
    cairo_set_source(frame, pattern.get());
    cairo_rectangle(frame, visible->x, visible->y, visible->width, visible->height);
    cairo_fill(frame);
    cairo_restore(frame);
    return;
  }

  // A scaled image painted with an alpha in one call takes pixman's slow path; drawing it
  // opaque into scratch and blending that 1:1 is several times faster.
  cairo_surface_t* scratch = scratchFor(target);
  if (!scratch || !keepScaled(scratch, pixels, onSurface, *visible)) return;
  const double left = std::floor(visible->x);
  const double top = std::floor(visible->y);
  const double right = std::ceil(visible->x + visible->width);
  const double bottom = std::ceil(visible->y + visible->height);
  cairo_save(frame);
  cairo_rectangle(frame, left, top, right - left, bottom - top);
  cairo_clip(frame);
  cairo_set_source_surface(frame, scratch, 0, 0);
  cairo_paint_with_alpha(frame, fraction);
  cairo_restore(frame);
}

void ImagePainter::drawOverFill(cairo_t* frame, Color fill, const ImagePixels& wallpaper, Rect rect,
                                const Incoming* incoming, const RowPasses& passes) {
  cairo_surface_t* target = cairo_get_target(frame);
  const int width = cairo_image_surface_get_width(target);
  const int height = cairo_image_surface_get_height(target);
  // The draws one by one, within `clip` (surface pixels) when given.
  const auto drawPasses = [&](const SurfaceRect* clip, bool withIncoming) {
    cairo_save(frame);
    if (clip) {
      cairo_rectangle(frame, clip->x, clip->y, clip->width, clip->height);
      cairo_clip(frame);
    }
    fillSurfaceRect(frame, Rect{0, 0, static_cast<double>(width), static_cast<double>(height)},
                    fill, CompositingOperation::copy);
    draw(frame, wallpaper, rect, 1);
    if (withIncoming) draw(frame, incoming->pixels, incoming->rect, incoming->fraction);
    cairo_restore(frame);
  };
  const auto drawOneByOne = [&] {
    drawPasses(nullptr, incoming != nullptr);
    passes.blendAll(target);
  };

  // The whole pixels the wallpaper covers; the rest of the frame is drawn pass by pass.
  const SurfaceRect onSurface = surfaceRect(rect, height);
  const bool usable = isFinite(rect) && isInSurfaceRange(onSurface) &&
                      onSurface.width >= minImageRectExtent &&
                      onSurface.height >= minImageRectExtent;
  const int left = usable ? std::clamp(static_cast<int>(std::ceil(onSurface.x)), 0, width) : 0;
  const int top = usable ? std::clamp(static_cast<int>(std::ceil(onSurface.y)), 0, height) : 0;
  const int right =
      usable ? std::clamp(static_cast<int>(std::floor(onSurface.x + onSurface.width)), 0, width)
             : 0;
  const int bottom =
      usable ? std::clamp(static_cast<int>(std::floor(onSurface.y + onSurface.height)), 0, height)
             : 0;
  if (!(left < right && top < bottom)) {
    drawOneByOne();
    return;
  }
  const SurfaceRect fromInterior{onSurface.x - left, onSurface.y - top, onSurface.width,
                                 onSurface.height};
  std::optional<BilinearRows> scaling =
      BilinearRows::prepare(wallpaper, fromInterior, right - left, bottom - top);
  if (!scaling) {
    drawOneByOne();
    return;
  }

  // A wallpaper is on screen: the next one will fade in over it, so the scratch it needs is
  // made now rather than on the crossfade's first frame.
  cairo_surface_t* scratch = scratchFor(target);
  const std::uint32_t* overlay = nullptr;
  std::ptrdiff_t overlayStride = 0;
  int overlayAlpha = 0;
  if (incoming && scratch && incoming->fraction > 0 && incoming->fraction < 1 &&
      isFinite(incoming->rect)) {
    const SurfaceRect incomingOnSurface = surfaceRect(incoming->rect, height);
    if (covers(incomingOnSurface, width, height) && isInSurfaceRange(incomingOnSurface) &&
        keepScaled(scratch, incoming->pixels, incomingOnSurface,
                   SurfaceRect{0, 0, static_cast<double>(width), static_cast<double>(height)})) {
      overlayStride = cairo_image_surface_get_stride(scratch) / 4;
      overlay =
          reinterpret_cast<const std::uint32_t*>(cairo_image_surface_get_data(scratch)) + left;
      overlayAlpha = maskAlpha(incoming->fraction);
    }
  }
  const bool incomingInWalk = overlay != nullptr;

  // The border first: it lies outside the rows and columns the walk scales into.
  const double w = width;
  const double h = height;
  const SurfaceRect borders[] = {
      {0, 0, w, static_cast<double>(top)},
      {0, static_cast<double>(bottom), w, h - bottom},
      {0, static_cast<double>(top), static_cast<double>(left), static_cast<double>(bottom - top)},
      {static_cast<double>(right), static_cast<double>(top), w - right,
       static_cast<double>(bottom - top)},
  };
  for (const SurfaceRect& border : borders) {
    if (border.width > 0 && border.height > 0) drawPasses(&border, incomingInWalk);
  }
  if (incoming && !incomingInWalk) {
    // The incoming image is drawn over the whole frame afterwards: nothing may follow it in
    // the walk.
    walkRows(target, *scaling, left, top, bottom, nullptr, 0, 0, false, RowPasses());
    draw(frame, incoming->pixels, incoming->rect, incoming->fraction);
    passes.blendAll(target);
    return;
  }
  walkRows(target, *scaling, left, top, bottom, overlay, overlayStride, overlayAlpha,
           incomingInWalk && incoming->pixels.opaque, passes);
}

void ImagePainter::walkRows(cairo_surface_t* target, BilinearRows& scaling, int left, int top,
                            int bottom, const std::uint32_t* overlay, std::ptrdiff_t overlayStride,
                            int overlayAlpha, bool overlayOpaque, const RowPasses& passes) {
  cairo_surface_flush(target);
  auto* data = reinterpret_cast<std::uint32_t*>(cairo_image_surface_get_data(target));
  const int stride = cairo_image_surface_get_stride(target) / 4;
  const int height = cairo_image_surface_get_height(target);
  for (int y = 0; y < height; ++y) {
    std::uint32_t* row = data + static_cast<std::ptrdiff_t>(y) * stride;
    if (y >= top && y < bottom) {
      scaling.scaleRow(y - top, row + left, overlay ? overlay + y * overlayStride : nullptr,
                       overlayAlpha, overlayOpaque);
    }
    passes.blendRow(y, row);
  }
  cairo_surface_mark_dirty(target);
}

bool ImagePainter::keepScaled(cairo_surface_t* scratch, const ImagePixels& pixels,
                              SurfaceRect onSurface, SurfaceRect visible) {
  // An image fading in stays where it is, so its scaled copy is kept for the next frames.
  const Scaled wanted{pixels.argb.data(), pixels.width, pixels.height, onSurface};
  if (scaled_ == wanted) return true;
  scaled_.reset();
  const double width = cairo_image_surface_get_width(scratch);
  const double height = cairo_image_surface_get_height(scratch);
  if (covers(onSurface, width, height) && scaleInto(scratch, pixels, onSurface)) {
    scaled_ = wanted;
    return true;
  }
  const CairoSurface image = wrapPixels(pixels);
  if (!image) return false;
  const CairoPattern pattern = imagePattern(image.get(), pixels, onSurface);
  if (!pattern) return false;
  const double left = std::floor(visible.x);
  const double top = std::floor(visible.y);
  const double right = std::ceil(visible.x + visible.width);
  const double bottom = std::ceil(visible.y + visible.height);
  {
    const Cairo painter(cairo_create(scratch));
    cairo_rectangle(painter.get(), left, top, right - left, bottom - top);
    cairo_set_operator(painter.get(), CAIRO_OPERATOR_CLEAR);
    cairo_fill(painter.get());
    cairo_set_operator(painter.get(), CAIRO_OPERATOR_SOURCE);
    cairo_set_source(painter.get(), pattern.get());
    cairo_rectangle(painter.get(), visible.x, visible.y, visible.width, visible.height);
    cairo_fill(painter.get());
  }
  cairo_surface_flush(scratch);
  scaled_ = wanted;
  return true;
}

void ImagePainter::reset() {
  scratch_.reset();
  scaled_.reset();
}

cairo_surface_t* ImagePainter::scratchFor(cairo_surface_t* frame) {
  const int width = cairo_image_surface_get_width(frame);
  const int height = cairo_image_surface_get_height(frame);
  if (!scratch_ || cairo_image_surface_get_width(scratch_.get()) != width ||
      cairo_image_surface_get_height(scratch_.get()) != height) {
    scaled_.reset();
    scratch_ = makePrefaultedSurface(width, height);
  }
  return scratch_.get();
}

}  // namespace brivora
