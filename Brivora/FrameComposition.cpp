// One frame: black, the current wallpaper, the incoming one during a crossfade, the scrim,
// then the overlays.
#include <algorithm>
#include <cmath>

#include "Brivora/ImagePlacement.h"
#include "Brivora/KovaltaScreensaverView.h"
#include "platform/Clock.h"
#include "platform/GraphicsContext.h"
#include "platform/Text.h"
#include "platform/UnicodeText.h"

namespace brivora {

namespace {

constexpr std::string_view emptyPackageMessage = "No wallpapers in this package";
constexpr double emptyPackageFontSize = 24;
constexpr double emptyPackageAlpha = 0.6;
// The gradient runs from its first colour along the band's lower edge up to its second.
constexpr double scrimAngleDegrees = 90;

}  // namespace

void KovaltaScreensaverView::draw(Rect /*dirtyRect*/) {
  const Rect area = bounds();
  if (GraphicsContext* context = GraphicsContext::current())
    context->fillRect(area, Color::black());

  if (imageURLs_.empty()) {
    drawEmptyPackage(area);
    drawClock(area);
    return;
  }

  const double now = clock_.uptime();
  const double elapsed = now - cycleStart_;
  const double progress = std::min(elapsed / theme_.cycleSeconds, 1.0);

  if (currentImage_) drawWallpaper(*currentImage_, progress, currentPan_, 1);
  if (transitionStart_ && nextImage_) {
    const double fraction =
        std::clamp((now - *transitionStart_) / theme_.crossfadeSeconds, 0.0, 1.0);
    // Progress 0 for the incoming image, so the cycle change does not jump.
    drawWallpaper(*nextImage_, 0, nextPan_, fraction);
  }
  drawScrim(area);

  drawClock(area);
  drawCountdown(area);
  drawPlayerOverlay(area, elapsed);
  drawCredit(area);
}

void KovaltaScreensaverView::drawEmptyPackage(Rect bounds) {
  AttributedString message;
  message.string = emptyPackageMessage;
  message.font = Font{.size = emptyPackageFontSize, .weight = FontWeight::regular};
  message.color = Color{1, 1, 1, emptyPackageAlpha};
  const double width = message.size().width;
  message.drawAt(Point{bounds.midX() - width * 0.5, bounds.midY()});
}

void KovaltaScreensaverView::drawWallpaper(const Image& image, double progress, Point pan,
                                           double fraction) const {
  const std::optional<Rect> placed =
      placeImage(image.size(), bounds(), progress, pan, theme_.kenBurnsZoom);
  // Geometry that is not finite (a zero-length cycle, say) is skipped: the frame still completes.
  if (!placed || !isFinite(*placed) || !std::isfinite(fraction)) return;
  image.drawIn(*placed, fraction);
}

void KovaltaScreensaverView::drawScrim(Rect bounds) const {
  if (!theme_.scrimEnabled) return;
  // Compared in lower case, as the clock places itself, so the scrim is always on its side.
  const std::string position = unicode::lowercased(theme_.clockPosition);
  if (position == "center") return;
  const double bandHeight = bounds.height() * theme_.scrimHeightRatio;
  const Color dark{0, 0, 0, theme_.scrimOpacity};
  const Color clear{0, 0, 0, 0};
  if (position.starts_with("top")) {
    Gradient{clear, dark}.drawIn(
        Rect{bounds.minX(), bounds.maxY() - bandHeight, bounds.width(), bandHeight},
        scrimAngleDegrees);
  } else {
    Gradient{dark, clear}.drawIn(Rect{bounds.minX(), bounds.minY(), bounds.width(), bandHeight},
                                 scrimAngleDegrees);
  }
}

}  // namespace brivora
