#pragma once

#include <X11/Xlib.h>

#include <algorithm>

namespace brivora {

// A window the host draws in, one it made or one it was given, following the window's size and
// visibility from its events. A window it made is destroyed with it.
class SurfaceWindow {
 public:
  // Adds the events it follows to those the window already reports to this client.
  SurfaceWindow(Display* display, Window window, bool owned);
  ~SurfaceWindow();
  SurfaceWindow(const SurfaceWindow&) = delete;
  SurfaceWindow& operator=(const SurfaceWindow&) = delete;

  // Whether the window could be read when the object was made.
  bool usable() const { return usable_; }
  Window window() const { return window_; }
  bool isOwned() const { return owned_; }

  // Follows the window's size and visibility from its events. False for events of other
  // windows.
  bool handle(const XEvent& event);

  // Whether the window can be seen at all; nothing is shown in it while it cannot.
  bool isShowing() const { return mapped_ && !obscured_ && !lost_ && poweredOn_; }
  // Follows the display's power state: a display in standby or off shows nothing.
  void setPoweredOn(bool poweredOn) { poweredOn_ = poweredOn; }
  // Whether another window covers part of it or all of it.
  bool isCovered() const { return covered_; }
  bool isLost() const { return lost_; }
  void markLost() { lost_ = true; }

  // The window's size, as its last event gave it.
  int width() const { return width_; }
  int height() const { return height_; }

 private:
  Display* display_;
  Window window_;
  bool owned_;
  bool usable_ = false;
  int width_ = 1;
  int height_ = 1;
  bool mapped_ = true;
  bool obscured_ = false;
  bool covered_ = false;
  bool lost_ = false;
  bool poweredOn_ = true;
};

}  // namespace brivora
