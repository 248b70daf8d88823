#pragma once

#include <wayland-client.h>

#include <memory>
#include <string>
#include <vector>

#include "backends/cairo/CairoGraphicsContext.h"
#include "hosts/wayland/ShmBuffers.h"
#include "platform/Geometry.h"
#include "platform/ProcessEnd.h"
#include "platform/ScreenSaverView.h"

struct zwlr_layer_surface_v1;
struct xdg_surface;
struct xdg_toplevel;
struct wp_viewport;
struct wp_fractional_scale_v1;

namespace brivora {

class WaylandDisplay;
struct WaylandOutput;
struct ViewEnvironment;

// How a surface is shown.
enum class SurfaceRole {
  overlay,     // a layer surface over everything on one output (a screen saver)
  background,  // a layer surface on the background layer of one output (under a locker)
  fullscreen,  // an xdg toplevel made full screen on one output (no layer shell)
  window,      // an ordinary xdg toplevel window that can be resized
};

// One surface with its own view and canvas, drawn into wl_shm buffers at the output's scale:
// the Wayland host has one per output it covers, or one window.
class OutputSurface {
 public:
  // Smaller than this is a preview, not a screen, as in the X11 host.
  static constexpr int previewMaxWidth = 640;
  static constexpr int previewMaxHeight = 480;

  // Asks for the surface; the view is made once the compositor says what size it has.
  // `output` is null for a window.
  OutputSurface(WaylandDisplay& display, const WaylandOutput* output, SurfaceRole role,
                Size windowSize, std::string viewClass, const ViewEnvironment& environment);
  ~OutputSurface();
  OutputSurface(const OutputSurface&) = delete;
  OutputSurface& operator=(const OutputSurface&) = delete;

  const WaylandOutput* output() const { return output_; }
  wl_surface* surface() const { return surface_; }
  // The compositor closed it (its output went, or the window was closed).
  bool isClosed() const { return closed_; }
  // The view could not be made.
  bool failed() const { return failed_; }
  ScreenSaverView* view() const { return view_.get(); }
  // The surface's size in logical pixels, and where it lies in the compositor's space.
  Size logicalSize() const { return Size{double(logicalWidth_), double(logicalHeight_)}; }

  // Ticks the view, and draws and shows a frame when it asks for one and the compositor has
  // shown the last: an output that is off or hidden sends no frame callback, so it costs
  // nothing but the tick. `overlay` draws over the view's frame (the frame rate, say).
  template <typename Overlay>
  bool frame(Overlay&& overlay) {
    if (view_) view_->animateOneFrame();
    if (!readyToDraw()) return false;
    {
      const CurrentGraphicsContext current(canvas_);
      view_->draw(view_->bounds());
      overlay();
    }
    // A draw cut short because the process is ending is not shown.
    if (processEndRequested()) return false;
    view_->clearNeedsDisplay();
    present();
    return true;
  }

 private:
  static const wl_surface_listener surfaceListener;
  static const wl_callback_listener frameListener;

  void configured(int logicalWidth, int logicalHeight);
  // Whether a frame may be drawn now; if so, the canvas draws into a free buffer of the
  // present size.
  bool readyToDraw();
  void present();
  int bufferScale() const;
  Size pixelSize() const;

  WaylandDisplay& display_;
  const WaylandOutput* output_;
  SurfaceRole role_;
  Size windowSize_;
  std::string viewClass_;
  const ViewEnvironment& environment_;

  wl_surface* surface_ = nullptr;
  zwlr_layer_surface_v1* layer_ = nullptr;
  xdg_surface* xdgSurface_ = nullptr;
  xdg_toplevel* toplevel_ = nullptr;
  wp_viewport* viewport_ = nullptr;
  wp_fractional_scale_v1* fractional_ = nullptr;
  wl_callback* frameCallback_ = nullptr;

  int logicalWidth_ = 0;
  int logicalHeight_ = 0;
  int pendingWidth_ = 0;  // from an xdg toplevel's configure, applied with its surface's
  int pendingHeight_ = 0;
  std::vector<wl_output*> entered_;  // the outputs a window is on, for its scale
  int fractionalScale120_ = 0;       // the compositor's preferred scale in 120ths, when it says
  bool configured_ = false;
  bool closed_ = false;
  bool failed_ = false;

  ShmBuffers buffers_;
  ShmBuffers::Buffer* drawing_ = nullptr;
  CairoGraphicsContext canvas_{1, 1};
  std::unique_ptr<ScreenSaverView> view_;

  friend struct SurfaceListeners;
};

}  // namespace brivora
