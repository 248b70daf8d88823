#include "backends/cairo/CairoGraphicsContext.h"

#include <cairo.h>

#include <algorithm>
#include <optional>
#include <utility>

#include "backends/cairo/CairoHandles.h"
#include "backends/cairo/CpuFeatures.h"
#include "backends/cairo/GradientFill.h"
#include "backends/cairo/ImagePainter.h"
#include "backends/cairo/RowPasses.h"
#include "backends/cairo/ShapeFill.h"
#include "backends/cairo/SurfaceCoordinates.h"
#include "backends/cairo/TextRenderer.h"
#include "platform/Image.h"
#include "platform/Text.h"

namespace brivora {

namespace {

// The largest side a Cairo image surface can have.
constexpr int maxSurfaceSide = 32767;

CairoSurface makeFrameSurface(int width, int height) {
  return CairoSurface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32,
                                                 std::clamp(width, 1, maxSurfaceSide),
                                                 std::clamp(height, 1, maxSurfaceSide)));
}

}  // namespace

struct CairoGraphicsContext::State {
  CairoSurface surface;
  Cairo cairo;
  ImagePainter images;
  TextRenderer text;
  // What the frame has drawn so far and not yet written, drawn together in one walk over the
  // frame when something else comes or the frame is read. Images are held, not their pixels,
  // so a frame waits for a wallpaper still decoding only then, its text laid out meanwhile;
  // they are copies, which keep the pixels as long as they are held.
  // First an opaque fill of the whole surface: an opaque image drawn next takes its place
  // wherever it covers whole pixels.
  std::optional<Color> deferredFill;
  struct HeldImage {
    Image image;  // a copy: it shares the pixels, so they outlive the caller's image
    Rect rect;
    double fraction;
  };
  // An image at full opacity over the fill, and one fading in over that.
  std::optional<HeldImage> deferredCover;
  std::optional<HeldImage> deferredIncoming;
  // Gradients, rounded rects and text over all of that, where the AVX2 paths run.
  RowPasses passes;
  // The last rounded rect's coverage: a countdown's background comes back every frame.
  struct KeptShape {
    Rect rect;
    double radius;
    int surfaceWidth;
    int surfaceHeight;
    ShapeMask shape;
  };
  std::optional<KeptShape> keptShape;

  void replaceSurface(int width, int height) { useSurface(makeFrameSurface(width, height)); }

  // Draws into other memory of the same size, keeping what was made for the size.
  void retarget(CairoSurface replacement) {
    drawDeferred();
    cairo.reset();
    surface = std::move(replacement);
    cairo.reset(cairo_create(surface.get()));
  }

  void useSurface(CairoSurface replacement) {
    cairo.reset();
    surface = std::move(replacement);
    cairo.reset(cairo_create(surface.get()));
    images.reset();
    text.forgetRasters();
    forgetDeferred();
  }

  void forgetDeferred() {
    deferredFill.reset();
    deferredCover.reset();
    deferredIncoming.reset();
    passes.clear();
  }

  int width() const { return cairo_image_surface_get_width(surface.get()); }
  int height() const { return cairo_image_surface_get_height(surface.get()); }

  bool coversSurface(Rect rect) const {
    return rect.minX() <= 0 && rect.minY() <= 0 && rect.maxX() >= width() &&
           rect.maxY() >= height();
  }

  // Where gradients and text may be held back for the walk.
  bool passesHeldBack() const { return vectorPathsEnabled(); }

  // Draws what was deferred, before anything that does not join it, or the frame is read.
  void drawDeferred() {
    const ImagePixels* cover = deferredCover ? deferredCover->image.pixels() : nullptr;
    const ImagePixels* incoming = deferredIncoming ? deferredIncoming->image.pixels() : nullptr;
    if (deferredFill && cover && cover->opaque) {
      const std::optional<ImagePainter::Incoming> fading =
          incoming ? std::optional<ImagePainter::Incoming>(
                         {*incoming, deferredIncoming->rect, deferredIncoming->fraction})
                   : std::nullopt;
      images.drawOverFill(cairo.get(), *deferredFill, *cover, deferredCover->rect,
                          fading ? &*fading : nullptr, passes);
    } else {
      // One by one: the fill, the image over it, the one fading in, then the passes.
      if (deferredFill) {
        const Rect whole{Point{},
                         Size{static_cast<double>(width()), static_cast<double>(height())}};
        fillSurfaceRect(cairo.get(), whole, *deferredFill, CompositingOperation::copy);
      }
      if (cover) images.draw(cairo.get(), *cover, deferredCover->rect, deferredCover->fraction);
      if (incoming) {
        images.draw(cairo.get(), *incoming, deferredIncoming->rect, deferredIncoming->fraction);
      }
      passes.blendAll(surface.get());
    }
    forgetDeferred();
  }
};

CairoGraphicsContext::CairoGraphicsContext(int width, int height)
    : state_(std::make_unique<State>()) {
  state_->replaceSurface(width, height);
  // The first text a process lays out loads the font configuration and fonts, which takes
  // tens of milliseconds; doing it now, with a renderer of its own, overlaps it with the first
  // wallpaper's decoding.
  static const bool fontsLoaded = [] {
    AttributedString probe;
    probe.string = "0 \u5929";
    TextRenderer().measure(probe);
    return true;
  }();
  static_cast<void>(fontsLoaded);
}

