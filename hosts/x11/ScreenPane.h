#pragma once

#include <X11/Xlib.h>

#include <memory>
#include <string>
#include <vector>

#include "backends/codecs/ColourTarget.h"
#include "hosts/common/PixelRect.h"
#include "hosts/common/ViewPane.h"
#include "hosts/common/ViewSupply.h"
#include "hosts/x11/FramePresenter.h"
#include "hosts/x11/SurfaceWindow.h"
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
  // Creates the view with a frame of `width` x `height`, shown in `targets` (at least one,
  // all of the same visual). With `followsWindow` the pane fills its one target window and
  // follows its size. Its wallpapers are converted to `colours`. Fails, with `error` set, when
  // the windows cannot be drawn in or the view cannot be made.
  ScreenPane(Display* display, int width, int height, std::vector<PaneTarget> targets,
             bool followsWindow, bool isPreview, const std::string& viewClass,
             std::unique_ptr<ViewSeat> seat, ColourTarget colours, std::string& error);
  ScreenPane(const ScreenPane&) = delete;
  ScreenPane& operator=(const ScreenPane&) = delete;

  bool usable() const { return pane_ && pane_->usable(); }
  ScreenSaverView& view() { return pane_->view(); }

  // Points the frames at other windows (kept ones, after the monitors changed).
  void retarget(std::vector<PaneTarget> targets) { targets_ = std::move(targets); }

  // Whether any of its windows can be seen; nothing is drawn while none can.
  bool isShowing() const;

  // Ticks the view, and draws and shows a frame when it asks for one. `overlay` draws over
  // the view's frame, on the same canvas (the frame rate, say).
  template <typename Overlay>
  bool frame(Overlay&& overlay) {
    if (!pane_->tick() || !isShowing()) return false;
    if (followsWindow_) followSize();
    if (!pane_->draw(overlay)) return false;
    present();
    return true;
  }

 private:
  // Brings the canvas and the view to the window's latest size, once however many resizes came.
  void followSize();
  void present();

  std::vector<PaneTarget> targets_;
  bool followsWindow_;
  FramePresenter presenter_;
  std::unique_ptr<ViewPane> pane_;
};

}  // namespace brivora
