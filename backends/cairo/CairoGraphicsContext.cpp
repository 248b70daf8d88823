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
  // frame when something else comes or the frame is read. First an opaque fill of the whole
  // surface: an opaque image drawn next takes its place wherever it covers whole pixels.
  std::optional<Color> deferredFill;
  // That opaque image over the fill.
  struct Cover {
    const ImagePixels* pixels;
    Rect rect;
    Color fill;
  };
  std::optional<Cover> deferredCover;
  // An image fading in over the cover.
  struct Fading {
    const ImagePixels* pixels;
    Rect rect;
    double fraction;
  };
  std::optional<Fading> deferredIncoming;
  // Gradients and text over all of that, where the AVX2 paths run.
  RowPasses passes;

  void replaceSurface(int width, int height) { useSurface(makeFrameSurface(width, height)); }

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
    if (deferredCover) {
      const std::optional<ImagePainter::Incoming> incoming =
          deferredIncoming
              ? std::optional<ImagePainter::Incoming>(
                    {*deferredIncoming->pixels, deferredIncoming->rect, deferredIncoming->fraction})
              : std::nullopt;
      images.drawOverFill(cairo.get(), deferredCover->fill, *deferredCover->pixels,
                          deferredCover->rect, incoming ? &*incoming : nullptr, passes);
    } else {
      if (deferredFill) {
        const Rect whole{Point{},
                         Size{static_cast<double>(width()), static_cast<double>(height())}};
        fillSurfaceRect(cairo.get(), whole, *deferredFill, CompositingOperation::copy);
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
  state_->useSurface(CairoSurface(cairo_image_surface_create_for_data(
      pixels, CAIRO_FORMAT_ARGB32, std::clamp(width, 1, maxSurfaceSide),
      std::clamp(height, 1, maxSurfaceSide), stride)));
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
  const ImagePixels* pixels = image.pixels();
  if (!pixels) return;
  if (state_->deferredCover && !state_->deferredIncoming && state_->passes.empty() &&
      fraction > 0 && fraction < 1) {
    state_->deferredIncoming = State::Fading{pixels, rect, fraction};
    return;
  }
  if (state_->deferredFill && state_->passes.empty() && pixels->opaque && fraction >= 1) {
    state_->deferredCover = State::Cover{pixels, rect, *state_->deferredFill};
    state_->deferredFill.reset();
    return;
  }
  state_->drawDeferred();
  state_->images.draw(state_->cairo.get(), *pixels, rect, fraction);
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
