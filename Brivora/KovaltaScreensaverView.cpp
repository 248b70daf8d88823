#include "Brivora/KovaltaScreensaverView.h"

#include <cstdio>
#include <cstdlib>

#include "Brivora/CountdownTarget.h"
#include "Brivora/WallpaperDiscovery.h"
#include "platform/Clock.h"

namespace brivora {

namespace {

constexpr double framesPerSecond = 30;

const bool registeredAsPrincipalClass = registerViewClass(
    std::string(KovaltaScreensaverView::principalClassName),
    [](Rect frame, bool isPreview, const ViewEnvironment& environment) {
      return std::make_unique<KovaltaScreensaverView>(frame, isPreview, environment);
    });

}  // namespace

KovaltaScreensaverView::KovaltaScreensaverView(Rect frame, bool isPreview,
                                               const ViewEnvironment& environment)
    : ScreenSaverView(frame, isPreview),
      clock_(environment.clock),
      random_(environment.random),
      claimant_(environment.claims),
      cycleStart_(environment.clock.uptime()) {
  const Bundle& bundle = environment.bundle;
  theme_ = Theme::load(bundle);
  meta_ = Meta::load(bundle);
  imageURLs_ = collectImages(bundle);
  countdownTarget_ = parseDate(theme_.countdownTo);

  setAnimationTimeInterval(1.0 / framesPerSecond);
  setWantsLayer(true);
  if (!imageURLs_.empty()) primeFirstCycle();
}

void KovaltaScreensaverView::initWithCoder() {
  std::fputs("init(coder:) is not used for screensavers\n", stderr);
  std::abort();
}

void KovaltaScreensaverView::animateOneFrame() {
  const double now = clock_.uptime();
  const double elapsed = now - cycleStart_;
  if (elapsed >= theme_.cycleSeconds) {
    advance();
  } else if (elapsed >= theme_.cycleSeconds - theme_.crossfadeSeconds && !transitionStart_) {
    transitionStart_ = now;
  }
  setNeedsDisplayInRect(bounds());
}

}  // namespace brivora
