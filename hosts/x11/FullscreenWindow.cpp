#include "hosts/x11/FullscreenWindow.h"

#include <X11/Xutil.h>

#include <algorithm>

namespace brivora {

namespace {

// A cursor with no pixels, as screen savers show.
Cursor hiddenCursor(Display* display) {
  static const char nothing[1] = {0};
  const Window root = DefaultRootWindow(display);
  const Pixmap blank = XCreateBitmapFromData(display, root, nothing, 1, 1);
  XColor black{};
  const Cursor cursor = XCreatePixmapCursor(display, blank, blank, &black, &black, 0, 0);
  XFreePixmap(display, blank);
  return cursor;
}

constexpr long inputEvents = KeyPressMask | ButtonPressMask | PointerMotionMask | EnterWindowMask;

}  // namespace

Window createFullscreenWindow(Display* display, const PixelRect& area) {
  const int screen = DefaultScreen(display);
  XSetWindowAttributes attributes{};
  attributes.background_pixel = BlackPixel(display, screen);
  attributes.override_redirect = True;
  attributes.event_mask = StructureNotifyMask | VisibilityChangeMask | inputEvents;
  const Window window =
      XCreateWindow(display, RootWindow(display, screen), area.x, area.y,
                    static_cast<unsigned>(std::max(1, area.width)),
                    static_cast<unsigned>(std::max(1, area.height)), 0, CopyFromParent, InputOutput,
                    CopyFromParent, CWBackPixel | CWOverrideRedirect | CWEventMask, &attributes);
  XStoreName(display, window, "Brivora");
  XClassHint names{const_cast<char*>("brivora"), const_cast<char*>("Brivora")};
  XSetClassHint(display, window, &names);
  const Cursor cursor = hiddenCursor(display);
  XDefineCursor(display, window, cursor);
  XFreeCursor(display, cursor);
  XMapRaised(display, window);
  return window;
}

InputGrab::InputGrab(Display* display) : display_(display), hidden_(hiddenCursor(display)) {
  retry();
}

InputGrab::~InputGrab() {
  if (keyboard_) XUngrabKeyboard(display_, CurrentTime);
  if (pointer_) XUngrabPointer(display_, CurrentTime);
  XFreeCursor(display_, hidden_);
}

void InputGrab::retry() {
  const Window root = DefaultRootWindow(display_);
  if (!keyboard_) {
    keyboard_ = XGrabKeyboard(display_, root, False, GrabModeAsync, GrabModeAsync, CurrentTime) ==
                GrabSuccess;
  }
  if (!pointer_) {
    pointer_ =
        XGrabPointer(display_, root, False, ButtonPressMask | PointerMotionMask | EnterWindowMask,
                     GrabModeAsync, GrabModeAsync, 0, hidden_, CurrentTime) == GrabSuccess;
  }
}

}  // namespace brivora
