#pragma once

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

namespace brivora::testing {

// Input as a user gives it, through the XTEST extension.

inline void pressKey(Display* x, KeySym key) {
  const KeyCode code = XKeysymToKeycode(x, key);
  XTestFakeKeyEvent(x, code, True, CurrentTime);
  XTestFakeKeyEvent(x, code, False, CurrentTime);
  XSync(x, False);
}

inline void clickButton(Display* x) {
  XTestFakeButtonEvent(x, 1, True, CurrentTime);
  XTestFakeButtonEvent(x, 1, False, CurrentTime);
  XSync(x, False);
}

inline void movePointerTo(Display* x, int left, int top) {
  XTestFakeMotionEvent(x, -1, left, top, CurrentTime);
  XSync(x, False);
}

}  // namespace brivora::testing
