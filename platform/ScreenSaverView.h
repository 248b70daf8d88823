#pragma once

#include "platform/Geometry.h"

namespace brivora {

// A settings sheet, as the macOS screen saver host asks for one; no view here has one.
class ConfigureSheet;

// What every screen saver view is to its host. The host creates a view with a frame and a
// preview flag, calls `animateOneFrame` every `animationTimeInterval` seconds and, when the
// view needs display, makes a graphics context current and calls `draw`. All on one thread.
class ScreenSaverView {
 public:
  ScreenSaverView(Rect frame, bool isPreview);
  virtual ~ScreenSaverView() = default;
  ScreenSaverView(const ScreenSaverView&) = delete;
  ScreenSaverView& operator=(const ScreenSaverView&) = delete;

  // Where the view sits in its window, and its own drawing area (origin zero).
  Rect frame() const { return frame_; }
  Rect bounds() const { return Rect{Point{}, frame_.size}; }
  bool isPreview() const { return isPreview_; }

  // The host moves or resizes the view; the next draw covers the new bounds.
  void setFrame(Rect frame);

  double animationTimeInterval() const { return animationTimeInterval_; }
  void setAnimationTimeInterval(double seconds) { animationTimeInterval_ = seconds; }

  // Marks part of the view for redrawing; the host reads and clears the mark.
  void setNeedsDisplayInRect(Rect rect);
  bool needsDisplay() const { return needsDisplay_; }
  void clearNeedsDisplay() { needsDisplay_ = false; }

  // Whether the view asked to be backed by a layer, as AppKit views are; a compositor host may
  // use it.
  bool wantsLayer() const { return wantsLayer_; }
  void setWantsLayer(bool wants) { wantsLayer_ = wants; }

  // One step of the animation; the base does nothing.
  virtual void animateOneFrame() {}

  // Draws the view on the current graphics context; `dirtyRect` is the part that must be
  // redrawn. The base draws nothing.
  virtual void draw(Rect dirtyRect) { (void)dirtyRect; }

  // Whether the view has a settings sheet, and the sheet itself (null when it has none).
  virtual bool hasConfigureSheet() const { return false; }
  virtual ConfigureSheet* configureSheet() const { return nullptr; }

 private:
  Rect frame_;
  bool isPreview_;
  double animationTimeInterval_ = 1.0 / 30.0;
  bool needsDisplay_ = false;
  bool wantsLayer_ = false;
};

}  // namespace brivora
