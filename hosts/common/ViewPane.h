#pragma once

#include <memory>
#include <string>

#include "backends/cairo/CairoGraphicsContext.h"
#include "backends/codecs/ColourTarget.h"
#include "hosts/common/ViewSupply.h"
#include "platform/ProcessEnd.h"
#include "platform/ScreenSaverView.h"

namespace brivora {

// One view with the canvas it draws on and what it was handed at its creation: what a live host
// has for each view it shows, whatever it shows the frames in (X11 windows, Wayland surfaces).
// The host points the canvas at the pixels the frames go to.
class ViewPane {
 public:
  // Smaller than this is a settings dialog's preview pane, not a screen.
  static constexpr int previewMaxWidth = 640;
  static constexpr int previewMaxHeight = 480;

  // Creates the view with a frame of `width` x `height` pixels. Its wallpapers are converted to
  // `colours`, at creation and on every tick. `usable()` is false when no view can be made.
  ViewPane(int width, int height, bool isPreview, const std::string& viewClass,
           std::unique_ptr<ViewSeat> seat, ColourTarget colours);
  ~ViewPane();
  ViewPane(const ViewPane&) = delete;
  ViewPane& operator=(const ViewPane&) = delete;

  bool usable() const { return view_ != nullptr; }
  ScreenSaverView& view() { return *view_; }
  CairoGraphicsContext& canvas() { return canvas_; }
  int width() const { return width_; }
  int height() const { return height_; }

  // Gives the view a frame of the new size; the host points the canvas at pixels of that size.
  void setSize(int width, int height);

  // Ticks the view; whether it asks for a frame.
  bool tick();

  // Draws the view's frame, then `overlay` (the frame rate, say), on the canvas. False when the
  // draw was cut short because the process is ending: nothing should be shown then.
  template <typename Overlay>
  bool draw(Overlay&& overlay) {
    const ColourTargetScope colours(colours_);
    {
      const CurrentGraphicsContext current(canvas_);
      view_->draw(view_->bounds());
      overlay();
    }
    if (processEndRequested()) return false;
    view_->clearNeedsDisplay();
    return true;
  }

 private:
  int width_;
  int height_;
  CairoGraphicsContext canvas_{1, 1};
  ColourTarget colours_;
  // Declared before the view, which refers to it, so that it goes after.
  std::unique_ptr<ViewSeat> seat_;
  std::unique_ptr<ScreenSaverView> view_;
};

}  // namespace brivora
