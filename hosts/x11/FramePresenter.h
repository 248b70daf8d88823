#pragma once

#include <X11/Xlib.h>

#include <cstdint>
#include <string>

namespace brivora {

// Copies finished frames (premultiplied ARGB32, Cairo's layout) into an X window.
class FramePresenter {
 public:
  // Fails, with `error` set, unless the window's visual is TrueColor with 8-bit red, green and
  // blue in the places ARGB32 words have them (depth 24 or 32).
  FramePresenter(Display* display, Window window, std::string& error);
  ~FramePresenter();
  FramePresenter(const FramePresenter&) = delete;
  FramePresenter& operator=(const FramePresenter&) = delete;

  bool usable() const { return gc_ != nullptr; }

  // Puts a `width` × `height` frame at the window's top left. `pixels` must stay valid for
  // the call only.
  void present(const std::uint8_t* pixels, int stride, int width, int height);

 private:
  Display* display_;
  Window window_;
  Visual* visual_ = nullptr;
  int depth_ = 0;
  GC gc_ = nullptr;
};

}  // namespace brivora
