#include "hosts/x11/MonitorPanes.h"

#include <algorithm>

#include "hosts/x11/DisplayProfile.h"
#include "hosts/x11/FullscreenWindow.h"

namespace brivora {

namespace {

// A window raised this recently is not raised again, so that two programs that each want to be
// on top do not raise in turn for ever.
constexpr auto raiseInterval = std::chrono::seconds(1);

}  // namespace

MonitorPanes::MonitorPanes(Display* display, std::string viewClass, ViewSupply& supply,
                           bool colourManagement)
    : display_(display),
      viewClass_(std::move(viewClass)),
      supply_(supply),
      colourManagement_(colourManagement) {}

MonitorPanes::MonitorPanes(Display* display, std::string viewClass, ViewSupply& supply,
                           bool colourManagement, Window window, bool owned, bool followsWindow)
    : display_(display),
      viewClass_(std::move(viewClass)),
      supply_(supply),
      colourManagement_(colourManagement),
      followsWindow_(followsWindow) {
  plan_.madeSurfaces = false;
  surfaces_.push_back({std::make_unique<SurfaceWindow>(display, window, owned)});
  plan_.surfaces.push_back(
      {0, 0, surfaces_.front().window->width(), surfaces_.front().window->height()});
}

MonitorPanes::~MonitorPanes() {
  // Views go before the windows they show in.
  panes_.clear();
  surfaces_.clear();
}

bool MonitorPanes::usable() const {
  return plan_.madeSurfaces || surfaces_.front().window->usable();
}

Window MonitorPanes::givenWindow() const {
  return plan_.madeSurfaces ? 0 : surfaces_.front().window->window();
}

std::vector<PaneTarget> MonitorPanes::targetsFor(const PlannedView& view) const {
  std::vector<PaneTarget> targets;
  for (const ViewPart& part : view.parts) {
    targets.push_back(
        {surfaces_[part.surface].window.get(), part.source, part.destinationX, part.destinationY});
  }
  return targets;
}

bool MonitorPanes::follow(const MonitorPlan& plan, std::string& error) {
  const PlanCarryOver carried = carryOver(plan_, plan, supply_.mode());

  std::vector<std::unique_ptr<ScreenPane>> keptPanes(plan.views.size());
  for (std::size_t at = 0; at < plan.views.size(); ++at) {
    if (carried.views[at]) keptPanes[at] = std::move(panes_[*carried.views[at]]);
  }
  panes_.clear();
  std::vector<Surface> surfaces(plan.surfaces.size());
  if (plan_.madeSurfaces) {
    for (std::size_t at = 0; at < plan.surfaces.size(); ++at) {
      if (carried.surfaces[at]) surfaces[at] = std::move(surfaces_[*carried.surfaces[at]]);
    }
    surfaces_.clear();
    for (std::size_t at = 0; at < plan.surfaces.size(); ++at) {
      if (surfaces[at].window) continue;
      surfaces[at].window = std::make_unique<SurfaceWindow>(
          display_, createFullscreenWindow(display_, plan.surfaces[at]), true);
      surfaces[at].window->setPoweredOn(poweredOn_);
    }
  } else {
    // The given window stays whatever its place.
    surfaces[0] = std::move(surfaces_.front());
    surfaces_.clear();
  }
  surfaces_ = std::move(surfaces);

  plan_ = plan;
  return makePanes(std::move(keptPanes), error);
}

bool MonitorPanes::renewViews(std::string& error) {
  panes_.clear();
  return makePanes(std::vector<std::unique_ptr<ScreenPane>>(plan_.views.size()), error);
}

bool MonitorPanes::makePanes(std::vector<std::unique_ptr<ScreenPane>> kept, std::string& error) {
  const bool allNew =
      std::none_of(kept.begin(), kept.end(), [](const auto& pane) { return pane != nullptr; });
  if (allNew) supply_.startGroup();
  bool madeAll = true;
  for (std::size_t at = 0; at < plan_.views.size(); ++at) {
    const PlannedView& view = plan_.views[at];
    if (kept[at]) {
      kept[at]->retarget(targetsFor(view));
      panes_.push_back(std::move(kept[at]));
      continue;
    }
    const bool isPreview = !plan_.madeSurfaces && (view.width < ViewPane::previewMaxWidth ||
                                                   view.height < ViewPane::previewMaxHeight);
    // The monitor under the middle of the view's first part gives its colours.
    const ViewPart& first = view.parts.front();
    const PixelRect& surface = plan_.surfaces[first.surface];
    ColourTarget colours =
        colourTargetAt(display_, surface.x + first.destinationX + first.source.width / 2,
                       surface.y + first.destinationY + first.source.height / 2, colourManagement_);
    auto pane = std::make_unique<ScreenPane>(display_, view.width, view.height, targetsFor(view),
                                             followsWindow_, isPreview, viewClass_, supply_.seat(),
                                             std::move(colours), error);
    if (pane->usable()) {
      panes_.push_back(std::move(pane));
    } else {
      madeAll = false;
    }
  }
  return madeAll;
}

bool MonitorPanes::handle(const XEvent& event) {
  return std::any_of(surfaces_.begin(), surfaces_.end(),
                     [&](const Surface& surface) { return surface.window->handle(event); });
}

bool MonitorPanes::anyShowing() const {
  return std::any_of(surfaces_.begin(), surfaces_.end(),
                     [](const Surface& surface) { return surface.window->isShowing(); });
}

bool MonitorPanes::anyLost() const {
  return std::any_of(surfaces_.begin(), surfaces_.end(),
                     [](const Surface& surface) { return surface.window->isLost(); });
}

void MonitorPanes::setPoweredOn(bool poweredOn) {
  poweredOn_ = poweredOn;
  for (const Surface& surface : surfaces_) surface.window->setPoweredOn(poweredOn);
}

void MonitorPanes::markAllLost() {
  for (const Surface& surface : surfaces_) surface.window->markLost();
}

double MonitorPanes::animationInterval() const {
  const double asked = panes_.empty() ? 0 : panes_.front()->view().animationTimeInterval();
  return asked > 0 ? asked : 1.0 / 30.0;
}

void MonitorPanes::raiseCovered() {
  if (!plan_.madeSurfaces) return;
  const auto now = Steady::now();
  for (std::size_t at = 0; at < surfaces_.size(); ++at) {
    Surface& surface = surfaces_[at];
    if (!surface.window->isCovered() || now - surface.lastRaised < raiseInterval) continue;
    // Windows over monitors that overlap cover each other; raising them would never end.
    const bool overlapsOurs =
        std::any_of(plan_.surfaces.begin(), plan_.surfaces.end(), [&](const PixelRect& other) {
          return &other != &plan_.surfaces[at] &&
                 !intersection(other, plan_.surfaces[at]).isEmpty();
        });
    if (overlapsOurs) continue;
    XRaiseWindow(display_, surface.window->window());
    surface.lastRaised = now;
  }
}

}  // namespace brivora
