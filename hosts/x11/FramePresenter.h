#pragma once

#include <X11/Xlib.h>

#include <memory>
#include <string>

#include "hosts/common/PixelRect.h"

namespace brivora {

class CairoGraphicsContext;

// Copies finished frames (premultiplied ARGB32, Cairo's layout) into X windows: through a
// shared-memory segment the canvas draws straight into when the server offers MIT-SHM on this
// machine, with a plain XPutImage otherwise.
class FramePresenter {
 public:
  // For frames shown in `window` and other windows of its visual. Fails, with `error` set,
  // unless that visual is TrueColor with 8-bit red, green and blue in the places ARGB32 words
  // have them (depth 24 or 32).
  FramePresenter(Display* display, Window window, std::string& error);
  ~FramePresenter();
  FramePresenter(const FramePresenter&) = delete;
  FramePresenter& operator=(const FramePresenter&) = delete;

  bool usable() const { return gc_ != nullptr; }

  // Whether frames go through shared memory.
  bool sharesMemory() const { return shared_ != nullptr; }

  // Makes `canvas` draw `width` × `height` frames where `present` finds them: into a new
  // shared segment, or a canvas surface of that size. Call after any size change.
  void prepare(CairoGraphicsContext& canvas, int width, int height);

  // Puts the part `source` of the canvas's frame at (`x`, `y`) in `window`; what of `source`
  // lies outside the frame is left out.
  void present(CairoGraphicsContext& canvas, Window window, PixelRect source, int x, int y);

 private:
  struct SharedFrame;

  Display* display_;
  Visual* visual_ = nullptr;
  int depth_ = 0;
  GC gc_ = nullptr;
  bool shmOffered_ = false;
  std::unique_ptr<SharedFrame> shared_;
};

}  // namespace brivora
