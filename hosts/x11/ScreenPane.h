#pragma once

#include <X11/Xlib.h>

#include <memory>
#include <string>

#include "backends/cairo/CairoGraphicsContext.h"
#include "hosts/common/PaneVisibility.h"
#include "hosts/x11/FramePresenter.h"
#include "platform/ProcessEnd.h"
#include "platform/ScreenSaverView.h"

namespace brivora {

struct ViewEnvironment;

// One window with its own view, canvas and presenter: the host has one per window it draws
// in, as a screen-saver host makes one view per screen.
class ScreenPane {
 public:
  // Smaller than this is a settings dialog's preview pane, not a screen.
  static constexpr int previewMaxWidth = 640;
  static constexpr int previewMaxHeight = 480;

  // Creates the view for `window`'s present size. Fails, with `error` set, when the window
  // cannot be drawn in or the view cannot be made.
  ScreenPane(Display* display, Window window, bool ownsWindow, const std::string& viewClass,
             const ViewEnvironment& environment, std::string& error);
  ~ScreenPane();
  ScreenPane(const ScreenPane&) = delete;
  ScreenPane& operator=(const ScreenPane&) = delete;

  bool usable() const { return view_ != nullptr; }
  Window window() const { return window_; }
  ScreenSaverView& view() { return *view_; }

  // Replaces the view by a new one, made as at creation for the window's present size. Keeps
  // the old view when no new one can be made.
  void renewView(const std::string& viewClass, const ViewEnvironment& environment);

  // Follows the window's size and visibility from its events. False for events of other
  // windows.
  bool handle(const XEvent& event);

  // Whether the window can be seen at all; nothing is drawn while it cannot.
  bool isShowing() const { return visibility_.showing() && !lost_; }
  // Follows the display's power state: a display in standby or off shows nothing.
  void setPoweredOn(bool poweredOn) { visibility_.poweredOn = poweredOn; }
  bool isLost() const { return lost_; }
  void markLost() { lost_ = true; }

  // Ticks the view, and draws and shows a frame when it asks for one and the window can be
  // seen, at the window's latest size. `overlay` draws over the view's frame, on the same canvas
  // (the frame rate, say).
  template <typename Overlay>
  bool frame(Overlay&& overlay) {
    view_->animateOneFrame();
    if (!isShowing() || !view_->needsDisplay()) return false;
    followSize();
    {
      const CurrentGraphicsContext current(canvas_);
      view_->draw(view_->bounds());
      overlay();
    }
    // A draw cut short because the process is ending is not shown.
    if (processEndRequested()) return false;
    view_->clearNeedsDisplay();
    presenter_.present(canvas_);
    return true;
  }

 private:
  // Brings the canvas and the view to the window's size, once however many resizes came.
  void followSize();
  std::unique_ptr<ScreenSaverView> makeView(const std::string& viewClass,
                                            const ViewEnvironment& environment) const;

  Display* display_;
  Window window_;
  bool ownsWindow_;
  int width_ = 1;  // the window's size, as its last event gave it
  int height_ = 1;
  int drawnWidth_ = 1;  // the size the canvas and the view have
  int drawnHeight_ = 1;
  PaneVisibility visibility_;
  bool lost_ = false;
  CairoGraphicsContext canvas_{1, 1};
  FramePresenter presenter_;
  std::unique_ptr<ScreenSaverView> view_;
};

}  // namespace brivora
