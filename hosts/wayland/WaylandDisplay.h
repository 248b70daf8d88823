#pragma once

#include <wayland-client.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

struct xdg_wm_base;
struct zwlr_layer_shell_v1;
struct wp_viewporter;
struct wp_fractional_scale_manager_v1;
struct zxdg_output_manager_v1;
struct zxdg_output_v1;

namespace brivora {

// A monitor as the compositor announces it: its name ("HEADLESS-1", "DP-2"), where it sits in
// the compositor's logical space, and its integer scale.
struct WaylandOutput {
  wl_output* output = nullptr;
  zxdg_output_v1* logical = nullptr;  // where xdg-output tells the logical place
  std::uint32_t globalName = 0;       // the registry's name for it, to tell its removal
  std::string name;
  int x = 0;
  int y = 0;
  bool placed = false;  // xdg-output gave x and y
  int scale = 1;
  bool announced = false;  // its first `done` came: everything above is known
};

// The connection to the compositor and the globals the host binds. Outputs are kept as they
// come and go; `onOutputsChanged` is called after each change, from within a dispatch.
class WaylandDisplay {
 public:
  // Connects to $WAYLAND_SOCKET (a locker's) or $WAYLAND_DISPLAY and waits for the globals;
  // `error` is set and `connected()` false when that fails or the compositor lacks wl_shm or
  // wl_compositor.
  explicit WaylandDisplay(std::string& error);
  ~WaylandDisplay();
  WaylandDisplay(const WaylandDisplay&) = delete;
  WaylandDisplay& operator=(const WaylandDisplay&) = delete;

  bool connected() const { return display_ != nullptr && compositor_ != nullptr; }
  wl_display* display() const { return display_; }
  wl_compositor* compositor() const { return compositor_; }
  wl_shm* shm() const { return shm_; }
  zwlr_layer_shell_v1* layerShell() const { return layerShell_; }
  xdg_wm_base* wmBase() const { return wmBase_; }
  wp_viewporter* viewporter() const { return viewporter_; }
  wp_fractional_scale_manager_v1* fractionalScale() const { return fractionalScale_; }
  const std::vector<wl_seat*>& seats() const { return seats_; }

  // The outputs announced so far, in the order they came. Where the compositor does not say
  // where they lie (no xdg-output), they are taken to stand side by side in that order.
  std::vector<const WaylandOutput*> outputs() const;
  const WaylandOutput* outputFor(const wl_output* output) const;

  // Called after an output is announced, changes or goes; set before dispatching.
  std::function<void()> onOutputsChanged;
  // Called when a seat comes (also for those there at connection), to listen to its input.
  std::function<void(wl_seat*)> onSeat;

  // Reads and handles the compositor's events, waiting at most `timeoutMs` for some (-1: until
  // one comes); returns early when a signal arrives. False once the connection is lost.
  bool dispatch(int timeoutMs);

  // Sends what is queued; false once the connection is lost.
  bool flush();

 private:
  static const wl_registry_listener registryListener;
  static const wl_output_listener outputListener;
  // Asks xdg-output where the output lies, where the compositor offers it.
  void placeOutput(WaylandOutput& output);
  static void global(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
                     std::uint32_t version);
  static void globalRemove(void* data, wl_registry* registry, std::uint32_t name);

  wl_display* display_ = nullptr;
  wl_registry* registry_ = nullptr;
  wl_compositor* compositor_ = nullptr;
  wl_shm* shm_ = nullptr;
  zwlr_layer_shell_v1* layerShell_ = nullptr;
  xdg_wm_base* wmBase_ = nullptr;
  wp_viewporter* viewporter_ = nullptr;
  wp_fractional_scale_manager_v1* fractionalScale_ = nullptr;
  zxdg_output_manager_v1* outputManager_ = nullptr;
  std::vector<wl_seat*> seats_;
  std::vector<std::unique_ptr<WaylandOutput>> outputs_;
};

}  // namespace brivora
