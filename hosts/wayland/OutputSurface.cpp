#include "hosts/wayland/OutputSurface.h"

#include <algorithm>
#include <cmath>

#include "fractional-scale-v1-client.h"
#include "hosts/wayland/LayerShellProtocol.h"
#include "hosts/wayland/WaylandDisplay.h"
#include "viewporter-client.h"
#include "xdg-shell-client.h"

namespace brivora {

namespace {

constexpr int fractionalDenominator = 120;

}  // namespace

// The compositor's events for one surface.
struct SurfaceListeners {
  static OutputSurface* of(void* data) { return static_cast<OutputSurface*>(data); }

  static void layerConfigure(void* data, zwlr_layer_surface_v1* layer, std::uint32_t serial,
                             std::uint32_t width, std::uint32_t height) {
    zwlr_layer_surface_v1_ack_configure(layer, serial);
    of(data)->configured(static_cast<int>(width), static_cast<int>(height));
  }
  static void layerClosed(void* data, zwlr_layer_surface_v1*) { of(data)->closed_ = true; }

  static void xdgConfigure(void* data, xdg_surface* surface, std::uint32_t serial) {
    xdg_surface_ack_configure(surface, serial);
    OutputSurface* self = of(data);
    // Zero leaves the size to the client: the window's asked size, or what it has.
    const int width = self->pendingWidth_ > 0   ? self->pendingWidth_
                      : self->logicalWidth_ > 0 ? self->logicalWidth_
                                                : static_cast<int>(self->windowSize_.width);
    const int height = self->pendingHeight_ > 0   ? self->pendingHeight_
                       : self->logicalHeight_ > 0 ? self->logicalHeight_
                                                  : static_cast<int>(self->windowSize_.height);
    self->configured(width, height);
  }
  static void toplevelConfigure(void* data, xdg_toplevel*, std::int32_t width, std::int32_t height,
                                wl_array*) {
    of(data)->pendingWidth_ = width;
    of(data)->pendingHeight_ = height;
  }
  static void toplevelClose(void* data, xdg_toplevel*) { of(data)->closed_ = true; }

  static void preferredScale(void* data, wp_fractional_scale_v1*, std::uint32_t scale) {
    of(data)->fractionalScale120_ = static_cast<int>(scale);
  }

  static void enter(void* data, wl_surface*, wl_output* output) {
    of(data)->entered_.push_back(output);
  }
  static void leave(void* data, wl_surface*, wl_output* output) {
    auto& entered = of(data)->entered_;
    entered.erase(std::remove(entered.begin(), entered.end(), output), entered.end());
  }

