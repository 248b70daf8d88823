#include "hosts/common/MonitorPlan.h"

#include <algorithm>

namespace brivora {

namespace {

// The monitors worth a view: not empty, and not inside another (a mirror, which shows part of
// the other's picture anyway). Of two at the same place the first counts.
std::vector<PixelRect> distinctMonitors(const std::vector<PixelRect>& monitors) {
  std::vector<PixelRect> kept;
  for (std::size_t at = 0; at < monitors.size(); ++at) {
    const PixelRect& monitor = monitors[at];
    if (monitor.isEmpty()) continue;
    bool inside = false;
    for (std::size_t other = 0; other < monitors.size() && !inside; ++other) {
      if (other == at || monitors[other].isEmpty()) continue;
      const bool contained = intersection(monitor, monitors[other]) == monitor;
      // Of two at the same place, the later one is inside the earlier.
      inside = contained && (monitors[other] != monitor || other < at);
    }
    if (!inside) kept.push_back(monitor);
  }
  return kept;
}

PlannedView wholeView(std::size_t surface, int width, int height, int atX, int atY) {
  return {width, height, {{surface, {0, 0, width, height}, atX, atY}}};
}

}  // namespace

MonitorPlan planFullscreen(const std::vector<PixelRect>& monitors, MonitorMode mode) {
  MonitorPlan plan;
  plan.surfaces = distinctMonitors(monitors);
  if (mode == MonitorMode::span) {
    PixelRect box;
    for (const PixelRect& surface : plan.surfaces) box = unionOf(box, surface);
    if (box.isEmpty()) return plan;
    PlannedView view{box.width, box.height, {}};
    for (std::size_t at = 0; at < plan.surfaces.size(); ++at) {
      const PixelRect& surface = plan.surfaces[at];
      view.parts.push_back(
          {at, {surface.x - box.x, surface.y - box.y, surface.width, surface.height}, 0, 0});
    }
    plan.views.push_back(std::move(view));
    return plan;
  }
  for (std::size_t at = 0; at < plan.surfaces.size(); ++at) {
    plan.views.push_back(wholeView(at, plan.surfaces[at].width, plan.surfaces[at].height, 0, 0));
  }
  return plan;
}

MonitorPlan planSurface(const PixelRect& surface, const std::vector<PixelRect>& monitors,
                        MonitorMode mode) {
  MonitorPlan plan{{surface}, false, {}};
  if (surface.isEmpty()) return plan;
  if (mode != MonitorMode::span) {
    for (const PixelRect& monitor : distinctMonitors(monitors)) {
      const PixelRect shown = intersection(monitor, surface);
      if (shown.isEmpty()) continue;
      plan.views.push_back(
          wholeView(0, shown.width, shown.height, shown.x - surface.x, shown.y - surface.y));
    }
  }
  if (plan.views.empty()) plan.views.push_back(wholeView(0, surface.width, surface.height, 0, 0));
  return plan;
}

PlanCarryOver carryOver(const MonitorPlan& before, const MonitorPlan& after, MonitorMode mode) {
  PlanCarryOver carried;
  std::vector<bool> surfaceTaken(before.surfaces.size(), false);
  for (std::size_t at = 0; at < after.surfaces.size(); ++at) {
    std::optional<std::size_t> kept;
    for (std::size_t old = 0; old < before.surfaces.size() && !kept; ++old) {
      const bool same = before.madeSurfaces || after.madeSurfaces
                            ? before.surfaces[old] == after.surfaces[at]
                            : old == at;
      if (same && !surfaceTaken[old]) kept = old;
    }
    if (kept) surfaceTaken[*kept] = true;
    carried.surfaces.push_back(kept);
  }

  const auto partsMatch = [&](const PlannedView& old, const PlannedView& now) {
    return std::equal(old.parts.begin(), old.parts.end(), now.parts.begin(), now.parts.end(),
                      [&](const ViewPart& was, const ViewPart& is) {
                        return carried.surfaces[is.surface] == was.surface &&
                               was.source == is.source && was.destinationX == is.destinationX &&
                               was.destinationY == is.destinationY;
                      });
  };
  std::vector<bool> viewTaken(before.views.size(), false);
  for (const PlannedView& view : after.views) {
    std::optional<std::size_t> kept;
    for (std::size_t old = 0; old < before.views.size() && !kept; ++old) {
      const PlannedView& was = before.views[old];
      if (!viewTaken[old] && was.width == view.width && was.height == view.height &&
          partsMatch(was, view)) {
        kept = old;
      }
    }
    if (kept) viewTaken[*kept] = true;
    carried.views.push_back(kept);
  }

  const bool allKept = before.views.size() == after.views.size() &&
                       std::all_of(carried.views.begin(), carried.views.end(),
                                   [](const auto& kept) { return kept.has_value(); });
  if (mode == MonitorMode::same && !allKept) {
    std::fill(carried.views.begin(), carried.views.end(), std::nullopt);
  }
  return carried;
}

}  // namespace brivora