CairoGraphicsContext::~CairoGraphicsContext() = default;

int CairoGraphicsContext::width() const {
  return cairo_image_surface_get_width(state_->surface.get());
}

int CairoGraphicsContext::height() const {
  return cairo_image_surface_get_height(state_->surface.get());
}

void CairoGraphicsContext::resize(int width, int height) {
  state_->replaceSurface(width, height);
}

void CairoGraphicsContext::drawInto(std::uint8_t* pixels, int width, int height, int stride) {
  CairoSurface target(cairo_image_surface_create_for_data(
      pixels, CAIRO_FORMAT_ARGB32, std::clamp(width, 1, maxSurfaceSide),
      std::clamp(height, 1, maxSurfaceSide), stride));
  // Another buffer of the same size (hosts that take turns among several) keeps what was
  // made for the size: text rasters, kept scalings.
  if (cairo_image_surface_get_width(target.get()) == this->width() &&
      cairo_image_surface_get_height(target.get()) == this->height()) {
    state_->retarget(std::move(target));
  } else {
    state_->useSurface(std::move(target));
  }
}

int CairoGraphicsContext::strideFor(int width) {
  return cairo_format_stride_for_width(CAIRO_FORMAT_ARGB32, std::clamp(width, 1, maxSurfaceSide));
}

const std::uint8_t* CairoGraphicsContext::data() {
  state_->drawDeferred();
  cairo_surface_flush(state_->surface.get());
  return cairo_image_surface_get_data(state_->surface.get());
}

int CairoGraphicsContext::stride() const {
  return cairo_image_surface_get_stride(state_->surface.get());
}

bool CairoGraphicsContext::writePng(const std::filesystem::path& path, std::string& error) {
  state_->drawDeferred();
  const cairo_status_t status = cairo_surface_write_to_png(state_->surface.get(), path.c_str());
  if (status == CAIRO_STATUS_SUCCESS) return true;
  error = "cannot write " + path.string() + ": " + cairo_status_to_string(status);
  return false;
}

void CairoGraphicsContext::fillRect(Rect rect, Color color) {
  if (isFinite(rect) && isFinite(color) && color.a >= 1 && state_->coversSurface(rect)) {
    // Opaque over everything: the same whatever the operation, and whatever came before.
    state_->forgetDeferred();
    state_->deferredFill = color;
    return;
  }
  state_->drawDeferred();
  fillSurfaceRect(state_->cairo.get(), rect, color, compositingOperation());
}

void CairoGraphicsContext::drawImage(const Image& image, Rect rect, double fraction) {
  // Nothing shows of an image at no opacity.
  if (!(fraction > 0)) return;
  if (state_->passes.empty() && state_->deferredFill && !state_->deferredCover && fraction >= 1) {
    state_->deferredCover = State::HeldImage{image, rect, fraction};
    return;
  }
  if (state_->passes.empty() && state_->deferredCover && !state_->deferredIncoming &&
      fraction < 1) {
    state_->deferredIncoming = State::HeldImage{image, rect, fraction};
    return;
  }
  state_->drawDeferred();
  if (const ImagePixels* pixels = image.pixels()) {
    state_->images.draw(state_->cairo.get(), *pixels, rect, fraction);
  }
}

void CairoGraphicsContext::drawGradient(Rect rect, Color start, Color end, double angleDegrees) {
  if (state_->passesHeldBack()) {
    if (auto rows =
            GradientRows::plan(rect, start, end, angleDegrees, state_->width(), state_->height())) {
      state_->passes.add(std::move(*rows));
    }
    return;
  }
  state_->drawDeferred();
  fillGradient(state_->cairo.get(), rect, start, end, angleDegrees);
}

void CairoGraphicsContext::fillRoundedRect(Rect rect, double radius, Color color) {
  if (state_->passesHeldBack()) {
    if (!isFinite(color)) return;
    std::optional<State::KeptShape>& kept = state_->keptShape;
    const int width = state_->width();
    const int height = state_->height();
    if (!kept || kept->rect != rect || kept->radius != radius || kept->surfaceWidth != width ||
        kept->surfaceHeight != height) {
      kept.reset();
      if (auto shape = roundedRectMask(rect, radius, width, height)) {
        kept = State::KeptShape{rect, radius, width, height, std::move(*shape)};
      }
    }
    if (kept) {
      if (auto rows = MaskRows::place(kept->shape.mask.get(), kept->shape.x, kept->shape.y, color,
                                      width, height)) {
        state_->passes.add(std::move(*rows));
      }
    }
    return;
  }
  state_->drawDeferred();
  fillSurfaceRoundedRect(state_->cairo.get(), rect, radius, color);
}

Size CairoGraphicsContext::measureText(const AttributedString& text) {
  return state_->text.measure(text);
}

void CairoGraphicsContext::drawText(const AttributedString& text, Point point) {
  if (state_->passesHeldBack()) {
    state_->text.draw(state_->cairo.get(), text, point, &state_->passes);
    return;
  }
  state_->drawDeferred();
  state_->text.draw(state_->cairo.get(), text, point);
}

TextCacheStats CairoGraphicsContext::textCacheStats() const {
  return state_->text.stats();
}

void CairoGraphicsContext::forgetTextCaches() {
  state_->text.forgetAll();
}

}  // namespace brivora
