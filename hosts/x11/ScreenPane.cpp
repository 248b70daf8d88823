#include "hosts/x11/ScreenPane.h"

#include <algorithm>

#include "platform/ViewRegistry.h"

namespace brivora {

ScreenPane::ScreenPane(Display* display, Window window, bool ownsWindow,
                       const std::string& viewClass, const ViewEnvironment& environment,
                       std::string& error)
    : display_(display),
      window_(window),
      ownsWindow_(ownsWindow),
      presenter_(display, window, error) {
  if (!presenter_.usable()) return;
  XWindowAttributes attributes;
  if (!XGetWindowAttributes(display, window, &attributes)) {
    error = "the window cannot be read";
    return;
  }
  // Windows handed over keep the events their owner asked for; ours are added.
  XSelectInput(display, window,
               attributes.your_event_mask | StructureNotifyMask | VisibilityChangeMask);
  width_ = std::max(1, attributes.width);
  height_ = std::max(1, attributes.height);
  visibility_.mapped = ownsWindow || attributes.map_state != IsUnmapped;
  presenter_.prepare(canvas_, width_, height_);
  drawnWidth_ = width_;
  drawnHeight_ = height_;
  view_ = makeView(viewClass, environment);
  if (!view_) error = "the screen saver view could not be created";
}

std::unique_ptr<ScreenSaverView> ScreenPane::makeView(const std::string& viewClass,
                                                      const ViewEnvironment& environment) const {
  const bool isPreview = width_ < previewMaxWidth || height_ < previewMaxHeight;
  return createView(viewClass,
                    Rect{0, 0, static_cast<double>(width_), static_cast<double>(height_)},
                    isPreview, environment);
}

void ScreenPane::renewView(const std::string& viewClass, const ViewEnvironment& environment) {
  if (std::unique_ptr<ScreenSaverView> fresh = makeView(viewClass, environment)) {
    view_ = std::move(fresh);
  }
}

ScreenPane::~ScreenPane() {
  view_.reset();
  if (ownsWindow_ && !lost_) XDestroyWindow(display_, window_);
}

void ScreenPane::followSize() {
  if (width_ == drawnWidth_ && height_ == drawnHeight_) return;
  drawnWidth_ = width_;
  drawnHeight_ = height_;
  presenter_.prepare(canvas_, width_, height_);
  view_->setFrame(Rect{0, 0, static_cast<double>(width_), static_cast<double>(height_)});
}

bool ScreenPane::handle(const XEvent& event) {
  if (event.xany.window != window_) return false;
  switch (event.type) {
    case ConfigureNotify:
      width_ = std::max(1, event.xconfigure.width);
      height_ = std::max(1, event.xconfigure.height);
      break;
    case MapNotify:
      visibility_.mapped = true;
      break;
    case UnmapNotify:
      visibility_.mapped = false;
      break;
    case VisibilityNotify:
      visibility_.obscured = event.xvisibility.state == VisibilityFullyObscured;
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
