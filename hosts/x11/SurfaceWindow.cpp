#include "hosts/x11/SurfaceWindow.h"

namespace brivora {

SurfaceWindow::SurfaceWindow(Display* display, Window window, bool owned)
    : display_(display), window_(window), owned_(owned) {
  XWindowAttributes attributes;
  if (!XGetWindowAttributes(display, window, &attributes)) return;
  usable_ = true;
  // Windows handed over keep the events their owner asked for; ours are added.
  XSelectInput(display, window,
               attributes.your_event_mask | StructureNotifyMask | VisibilityChangeMask);
  width_ = std::max(1, attributes.width);
  height_ = std::max(1, attributes.height);
  mapped_ = owned || attributes.map_state != IsUnmapped;
}

SurfaceWindow::~SurfaceWindow() {
  if (owned_ && !lost_) XDestroyWindow(display_, window_);
}

bool SurfaceWindow::handle(const XEvent& event) {
  if (event.xany.window != window_) return false;
  switch (event.type) {
    case ConfigureNotify:
      width_ = std::max(1, event.xconfigure.width);
      height_ = std::max(1, event.xconfigure.height);
      break;
    case MapNotify:
      mapped_ = true;
      break;
    case UnmapNotify:
      mapped_ = false;
      break;
    case VisibilityNotify:
      obscured_ = event.xvisibility.state == VisibilityFullyObscured;
      covered_ = event.xvisibility.state != VisibilityUnobscured;
      break;
    case DestroyNotify:
      lost_ = true;
      break;
    default:
      break;
  }
  return true;
}

}  // namespace brivora
