#pragma once

#include <wayland-client.h>

#include <vector>

#include "hosts/common/PixelRect.h"
#include "hosts/wayland/ShmBuffers.h"
#include "platform/Geometry.h"

struct zwlr_layer_surface_v1;
struct xdg_surface;
struct xdg_toplevel;
struct wp_viewport;
struct wp_fractional_scale_v1;

namespace brivora {

class WaylandDisplay;
struct WaylandOutput;

// How a surface is shown.
enum class SurfaceRole {
  overlay,     // a layer surface over everything on one output (a screen saver)
  background,  // a layer surface on the background layer of one output (under a locker)
  fullscreen,  // an xdg toplevel made full screen on one output (no layer shell)
  window,      // an ordinary xdg toplevel window that can be resized
};

// A surface the host shows frames in, on one output or as a window: its size as the compositor
// configures it, its scale, and wl_shm buffers drawn in place. A frame is shown only after the
// compositor has shown the last one: an output that is off or hidden sends no frame callback,
// so it costs nothing.
class OutputSurface {
 public:
  // Asks for the surface; it can be drawn in once the compositor has configured it. `output`
  // is null for a window, which is `windowSize` large until the compositor says otherwise.
  OutputSurface(WaylandDisplay& display, const WaylandOutput* output, SurfaceRole role,
                Size windowSize);
  ~OutputSurface();
  OutputSurface(const OutputSurface&) = delete;
  OutputSurface& operator=(const OutputSurface&) = delete;

  const WaylandOutput* output() const { return output_; }
  wl_surface* surface() const { return surface_; }
  bool isConfigured() const { return configured_; }
  // The compositor closed it: its output went, or the window was closed.
  bool isClosed() const { return closed_; }

  // Where it lies in the compositor's logical space (a window: at the origin).
  PixelRect logicalPlace() const;
  // Takes it to lie at (`x`, `y`), where the compositor does not say where its output is.
  void placeAt(int x, int y) {
    guessedX_ = x;
    guessedY_ = y;
  }

  // The scale its buffers are drawn at when the host does not say: the output's, the largest
  // of the outputs a window is on, or the compositor's fractional preference.
  double preferredScale() const;
  // Makes buffers `scale` times the logical size from now on (an integer scale the compositor
  // divides by, as when one view spans outputs of different scales); 0 goes back to the
  // preferred scale.
  void setScale(int scale) { forcedScale_ = scale; }
  // The size of its buffers, in pixels.
  int pixelWidth() const;
  int pixelHeight() const;

  // Whether a frame can be shown now: configured, open, and the last frame shown.
  bool readyForFrame() const { return configured_ && !closed_ && !frameCallback_; }

  // A free buffer of the present pixel size to draw the next frame in; none while all are
  // held by the compositor or memory cannot be had.
  ShmBuffers::Buffer* freeBuffer();
  int stride() const { return buffers_.stride(); }

  // Shows `buffer`, drawn, and asks to hear when it is on screen.
  void show(ShmBuffers::Buffer* buffer);

 private:
  friend struct SurfaceListeners;

  static const wl_surface_listener surfaceListener;
  static const wl_callback_listener frameListener;

  void configured(int logicalWidth, int logicalHeight);
  int integerScale() const;
  // Whether buffers follow the compositor's fractional scale, through a viewport.
  bool fractional() const;

  WaylandDisplay& display_;
  const WaylandOutput* output_;
  SurfaceRole role_;
  Size windowSize_;

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
  int forcedScale_ = 0;
  int guessedX_ = 0;
  int guessedY_ = 0;
  bool configured_ = false;
  bool closed_ = false;

  ShmBuffers buffers_;
};

}  // namespace brivora
