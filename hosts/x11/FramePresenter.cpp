#include "hosts/x11/FramePresenter.h"

#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <cstdint>

#include "backends/cairo/CairoGraphicsContext.h"

namespace brivora {

namespace {

// Frames are native-endian words; Xlib swaps them for a server of the other order.
int nativeByteOrder() {
  const std::uint32_t probe = 1;
  return *reinterpret_cast<const std::uint8_t*>(&probe) == 1 ? LSBFirst : MSBFirst;
}

volatile bool attachFailed = false;

int noteAttachError(Display*, XErrorEvent*) {
  attachFailed = true;
  return 0;
}

}  // namespace

// A segment of shared memory the server reads frames from, attached on both sides.
struct FramePresenter::SharedFrame {
  Display* display;
  XShmSegmentInfo segment{};
  XImage* image = nullptr;
  bool attached = false;

  ~SharedFrame() {
    if (attached) {
      XShmDetach(display, &segment);
      XSync(display, False);
    }
    if (image) {
      image->data = nullptr;
      XDestroyImage(image);
    }
    if (segment.shmaddr && segment.shmaddr != reinterpret_cast<char*>(-1)) shmdt(segment.shmaddr);
  }
};

FramePresenter::FramePresenter(Display* display, Window window, std::string& error)
    : display_(display) {
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
  shmOffered_ = XShmQueryExtension(display);
}

FramePresenter::~FramePresenter() {
  shared_.reset();
  if (gc_) XFreeGC(display_, gc_);
}

void FramePresenter::prepare(CairoGraphicsContext& canvas, int width, int height) {
  shared_.reset();
  if (shmOffered_) {
    auto shared = std::make_unique<SharedFrame>();
    shared->display = display_;
    shared->image = XShmCreateImage(display_, visual_, static_cast<unsigned>(depth_), ZPixmap,
                                    nullptr, &shared->segment, static_cast<unsigned>(width),
                                    static_cast<unsigned>(height));
    const int stride = shared->image ? shared->image->bytes_per_line : 0;
    if (shared->image && shared->image->bits_per_pixel == 32 &&
        shared->image->byte_order == nativeByteOrder() &&
        stride >= CairoGraphicsContext::strideFor(width)) {
      shared->segment.shmid =
          shmget(IPC_PRIVATE, static_cast<std::size_t>(stride) * static_cast<std::size_t>(height),
                 IPC_CREAT | 0600);
      if (shared->segment.shmid >= 0) {
        shared->segment.shmaddr = static_cast<char*>(shmat(shared->segment.shmid, nullptr, 0));
        shared->segment.readOnly = True;
        if (shared->segment.shmaddr != reinterpret_cast<char*>(-1)) {
          shared->image->data = shared->segment.shmaddr;
          // A server on another machine cannot attach: that shows as an error, caught here.
          attachFailed = false;
          XErrorHandler previous = XSetErrorHandler(noteAttachError);
          shared->attached =
              XShmAttach(display_, &shared->segment) && (XSync(display_, False), true);
          XSetErrorHandler(previous);
          shared->attached = shared->attached && !attachFailed;
        }
        // The segment goes away with the last detach, even if this process dies.
        shmctl(shared->segment.shmid, IPC_RMID, nullptr);
      }
    }
    if (shared->attached) {
      canvas.drawInto(reinterpret_cast<std::uint8_t*>(shared->segment.shmaddr), width, height,
                      stride);
      shared_ = std::move(shared);
      return;
    }
    // One failure is enough to know: plain copies from now on.
    shmOffered_ = false;
  }
  canvas.resize(width, height);
}

void FramePresenter::present(CairoGraphicsContext& canvas, Window window, PixelRect source, int x,
                             int y) {
  const std::uint8_t* pixels = canvas.data();  // flushes the drawing
  const int width = canvas.width();
  const int height = canvas.height();
  const PixelRect shown = intersection(source, PixelRect{0, 0, width, height});
  if (!gc_ || shown.isEmpty()) return;
  x += shown.x - source.x;
  y += shown.y - source.y;
  const auto shownWidth = static_cast<unsigned>(shown.width);
  const auto shownHeight = static_cast<unsigned>(shown.height);
  if (shared_) {
    XShmPutImage(display_, window, gc_, shared_->image, shown.x, shown.y, x, y, shownWidth,
                 shownHeight, False);
    return;
  }
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
  image.bytes_per_line = canvas.stride();
  image.bits_per_pixel = 32;
  image.red_mask = visual_->red_mask;
  image.green_mask = visual_->green_mask;
  image.blue_mask = visual_->blue_mask;
  image.byte_order = nativeByteOrder();
  if (!XInitImage(&image)) return;
  XPutImage(display_, window, gc_, &image, shown.x, shown.y, x, y, shownWidth, shownHeight);
}

}  // namespace brivora
