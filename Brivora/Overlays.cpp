// The text overlays drawn over the slideshow. They draw nothing yet; the frame already calls
// them in their order.
#include "Brivora/KovaltaScreensaverView.h"

namespace brivora {

void KovaltaScreensaverView::drawClock(Rect /*rect*/) {}

void KovaltaScreensaverView::drawCountdown(Rect /*rect*/) {}

void KovaltaScreensaverView::drawPlayerOverlay(Rect /*rect*/, double /*cycleElapsed*/) {}

void KovaltaScreensaverView::drawCredit(Rect /*rect*/) {}

}  // namespace brivora
