#include "hosts/wayland/WaylandDisplay.h"

#include <poll.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "fractional-scale-v1-client.h"
#include "hosts/wayland/LayerShellProtocol.h"
#include "viewporter-client.h"
#include "xdg-output-unstable-v1-client.h"
#include "xdg-shell-client.h"

namespace brivora {

namespace {

// The versions whose requests and events the host uses.
constexpr std::uint32_t compositorVersion = 4;  // wl_surface.damage_buffer
constexpr std::uint32_t outputVersion = 4;      // wl_output.name
constexpr std::uint32_t seatVersion = 5;
constexpr std::uint32_t layerShellVersion = 4;  // destroy, set_layer, on_demand keyboard
constexpr std::uint32_t wmBaseVersion = 2;
constexpr std::uint32_t outputManagerVersion = 2;  // zxdg_output_v1.name

template <typename Proxy>
Proxy* bind(wl_registry* registry, std::uint32_t name, const wl_interface* interface,
            std::uint32_t offered, std::uint32_t wanted) {
  return static_cast<Proxy*>(
      wl_registry_bind(registry, name, interface, std::min(offered, wanted)));
}

const zxdg_output_v1_listener logicalOutputListener{
    // logical_position
    [](void* data, zxdg_output_v1*, std::int32_t x, std::int32_t y) {
      auto* output = static_cast<WaylandOutput*>(data);
      output->x = x;
      output->y = y;
      output->placed = true;
    },
    [](void*, zxdg_output_v1*, std::int32_t, std::int32_t) {},  // logical_size
    [](void*, zxdg_output_v1*) {},                              // done
    [](void*, zxdg_output_v1*, const char*) {},                 // name
    [](void*, zxdg_output_v1*, const char*) {},                 // description
};

void pingPong(void*, xdg_wm_base* base, std::uint32_t serial) {
  xdg_wm_base_pong(base, serial);
}
const xdg_wm_base_listener wmBaseListener{pingPong};

}  // namespace

const wl_output_listener WaylandDisplay::outputListener{
    // geometry: the position, which compositors often leave at 0; xdg-output's is trusted
    [](void* data, wl_output*, std::int32_t x, std::int32_t y, std::int32_t, std::int32_t,
       std::int32_t, const char*, const char*, std::int32_t) {
      auto* output = static_cast<WaylandOutput*>(data);
      if (output->placed) return;
      output->x = x;
      output->y = y;
    },
    // mode
    [](void*, wl_output*, std::uint32_t, std::int32_t, std::int32_t, std::int32_t) {},
    // done: the description is whole
    [](void* data, wl_output*) {
      auto* output = static_cast<WaylandOutput*>(data);
      output->announced = true;
    },
    // scale
    [](void* data, wl_output*, std::int32_t factor) {
      static_cast<WaylandOutput*>(data)->scale = std::max(1, factor);
    },
    // name
    [](void* data, wl_output*, const char* name) {
      static_cast<WaylandOutput*>(data)->name = name ? name : "";
    },
    // description
    [](void*, wl_output*, const char*) {},
};

const wl_registry_listener WaylandDisplay::registryListener{global, globalRemove};

void WaylandDisplay::global(void* data, wl_registry* registry, std::uint32_t name,
                            const char* interface, std::uint32_t version) {
  auto* self = static_cast<WaylandDisplay*>(data);
  const std::string_view kind(interface);
  if (kind == wl_compositor_interface.name) {
    self->compositor_ =
        bind<wl_compositor>(registry, name, &wl_compositor_interface, version, compositorVersion);
  } else if (kind == wl_shm_interface.name) {
    self->shm_ = bind<wl_shm>(registry, name, &wl_shm_interface, version, 1);
  } else if (kind == zwlr_layer_shell_v1_interface.name) {
    self->layerShell_ = bind<zwlr_layer_shell_v1>(registry, name, &zwlr_layer_shell_v1_interface,
                                                  version, layerShellVersion);
  } else if (kind == xdg_wm_base_interface.name) {
    self->wmBase_ =
        bind<xdg_wm_base>(registry, name, &xdg_wm_base_interface, version, wmBaseVersion);
    xdg_wm_base_add_listener(self->wmBase_, &wmBaseListener, nullptr);
  } else if (kind == wp_viewporter_interface.name) {
    self->viewporter_ = bind<wp_viewporter>(registry, name, &wp_viewporter_interface, version, 1);
  } else if (kind == wp_fractional_scale_manager_v1_interface.name) {
    self->fractionalScale_ = bind<wp_fractional_scale_manager_v1>(
        registry, name, &wp_fractional_scale_manager_v1_interface, version, 1);
  } else if (kind == zxdg_output_manager_v1_interface.name) {
    self->outputManager_ = bind<zxdg_output_manager_v1>(
        registry, name, &zxdg_output_manager_v1_interface, version, outputManagerVersion);
    for (const auto& output : self->outputs_) self->placeOutput(*output);
  } else if (kind == wl_seat_interface.name) {
    auto* seat = bind<wl_seat>(registry, name, &wl_seat_interface, version, seatVersion);
    self->seats_.push_back(seat);
    if (self->onSeat) self->onSeat(seat);
  } else if (kind == wl_output_interface.name) {
    auto output = std::make_unique<WaylandOutput>();
    output->globalName = name;
    output->output = bind<wl_output>(registry, name, &wl_output_interface, version, outputVersion);
    wl_output_add_listener(output->output, &outputListener, output.get());
    self->placeOutput(*output);
    self->outputs_.push_back(std::move(output));
  }
}

void WaylandDisplay::placeOutput(WaylandOutput& output) {
  if (!outputManager_ || output.logical) return;
  output.logical = zxdg_output_manager_v1_get_xdg_output(outputManager_, output.output);
  zxdg_output_v1_add_listener(output.logical, &logicalOutputListener, &output);
}

void WaylandDisplay::globalRemove(void* data, wl_registry*, std::uint32_t name) {
  auto* self = static_cast<WaylandDisplay*>(data);
  auto& outputs = self->outputs_;
  const auto gone = std::find_if(outputs.begin(), outputs.end(),
                                 [&](const auto& output) { return output->globalName == name; });
  if (gone == outputs.end()) return;
  // Whoever draws on it hears first, while the output is still there to compare with.
  std::unique_ptr<WaylandOutput> removed = std::move(*gone);
  outputs.erase(gone);
  if (self->onOutputsChanged) self->onOutputsChanged();
  if (removed->logical) zxdg_output_v1_destroy(removed->logical);
  if (wl_output_get_version(removed->output) >= WL_OUTPUT_RELEASE_SINCE_VERSION) {
    wl_output_release(removed->output);
  } else {
    wl_output_destroy(removed->output);
  }
}

WaylandDisplay::WaylandDisplay(std::string& error) {
  // $WAYLAND_SOCKET, a connection a locker handed over, wins over $WAYLAND_DISPLAY.
  display_ = wl_display_connect(nullptr);
  if (!display_) {
    error = "cannot connect to the Wayland compositor";
    return;
  }
  registry_ = wl_display_get_registry(display_);
  wl_registry_add_listener(registry_, &registryListener, this);
  // The globals, then every output's first description.
  if (wl_display_roundtrip(display_) < 0 || wl_display_roundtrip(display_) < 0) {
    error = "the Wayland compositor closed the connection";
    compositor_ = nullptr;
    return;
  }
  if (!compositor_ || !shm_) {
    error = "the Wayland compositor offers no wl_compositor or wl_shm";
    compositor_ = nullptr;
  }
}

WaylandDisplay::~WaylandDisplay() {
  if (!display_) return;
  for (const auto& output : outputs_) {
    if (output->logical) zxdg_output_v1_destroy(output->logical);
    wl_output_destroy(output->output);
  }
  if (outputManager_) zxdg_output_manager_v1_destroy(outputManager_);
  for (wl_seat* seat : seats_) wl_seat_destroy(seat);
  if (fractionalScale_) wp_fractional_scale_manager_v1_destroy(fractionalScale_);
  if (viewporter_) wp_viewporter_destroy(viewporter_);
  if (wmBase_) xdg_wm_base_destroy(wmBase_);
  if (layerShell_) zwlr_layer_shell_v1_destroy(layerShell_);
  if (shm_) wl_shm_destroy(shm_);
  if (compositor_) wl_compositor_destroy(compositor_);
  if (registry_) wl_registry_destroy(registry_);
  wl_display_flush(display_);
  wl_display_disconnect(display_);
}

std::vector<const WaylandOutput*> WaylandDisplay::outputs() const {
  std::vector<const WaylandOutput*> known;
  for (const auto& output : outputs_) {
    if (output->announced) known.push_back(output.get());
  }
  return known;
}

const WaylandOutput* WaylandDisplay::outputFor(const wl_output* output) const {
  for (const auto& each : outputs_) {
    if (each->output == output) return each.get();
  }
  return nullptr;
}

bool WaylandDisplay::flush() {
  while (wl_display_flush(display_) < 0) {
    if (errno != EAGAIN) return false;
    pollfd connection{wl_display_get_fd(display_), POLLOUT, 0};
    if (poll(&connection, 1, -1) < 0 && errno != EINTR) return false;
  }
  return true;
}

bool WaylandDisplay::dispatch(int timeoutMs) {
  while (wl_display_prepare_read(display_) != 0) {
    if (wl_display_dispatch_pending(display_) < 0) return false;
  }
  if (!flush()) {
    wl_display_cancel_read(display_);
    return false;
  }
  pollfd connection{wl_display_get_fd(display_), POLLIN, 0};
  const int ready = poll(&connection, 1, timeoutMs);
  if (ready > 0 && (connection.revents & (POLLIN | POLLHUP | POLLERR))) {
    if (wl_display_read_events(display_) < 0) return false;
  } else {
    wl_display_cancel_read(display_);
  }
  // Announced outputs are reported once their description is whole.
  const std::size_t before = outputs().size();
  if (wl_display_dispatch_pending(display_) < 0) return false;
  if (outputs().size() != before && onOutputsChanged) onOutputsChanged();
  return wl_display_get_error(display_) == 0;
}

}  // namespace brivora
