#include "hosts/x11/ScreenPane.h"

#include <algorithm>

#include "platform/ViewRegistry.h"

namespace brivora {

ScreenPane::ScreenPane(Display* display, int width, int height, std::vector<PaneTarget> targets,
                       bool followsWindow, bool isPreview, const std::string& viewClass,
                       std::unique_ptr<ViewSeat> seat, ColourTarget colours, std::string& error)
    : targets_(std::move(targets)),
      followsWindow_(followsWindow),
      width_(std::max(1, width)),
      height_(std::max(1, height)),
      presenter_(display, targets_.empty() ? 0 : targets_.front().surface->window(), error),
      colours_(std::move(colours)),
      seat_(std::move(seat)) {
  if (!presenter_.usable()) return;
  presenter_.prepare(canvas_, width_, height_);
  const ColourTargetScope scope(colours_);
  view_ =
      createView(viewClass, Rect{0, 0, static_cast<double>(width_), static_cast<double>(height_)},
                 isPreview, seat_->environment());
  if (!view_) error = "the screen saver view could not be created";
}

ScreenPane::~ScreenPane() {
  view_.reset();
}

bool ScreenPane::isShowing() const {
  return std::any_of(targets_.begin(), targets_.end(),
                     [](const PaneTarget& target) { return target.surface->isShowing(); });
}

void ScreenPane::followSize() {
  SurfaceWindow& window = *targets_.front().surface;
  if (window.width() == width_ && window.height() == height_) return;
  width_ = window.width();
  height_ = window.height();
  targets_.front().source = {0, 0, width_, height_};
  presenter_.prepare(canvas_, width_, height_);
  view_->setFrame(Rect{0, 0, static_cast<double>(width_), static_cast<double>(height_)});
}

void ScreenPane::present() {
  for (const PaneTarget& target : targets_) {
    if (!target.surface->isShowing()) continue;
    presenter_.present(canvas_, target.surface->window(), target.source, target.x, target.y);
  }
}

}  // namespace brivora
