#pragma once

#include <X11/Xlib.h>

#include <memory>
#include <string>
#include <vector>

#include "backends/cairo/CairoGraphicsContext.h"
#include "backends/codecs/ColourTarget.h"
#include "hosts/common/PixelRect.h"
#include "hosts/common/ViewSupply.h"
#include "hosts/x11/FramePresenter.h"
#include "hosts/x11/SurfaceWindow.h"
#include "platform/ProcessEnd.h"
#include "platform/ScreenSaverView.h"

namespace brivora {

// Where a pane's frames go: the part `source` of the frame, put at (`x`, `y`) in `surface`.
struct PaneTarget {
  SurfaceWindow* surface = nullptr;
  PixelRect source;
  int x = 0;
  int y = 0;
};

// One view with its canvas and presenter, showing its frames in one or more windows: the host
// has one per monitor, or one per window it draws in, as a screen-saver host makes one view
// per screen.
class ScreenPane {
 public:
  // Smaller than this is a settings dialog's preview pane, not a screen.
  static constexpr int previewMaxWidth = 640;
  static constexpr int previewMaxHeight = 480;

  // Creates the view with a frame of `width` x `height`, shown in `targets` (at least one,
  // all of the same visual). With `followsWindow` the pane fills its one target window and
  // follows its size. Fails, with `error` set, when the windows cannot be drawn in or the view
  // cannot be made.
  // Its wallpapers are converted to `colours`, at creation and on every tick.
  ScreenPane(Display* display, int width, int height, std::vector<PaneTarget> targets,
             bool followsWindow, bool isPreview, const std::string& viewClass,
             std::unique_ptr<ViewSeat> seat, ColourTarget colours, std::string& error);
  ~ScreenPane();
  ScreenPane(const ScreenPane&) = delete;
  ScreenPane& operator=(const ScreenPane&) = delete;

  bool usable() const { return view_ != nullptr; }
  ScreenSaverView& view() { return *view_; }

  // Points the frames at other windows (kept ones, after the monitors changed).
  void retarget(std::vector<PaneTarget> targets) { targets_ = std::move(targets); }

  // Whether any of its windows can be seen; nothing is drawn while none can.
  bool isShowing() const;

  // Ticks the view, and draws and shows a frame when it asks for one. `overlay` draws over
  // the view's frame, on the same canvas (the frame rate, say).
  template <typename Overlay>
  bool frame(Overlay&& overlay) {
    const ColourTargetScope colours(colours_);
    view_->animateOneFrame();
    if (!isShowing() || !view_->needsDisplay()) return false;
    if (followsWindow_) followSize();
    {
      const CurrentGraphicsContext current(canvas_);
      view_->draw(view_->bounds());
      overlay();
    }
    // A draw cut short because the process is ending is not shown.
    if (processEndRequested()) return false;
    view_->clearNeedsDisplay();
    present();
    return true;
  }

 private:
  // Brings the canvas and the view to the window's latest size, once however many resizes came.
  void followSize();
  void present();

  std::vector<PaneTarget> targets_;
  bool followsWindow_;
  int width_;
  int height_;
  CairoGraphicsContext canvas_{1, 1};
  FramePresenter presenter_;
  ColourTarget colours_;
  // Declared before the view, which refers to it, so that it goes after.
  std::unique_ptr<ViewSeat> seat_;
  std::unique_ptr<ScreenSaverView> view_;
};

}  // namespace brivora
