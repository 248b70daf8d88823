#pragma once

#include <X11/Xlib.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "hosts/common/MonitorPlan.h"
#include "hosts/common/ViewSupply.h"
#include "hosts/x11/ScreenPane.h"
#include "hosts/x11/SurfaceWindow.h"

namespace brivora {

// The windows a host draws in and the panes that draw, as a monitor plan lays them out, and
// kept to the plan as monitors come, go and change.
class MonitorPanes {
 public:
  // For a full screen: a window is made over each surface of a plan. With `colourManagement`
  // each view's wallpapers are converted to its monitor's profile.
  MonitorPanes(Display* display, std::string viewClass, ViewSupply& supply, bool colourManagement);

  // For one window, made by the host or handed to it. With `followsWindow` its one pane fills
  // it and follows its size; otherwise plans place the panes in it.
  MonitorPanes(Display* display, std::string viewClass, ViewSupply& supply, bool colourManagement,
               Window window, bool owned, bool followsWindow);

  ~MonitorPanes();
  MonitorPanes(const MonitorPanes&) = delete;
  MonitorPanes& operator=(const MonitorPanes&) = delete;

  // Whether the window given at creation can be drawn in; always for a full screen.
  bool usable() const;

  // The window given at creation; none (0) for a full screen.
  Window givenWindow() const;

  // Brings windows and panes to `plan`, keeping those that stay as they are. What goes is
  // dropped before anything new is made, so that memory never holds both. Fails, with `error`
  // set, when a window cannot be drawn in or a view cannot be made; what could be made stays.
  bool follow(const MonitorPlan& plan, std::string& error);

  // Makes every view anew, as at the host's start (the bundle's files changed), in the same
  // windows. The old views go first. Fails, with `error` set, when a view cannot be made.
  bool renewViews(std::string& error);

  // Passes a window's event to the window it is for; false when it is for none of them.
  bool handle(const XEvent& event);

  bool anyShowing() const;
  bool anyLost() const;
  // Follows the display's power state, for every window now and to come.
  void setPoweredOn(bool poweredOn);
  // Every window is gone (the server said so): none is destroyed at the end.
  void markAllLost();

  // The animation interval the views ask for; 1/30 s when there are none.
  double animationInterval() const;

  // Raises the full-screen windows another window covers, each at most once a second.
  void raiseCovered();

  // Ticks every pane, and draws and shows the frames they ask for where they can be seen;
  // whether any was shown.
  template <typename Overlay>
  bool frame(Overlay&& overlay) {
    bool shown = false;
    for (const auto& pane : panes_) shown = pane->frame(overlay) || shown;
    return shown;
  }

 private:
  using Steady = std::chrono::steady_clock;

  struct Surface {
    std::unique_ptr<SurfaceWindow> window;
    Steady::time_point lastRaised{};
  };

  std::vector<PaneTarget> targetsFor(const PlannedView& view) const;
  // Makes the panes of `plan_` that `kept` does not hold; whether every one could be made.
  bool makePanes(std::vector<std::unique_ptr<ScreenPane>> kept, std::string& error);

  Display* display_;
  std::string viewClass_;
  ViewSupply& supply_;
  bool colourManagement_;
  bool followsWindow_ = false;
  bool poweredOn_ = true;
  MonitorPlan plan_;
  std::vector<Surface> surfaces_;
  std::vector<std::unique_ptr<ScreenPane>> panes_;
};

}  // namespace brivora