  static void frameDone(void* data, wl_callback* callback, std::uint32_t) {
    wl_callback_destroy(callback);
    of(data)->frameCallback_ = nullptr;
  }
};

namespace {

const zwlr_layer_surface_v1_listener layerListener{SurfaceListeners::layerConfigure,
                                                   SurfaceListeners::layerClosed};
const xdg_surface_listener xdgSurfaceListener{SurfaceListeners::xdgConfigure};
const xdg_toplevel_listener toplevelListener{
    SurfaceListeners::toplevelConfigure, SurfaceListeners::toplevelClose,
    [](void*, xdg_toplevel*, std::int32_t, std::int32_t) {},  // configure_bounds
    [](void*, xdg_toplevel*, wl_array*) {},                   // wm_capabilities
};
const wp_fractional_scale_v1_listener fractionalListener{SurfaceListeners::preferredScale};

}  // namespace

const wl_surface_listener OutputSurface::surfaceListener{SurfaceListeners::enter,
                                                         SurfaceListeners::leave};
const wl_callback_listener OutputSurface::frameListener{SurfaceListeners::frameDone};

OutputSurface::OutputSurface(WaylandDisplay& display, const WaylandOutput* output, SurfaceRole role,
                             Size windowSize)
    : display_(display),
      output_(output),
      role_(role),
      windowSize_(windowSize),
      buffers_(display.shm()) {
  surface_ = wl_compositor_create_surface(display.compositor());
  wl_surface_add_listener(surface_, &surfaceListener, this);
  if (display.viewporter() && display.fractionalScale()) {
    viewport_ = wp_viewporter_get_viewport(display.viewporter(), surface_);
    fractional_ =
        wp_fractional_scale_manager_v1_get_fractional_scale(display.fractionalScale(), surface_);
    wp_fractional_scale_v1_add_listener(fractional_, &fractionalListener, this);
  }
  wl_output* on = output ? output->output : nullptr;
  if (role == SurfaceRole::overlay || role == SurfaceRole::background) {
    layer_ = zwlr_layer_shell_v1_get_layer_surface(display.layerShell(), surface_, on,
                                                   role == SurfaceRole::overlay
                                                       ? ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY
                                                       : ZWLR_LAYER_SHELL_V1_LAYER_BACKGROUND,
                                                   "brivora");
    zwlr_layer_surface_v1_set_anchor(
        layer_, ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM |
                    ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT | ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT);
    zwlr_layer_surface_v1_set_size(layer_, 0, 0);
    zwlr_layer_surface_v1_set_exclusive_zone(layer_, -1);
    // Under a locker the keyboard is the locker's.
    zwlr_layer_surface_v1_set_keyboard_interactivity(
        layer_, role == SurfaceRole::overlay
                    ? ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_EXCLUSIVE
                    : ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_NONE);
    zwlr_layer_surface_v1_add_listener(layer_, &layerListener, this);
  } else {
    xdgSurface_ = xdg_wm_base_get_xdg_surface(display.wmBase(), surface_);
    xdg_surface_add_listener(xdgSurface_, &xdgSurfaceListener, this);
    toplevel_ = xdg_surface_get_toplevel(xdgSurface_);
    xdg_toplevel_add_listener(toplevel_, &toplevelListener, this);
    xdg_toplevel_set_title(toplevel_, "Brivora");
    xdg_toplevel_set_app_id(toplevel_, "brivora");
    if (role == SurfaceRole::fullscreen) xdg_toplevel_set_fullscreen(toplevel_, on);
  }
  // The first commit, without a buffer, asks for the first configure.
  wl_surface_commit(surface_);
}

OutputSurface::~OutputSurface() {
  if (frameCallback_) wl_callback_destroy(frameCallback_);
  if (fractional_) wp_fractional_scale_v1_destroy(fractional_);
  if (viewport_) wp_viewport_destroy(viewport_);
  if (layer_) zwlr_layer_surface_v1_destroy(layer_);
  if (toplevel_) xdg_toplevel_destroy(toplevel_);
  if (xdgSurface_) xdg_surface_destroy(xdgSurface_);
  wl_surface_destroy(surface_);
}

void OutputSurface::configured(int logicalWidth, int logicalHeight) {
  logicalWidth_ = std::max(1, logicalWidth);
  logicalHeight_ = std::max(1, logicalHeight);
  configured_ = true;
}

int OutputSurface::integerScale() const {
  if (output_) return output_->scale;
  int scale = 1;
  for (wl_output* output : entered_) {
    if (const WaylandOutput* known = display_.outputFor(output)) {
      scale = std::max(scale, known->scale);
    }
  }
  return scale;
}

bool OutputSurface::fractional() const {
  return forcedScale_ == 0 && viewport_ && fractionalScale120_ > 0;
}

double OutputSurface::preferredScale() const {
  if (viewport_ && fractionalScale120_ > 0) {
    return double(fractionalScale120_) / fractionalDenominator;
  }
  return integerScale();
}

int OutputSurface::pixelWidth() const {
  if (fractional()) return int(std::lround(logicalWidth_ * preferredScale()));
  return logicalWidth_ * (forcedScale_ > 0 ? forcedScale_ : integerScale());
}

int OutputSurface::pixelHeight() const {
  if (fractional()) return int(std::lround(logicalHeight_ * preferredScale()));
  return logicalHeight_ * (forcedScale_ > 0 ? forcedScale_ : integerScale());
}

PixelRect OutputSurface::logicalPlace() const {
  if (!output_) return {0, 0, logicalWidth_, logicalHeight_};
  if (!output_->placed) return {guessedX_, guessedY_, logicalWidth_, logicalHeight_};
  return {output_->x, output_->y, logicalWidth_, logicalHeight_};
}

ShmBuffers::Buffer* OutputSurface::freeBuffer() {
  if (!readyForFrame()) return nullptr;
  if (pixelWidth() != buffers_.width() || pixelHeight() != buffers_.height()) {
    buffers_.resize(pixelWidth(), pixelHeight());
  }
  return buffers_.freeBuffer();
}

void OutputSurface::show(ShmBuffers::Buffer* buffer) {
  if (fractional()) {
    wp_viewport_set_destination(viewport_, logicalWidth_, logicalHeight_);
    wl_surface_set_buffer_scale(surface_, 1);
  } else {
    if (viewport_) wp_viewport_set_destination(viewport_, -1, -1);
    wl_surface_set_buffer_scale(surface_, forcedScale_ > 0 ? forcedScale_ : integerScale());
  }
  wl_surface_attach(surface_, buffer->buffer, 0, 0);
  wl_surface_damage_buffer(surface_, 0, 0, buffers_.width(), buffers_.height());
  frameCallback_ = wl_surface_frame(surface_);
  wl_callback_add_listener(frameCallback_, &frameListener, this);
  wl_surface_commit(surface_);
  buffer->busy = true;
}

}  // namespace brivora
