#pragma once

#include <wayland-client.h>

#include <chrono>
#include <functional>
#include <memory>
#include <vector>

#include "hosts/common/PointerTravel.h"
#include "hosts/wayland/KeyboardMap.h"
#include "platform/Geometry.h"

namespace brivora {

// What input ends the host.
enum class InputEnding {
  never,        // a locker or daemon owns the input
  onAnyInput,   // a screen saver full screen: any key, button, touch or a pointer moved far
  onCloseKeys,  // a window of its own: q or Escape
};

// The input of every seat, watched for what ends the host. Over full-screen surfaces the
// pointer is hidden.
class WaylandInput {
 public:
  // `surfaceOrigin` gives where a surface's top left lies in the compositor's space, so that
  // pointer motion is measured across outputs.
  WaylandInput(InputEnding ending, std::function<Point(wl_surface*)> surfaceOrigin);
  ~WaylandInput();
  WaylandInput(const WaylandInput&) = delete;
  WaylandInput& operator=(const WaylandInput&) = delete;

  // Listens to the seat's pointer, keyboard and touch as it gains them.
  void addSeat(wl_seat* seat);

  bool endRequested() const { return endRequested_; }

 private:
  friend struct InputListeners;
  struct Seat;

  void pointerAt(wl_surface* surface, double x, double y);
  void end() { endRequested_ = true; }

  InputEnding ending_;
  std::function<Point(wl_surface*)> surfaceOrigin_;
  std::vector<std::unique_ptr<Seat>> seats_;
  KeyboardMap keymap_;
  std::chrono::steady_clock::time_point started_ = std::chrono::steady_clock::now();
  PointerTravel pointer_{0};
  bool endRequested_ = false;
};

}  // namespace brivora
