#include "platform/ScreenSaverView.h"

namespace brivora {

ScreenSaverView::ScreenSaverView(Rect frame, bool isPreview)
    : frame_(frame), isPreview_(isPreview) {}

void ScreenSaverView::setFrame(Rect frame) {
  frame_ = frame;
  needsDisplay_ = true;
}

void ScreenSaverView::setNeedsDisplayInRect(Rect rect) {
  // The whole view is redrawn either way; an empty rect asks for nothing.
  if (rect.width() > 0 && rect.height() > 0) needsDisplay_ = true;
}

}  // namespace brivora
