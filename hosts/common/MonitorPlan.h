#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include "hosts/common/MonitorMode.h"
#include "hosts/common/PixelRect.h"

namespace brivora {

// Where a view's frames are shown: the part `source` of the frame (pixels from its top left)
// goes to (`destinationX`, `destinationY`) on the plan's surface number `surface`.
struct ViewPart {
  std::size_t surface = 0;
  PixelRect source;
  int destinationX = 0;
  int destinationY = 0;

  friend bool operator==(const ViewPart&, const ViewPart&) = default;
};

// A view the host makes: the size of its frame and where the frame is shown.
struct PlannedView {
  int width = 0;
  int height = 0;
  std::vector<ViewPart> parts;
};

// The surfaces a host draws on and the views it makes for them, for one set of monitors.
struct MonitorPlan {
  // Full screen: the windows the host makes, each over its place on the screen. Otherwise
  // the one surface the host was given, at its place on the screen.
  std::vector<PixelRect> surfaces;
  bool madeSurfaces = true;
  std::vector<PlannedView> views;
};

// For a full screen: a surface exactly over each monitor, then a view per surface in `each`
// and `same`, or one over the box around all of them in `span`. A monitor inside another (a
// mirror) adds nothing.
MonitorPlan planFullscreen(const std::vector<PixelRect>& monitors, MonitorMode mode);

// For the one surface at `surface` on the screen (a root window): in `each` and `same` a view
// per monitor over the part of the surface it shows; in `span`, or where no monitor meets
// the surface, one view over all of it.
MonitorPlan planSurface(const PixelRect& surface, const std::vector<PixelRect>& monitors,
                        MonitorMode mode);

// What of a running host's plan lives on into the next one: for each surface and each view of
// `after`, the one of `before` it keeps, or none where it is made anew.
struct PlanCarryOver {
  std::vector<std::optional<std::size_t>> surfaces;
  std::vector<std::optional<std::size_t>> views;
};

// A made surface is kept where its place has not changed, a given one always; a view where its
// size and its parts, on kept surfaces, have not. In `same` every view is made anew unless all
// are kept, so that new views start in step with the others.
PlanCarryOver carryOver(const MonitorPlan& before, const MonitorPlan& after, MonitorMode mode);

}  // namespace brivora
