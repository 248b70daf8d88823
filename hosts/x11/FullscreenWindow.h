#pragma once

#include <X11/Xlib.h>

#include "hosts/common/PixelRect.h"

namespace brivora {

// A window exactly over `area` of the screen, above everything, that no window manager moves,
// tiles or decorates (override-redirect, as screen savers and lockers use), with the pointer
// hidden over it. Mapped and raised; reports keys, buttons and pointer movement.
Window createFullscreenWindow(Display* display, const PixelRect& area);

// The keyboard and the pointer, held on the root window so that every key, button and movement
// comes to the host whichever window has the focus, with the pointer hidden. Released when the
// object goes.
class InputGrab {
 public:
  explicit InputGrab(Display* display);
  ~InputGrab();
  InputGrab(const InputGrab&) = delete;
  InputGrab& operator=(const InputGrab&) = delete;

  // Tries again to take what is not held yet: another program may hold a grab for a moment.
  void retry();

  bool holdsAll() const { return keyboard_ && pointer_; }

 private:
  Display* display_;
  Cursor hidden_;
  bool keyboard_ = false;
  bool pointer_ = false;
};

}  // namespace brivora
