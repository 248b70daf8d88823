#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include "backends/cairo/TextCache.h"
#include "platform/GraphicsContext.h"

namespace brivora {

// A graphics context over a Cairo ARGB32 image surface, one pixel per point. View coordinates
// (origin lower left, y up) are flipped onto the surface (origin top left, y down). Drawing
// calls may be held back and drawn together in one walk over the frame when it is read
// (`data`, `writePng`); what they draw is kept alive until then.
class CairoGraphicsContext final : public GraphicsContext {
 public:
  // A surface of `width` × `height` pixels (at least 1 × 1), cleared to transparent black.
  CairoGraphicsContext(int width, int height);
  ~CairoGraphicsContext() override;
  CairoGraphicsContext(const CairoGraphicsContext&) = delete;
  CairoGraphicsContext& operator=(const CairoGraphicsContext&) = delete;

  int width() const;
  int height() const;

  // Replaces the surface with a cleared one of the new size, and forgets the text rasters.
  void resize(int width, int height);

  // Draws from now on into `pixels`, memory the caller owns (a segment shared with a display
  // server, say) of `height` rows of `stride` bytes, which must outlive its use here. `stride`
  // must be at least `strideFor(width)`; the memory is not cleared. At a new size it forgets
  // the text rasters; memory of the same size (another of a host's buffers) keeps them.
  void drawInto(std::uint8_t* pixels, int width, int height, int stride);

  // The bytes per row the surface wants for `width` pixels.
  static int strideFor(int width);

  // The frame: premultiplied ARGB32 words in native byte order, `stride()` bytes per row,
  // top row first. Valid until the next draw or resize; drawing is flushed first.
  const std::uint8_t* data();
  int stride() const;

  // Writes the frame as a PNG file; false with a one-line reason in `error`.
  bool writePng(const std::filesystem::path& path, std::string& error);

  void fillRect(Rect rect, Color color) override;
  void drawImage(const Image& image, Rect rect, double fraction) override;
  void drawGradient(Rect rect, Color start, Color end, double angleDegrees) override;
  void fillRoundedRect(Rect rect, double radius, Color color) override;
  Size measureText(const AttributedString& text) override;
  void drawText(const AttributedString& text, Point point) override;

  // What the text renderer keeps of the text drawn so far, and how often it shaped and
  // rasterised.
  TextCacheStats textCacheStats() const;

  // Forgets the shaped text and its rasters, so the next text drawn is shaped and rasterised
  // afresh.
  void forgetTextCaches();

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace brivora
