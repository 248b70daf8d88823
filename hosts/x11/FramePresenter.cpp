#include "hosts/x11/FramePresenter.h"

#include <X11/Xutil.h>

namespace brivora {

FramePresenter::FramePresenter(Display* display, Window window, std::string& error)
    : display_(display), window_(window) {
  XWindowAttributes attributes;
  if (!XGetWindowAttributes(display, window, &attributes)) {
    error = "the window cannot be read";
    return;
  }
  visual_ = attributes.visual;
  depth_ = attributes.depth;
  const bool argbLayout = visual_->c_class == TrueColor && visual_->red_mask == 0xFF0000 &&
                          visual_->green_mask == 0x00FF00 && visual_->blue_mask == 0x0000FF;
  if (!argbLayout || (depth_ != 24 && depth_ != 32)) {
    error =
        "the window's visual is not 24- or 32-bit TrueColor (depth " + std::to_string(depth_) + ")";
    return;
  }
  XGCValues values;
  // Without this every copy sends a NoExpose event that wakes the frame loop early.
  values.graphics_exposures = False;
  gc_ = XCreateGC(display, window, GCGraphicsExposures, &values);
}

FramePresenter::~FramePresenter() {
  if (gc_) XFreeGC(display_, gc_);
}

void FramePresenter::present(const std::uint8_t* pixels, int stride, int width, int height) {
  if (!gc_ || width <= 0 || height <= 0) return;
  XImage image{};
  image.width = width;
  image.height = height;
  image.format = ZPixmap;
  // Xlib only reads the pixels; the field is not const.
  image.data = const_cast<char*>(reinterpret_cast<const char*>(pixels));
  image.bitmap_unit = 32;
  image.bitmap_bit_order = BitmapBitOrder(display_);
  image.bitmap_pad = 32;
  image.depth = depth_;
  image.bytes_per_line = stride;
  image.bits_per_pixel = 32;
  image.red_mask = visual_->red_mask;
  image.green_mask = visual_->green_mask;
  image.blue_mask = visual_->blue_mask;
  // Frames are native-endian words; say so, and Xlib swaps for a server of the other order.
  const std::uint32_t probe = 1;
  image.byte_order = *reinterpret_cast<const std::uint8_t*>(&probe) == 1 ? LSBFirst : MSBFirst;
  if (!XInitImage(&image)) return;
  XPutImage(display_, window_, gc_, &image, 0, 0, 0, 0, static_cast<unsigned>(width),
            static_cast<unsigned>(height));
}

}  // namespace brivora
