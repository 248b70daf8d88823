#pragma once

#include <wayland-client.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "hosts/common/MonitorPlan.h"
#include "hosts/common/ViewPane.h"
#include "hosts/common/ViewSupply.h"
#include "hosts/wayland/OutputSurface.h"

namespace brivora {

class WaylandDisplay;

// The surfaces a Wayland host shows frames in (one per output, or one window) and the views
// that draw them, laid out by a monitor plan over the outputs' logical places and kept to it as
// outputs come, go and change.
class WaylandPanes {
 public:
  // With `onlyOutput`, outputs of other names get no surface (a locker runs one client for
  // each). `windowSize` is a window's size before the compositor says otherwise.
  WaylandPanes(WaylandDisplay& display, SurfaceRole role, Size windowSize,
               std::optional<std::string> onlyOutput, std::string viewClass, ViewSupply& supply,
               bool colourManagement);
  ~WaylandPanes();
  WaylandPanes(const WaylandPanes&) = delete;
  WaylandPanes& operator=(const WaylandPanes&) = delete;

  // Asks for a surface on every output there is now and drops those of outputs that went; for
  // a window, asks for it once. Call whenever the outputs change.
  void followOutputs();

  // Brings the views to the surfaces as they are configured now, keeping every view whose place
  // is unchanged; cheap when nothing changed. Fails, with `error` set, when a view cannot be
  // made.
  bool followPlan(std::string& error);

  // Makes every view anew, as at the start (the bundle's files changed).
  bool renewViews(std::string& error);

  // The window was closed (a full screen never is: surfaces go with their outputs).
  bool windowClosed() const;

  // Where a surface's top left lies in the compositor's space.
  Point originOf(wl_surface* surface) const;

  // Ticks every view, and draws and shows the frames they ask for where their surfaces can show
  // them; whether any was shown.
  template <typename Overlay>
  bool frame(Overlay&& overlay) {
    bool shown = false;
    for (Pane& pane : panes_) shown = frame(pane, overlay) || shown;
    return shown;
  }

 private:
  // A view's frames on surfaces: the part `source` (view pixels) goes to (`x`, `y`) in
  // `surface`'s buffer.
  struct Part {
    OutputSurface* surface;
    PixelRect source;
    int x;
    int y;
  };
  struct Pane {
    std::unique_ptr<ViewPane> view;
    std::vector<Part> parts;
    // One part that is the whole frame: drawn straight into the surface's buffer, following
    // its size.
    bool direct = false;
  };

  template <typename Overlay>
  bool frame(Pane& pane, Overlay& overlay) {
    if (!pane.view->tick()) return false;
    if (pane.direct) {
      OutputSurface& surface = *pane.parts.front().surface;
      if (!surface.readyForFrame()) return false;
      if (surface.pixelWidth() != pane.view->width() ||
          surface.pixelHeight() != pane.view->height()) {
        pane.view->setSize(surface.pixelWidth(), surface.pixelHeight());
      }
      ShmBuffers::Buffer* buffer = surface.freeBuffer();
      if (!buffer) return false;
      pane.view->canvas().drawInto(buffer->pixels, surface.pixelWidth(), surface.pixelHeight(),
                                   surface.stride());
      if (!pane.view->draw(overlay)) return false;
      pane.view->canvas().data();  // flushes the drawing into the buffer
      surface.show(buffer);
      return true;
    }
    const bool anyReady = std::any_of(pane.parts.begin(), pane.parts.end(), [](const Part& part) {
      return part.surface->readyForFrame();
    });
    if (!anyReady || !pane.view->draw(overlay)) return false;
    for (const Part& part : pane.parts) showPart(pane, part);
    return true;
  }

  // Copies the part of the pane's frame into a buffer of its surface and shows it.
  void showPart(Pane& pane, const Part& part);
  Pane makePane(const PlannedView& view, const std::vector<OutputSurface*>& surfaces, int scale,
                std::string& error);
  bool makePanes(std::vector<std::optional<Pane>> kept, std::string& error);

  WaylandDisplay& display_;
  SurfaceRole role_;
  Size windowSize_;
  std::optional<std::string> onlyOutput_;
  std::string viewClass_;
  ViewSupply& supply_;
  bool colourManagement_;
  std::vector<std::unique_ptr<OutputSurface>> surfaces_;
  // What the present plan was made of: the surfaces' places and scales, in `surfaces_`'s order.
  std::vector<std::pair<PixelRect, double>> planned_;
  MonitorPlan plan_;
  std::vector<OutputSurface*> planSurfaces_;  // the surface of each of the plan's surfaces
  int spanScale_ = 1;
  std::vector<Pane> panes_;
};

}  // namespace brivora
