#include "hosts/wayland/WaylandPanes.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "hosts/wayland/WaylandDisplay.h"

namespace brivora {

WaylandPanes::WaylandPanes(WaylandDisplay& display, SurfaceRole role, Size windowSize,
                           std::optional<std::string> onlyOutput, std::string viewClass,
                           ViewSupply& supply, bool colourManagement)
    : display_(display),
      role_(role),
      windowSize_(windowSize),
      onlyOutput_(std::move(onlyOutput)),
      viewClass_(std::move(viewClass)),
      supply_(supply),
      colourManagement_(colourManagement) {}

WaylandPanes::~WaylandPanes() {
  // Views go before the surfaces they show on.
  panes_.clear();
  surfaces_.clear();
}

void WaylandPanes::followOutputs() {
  if (role_ == SurfaceRole::window) {
    if (surfaces_.empty()) {
      surfaces_.push_back(std::make_unique<OutputSurface>(display_, nullptr, role_, windowSize_));
    }
    return;
  }
  const std::vector<const WaylandOutput*> outputs = display_.outputs();
  const auto gone = [&](const OutputSurface* surface) {
    return std::find(outputs.begin(), outputs.end(), surface->output()) == outputs.end();
  };
  // A view showing on an output that went goes first, then the output's surface.
  std::erase_if(panes_, [&](const Pane& pane) {
    return std::any_of(pane.parts.begin(), pane.parts.end(),
                       [&](const Part& part) { return gone(part.surface); });
  });
  const std::size_t before = surfaces_.size();
  std::erase_if(surfaces_, [&](const auto& surface) { return gone(surface.get()); });
  if (surfaces_.size() != before) planned_.clear();
  for (const WaylandOutput* output : outputs) {
    if (onlyOutput_ && output->name != *onlyOutput_) continue;
    const bool covered = std::any_of(surfaces_.begin(), surfaces_.end(), [&](const auto& surface) {
      return surface->output() == output;
    });
    if (!covered) {
      surfaces_.push_back(std::make_unique<OutputSurface>(display_, output, role_, windowSize_));
    }
  }
}

bool WaylandPanes::followPlan(std::string& error) {
  std::vector<OutputSurface*> open;
  std::vector<std::pair<PixelRect, double>> places;
  // Without xdg-output every output says it lies at the origin: they are taken to stand side by
  // side, as most compositors first place them, rather than one over the other.
  int besideX = 0;
  for (const auto& surface : surfaces_) {
    if (!surface->isConfigured() || surface->isClosed()) continue;
    PixelRect place = surface->logicalPlace();
    if (surface->output() && !surface->output()->placed) {
      place.x = besideX;
      place.y = 0;
      surface->placeAt(place.x, place.y);
    }
    besideX += place.width;
    open.push_back(surface.get());
    places.emplace_back(place, surface->preferredScale());
  }
  if (places == planned_) return true;
  planned_ = places;

  MonitorPlan plan;
  std::vector<OutputSurface*> planSurfaces;
  if (role_ == SurfaceRole::window) {
    if (open.empty()) return true;
    PixelRect place = open.front()->logicalPlace();
    plan = planSurface(place, {}, MonitorMode::span);
    planSurfaces = {open.front()};
  } else {
    std::vector<PixelRect> rects;
    for (const auto& [rect, scale] : places) rects.push_back(rect);
    plan = planFullscreen(rects, supply_.mode());
    // Each planned surface is the open surface at that place (of two at one place, the first).
    std::vector<bool> taken(open.size(), false);
    for (const PixelRect& rect : plan.surfaces) {
      for (std::size_t at = 0; at < open.size(); ++at) {
        if (!taken[at] && places[at].first == rect) {
          taken[at] = true;
          planSurfaces.push_back(open[at]);
          break;
        }
      }
    }
  }
  // One view across outputs of different scales is drawn at the largest, and the compositor
  // scales it down where an output's is smaller.
  int scale = 1;
  if (role_ != SurfaceRole::window && supply_.mode() == MonitorMode::span) {
    for (OutputSurface* surface : planSurfaces) {
      scale = std::max(scale, int(std::ceil(surface->preferredScale())));
    }
  }
  for (OutputSurface* surface : planSurfaces) {
    surface->setScale(supply_.mode() == MonitorMode::span && role_ != SurfaceRole::window ? scale
                                                                                          : 0);
  }

  const PlanCarryOver carried = carryOver(plan_, plan, supply_.mode());
  std::vector<std::optional<Pane>> kept(plan.views.size());
  for (std::size_t at = 0; at < plan.views.size(); ++at) {
    if (carried.views[at] && *carried.views[at] < panes_.size() && scale == spanScale_) {
      kept[at] = std::move(panes_[*carried.views[at]]);
    }
  }
  panes_.clear();
  plan_ = std::move(plan);
  planSurfaces_ = std::move(planSurfaces);
  spanScale_ = scale;
  return makePanes(std::move(kept), error);
}

bool WaylandPanes::renewViews(std::string& error) {
  panes_.clear();
  return makePanes(std::vector<std::optional<Pane>>(plan_.views.size()), error);
}

bool WaylandPanes::makePanes(std::vector<std::optional<Pane>> kept, std::string& error) {
  const bool allNew =
      std::none_of(kept.begin(), kept.end(), [](const auto& pane) { return pane.has_value(); });
  if (allNew) supply_.startGroup();
  bool madeAll = true;
  for (std::size_t at = 0; at < plan_.views.size(); ++at) {
    if (kept[at]) {
      panes_.push_back(std::move(*kept[at]));
      continue;
    }
    Pane pane = makePane(plan_.views[at], planSurfaces_, spanScale_, error);
    if (pane.view && pane.view->usable()) {
      panes_.push_back(std::move(pane));
    } else {
      madeAll = false;
    }
  }
  return madeAll;
}

WaylandPanes::Pane WaylandPanes::makePane(const PlannedView& view,
                                          const std::vector<OutputSurface*>& surfaces, int scale,
                                          std::string& error) {
  Pane pane;
  int width = view.width * scale;
  int height = view.height * scale;
  if (view.parts.size() == 1 && supply_.mode() != MonitorMode::span) {
    // A view of its own on one output (or the window): at the output's own scale.
    OutputSurface* surface = surfaces[view.parts.front().surface];
    width = surface->pixelWidth();
    height = surface->pixelHeight();
    pane.parts.push_back({surface, {0, 0, width, height}, 0, 0});
  } else {
    for (const ViewPart& part : view.parts) {
      const PixelRect& source = part.source;
      pane.parts.push_back(
          {surfaces[part.surface],
           {source.x * scale, source.y * scale, source.width * scale, source.height * scale},
           part.destinationX * scale,
           part.destinationY * scale});
    }
  }
  const Part& first = pane.parts.front();
  pane.direct = pane.parts.size() == 1 && first.source == PixelRect{0, 0, width, height} &&
                first.x == 0 && first.y == 0 && first.surface->pixelWidth() == width &&
                first.surface->pixelHeight() == height;
  const bool isPreview = role_ == SurfaceRole::window &&
                         (width < ViewPane::previewMaxWidth || height < ViewPane::previewMaxHeight);
  pane.view = std::make_unique<ViewPane>(
      width, height, isPreview, viewClass_, supply_.seat(),
      ColourTarget{.managed = colourManagement_, .displayProfile = nullptr});
  if (!pane.view->usable()) {
    error = "the screen saver view could not be created";
    return pane;
  }
  if (!pane.direct) pane.view->canvas().resize(width, height);
  return pane;
}

void WaylandPanes::showPart(Pane& pane, const Part& part) {
  OutputSurface& surface = *part.surface;
  ShmBuffers::Buffer* buffer = surface.freeBuffer();
  if (!buffer) return;
  CairoGraphicsContext& canvas = pane.view->canvas();
  const std::uint8_t* frame = canvas.data();
  // The part, clipped to the frame and to the buffer.
  const PixelRect source =
      intersection(part.source, PixelRect{0, 0, canvas.width(), canvas.height()});
  const int columns = std::min(source.width, surface.pixelWidth() - part.x);
  const int rows = std::min(source.height, surface.pixelHeight() - part.y);
  for (int row = 0; row < rows; ++row) {
    std::memcpy(buffer->pixels + static_cast<std::size_t>(part.y + row) * surface.stride() +
                    static_cast<std::size_t>(part.x) * 4,
                frame + static_cast<std::size_t>(source.y + row) * canvas.stride() +
                    static_cast<std::size_t>(source.x) * 4,
                static_cast<std::size_t>(std::max(0, columns)) * 4);
  }
  surface.show(buffer);
}

bool WaylandPanes::windowClosed() const {
  return role_ == SurfaceRole::window && !surfaces_.empty() && surfaces_.front()->isClosed();
}

Point WaylandPanes::originOf(wl_surface* surface) const {
  for (const auto& each : surfaces_) {
    if (each->surface() == surface) {
      const PixelRect place = each->logicalPlace();
      return Point{double(place.x), double(place.y)};
    }
  }
  return Point{0, 0};
}

}  // namespace brivora
