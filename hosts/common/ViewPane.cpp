#include "hosts/common/ViewPane.h"

#include <algorithm>

#include "platform/ViewRegistry.h"

namespace brivora {

ViewPane::ViewPane(int width, int height, bool isPreview, const std::string& viewClass,
                   std::unique_ptr<ViewSeat> seat, ColourTarget colours)
    : width_(std::max(1, width)),
      height_(std::max(1, height)),
      colours_(std::move(colours)),
      seat_(std::move(seat)) {
  const ColourTargetScope scope(colours_);
  view_ =
      createView(viewClass, Rect{0, 0, static_cast<double>(width_), static_cast<double>(height_)},
                 isPreview, seat_->environment());
}

ViewPane::~ViewPane() {
  view_.reset();
}

void ViewPane::setSize(int width, int height) {
  width_ = std::max(1, width);
  height_ = std::max(1, height);
  view_->setFrame(Rect{0, 0, static_cast<double>(width_), static_cast<double>(height_)});
}

bool ViewPane::tick() {
  const ColourTargetScope colours(colours_);
  view_->animateOneFrame();
  return view_->needsDisplay();
}

}  // namespace brivora
