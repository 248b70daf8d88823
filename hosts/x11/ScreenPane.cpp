#include "hosts/x11/ScreenPane.h"

#include <algorithm>

namespace brivora {

ScreenPane::ScreenPane(Display* display, int width, int height, std::vector<PaneTarget> targets,
                       bool followsWindow, bool isPreview, const std::string& viewClass,
                       std::unique_ptr<ViewSeat> seat, ColourTarget colours, std::string& error)
    : targets_(std::move(targets)),
      followsWindow_(followsWindow),
      presenter_(display, targets_.empty() ? 0 : targets_.front().surface->window(), error) {
  if (!presenter_.usable()) return;
  pane_ = std::make_unique<ViewPane>(width, height, isPreview, viewClass, std::move(seat),
                                     std::move(colours));
  presenter_.prepare(pane_->canvas(), pane_->width(), pane_->height());
  if (!pane_->usable()) error = "the screen saver view could not be created";
}

bool ScreenPane::isShowing() const {
  return std::any_of(targets_.begin(), targets_.end(),
                     [](const PaneTarget& target) { return target.surface->isShowing(); });
}

void ScreenPane::followSize() {
  SurfaceWindow& window = *targets_.front().surface;
  if (window.width() == pane_->width() && window.height() == pane_->height()) return;
  pane_->setSize(window.width(), window.height());
  targets_.front().source = {0, 0, pane_->width(), pane_->height()};
  presenter_.prepare(pane_->canvas(), pane_->width(), pane_->height());
}

void ScreenPane::present() {
  for (const PaneTarget& target : targets_) {
    if (!target.surface->isShowing()) continue;
    presenter_.present(pane_->canvas(), target.surface->window(), target.source, target.x,
                       target.y);
  }
}

}  // namespace brivora
