// The slideshow cycle: which wallpaper comes next, its drift, and the cycle change.
#include <algorithm>
#include <cmath>
#include <numbers>

#include "Brivora/ImagePlacement.h"
#include "Brivora/KovaltaScreensaverView.h"
#include "platform/Clock.h"
#include "platform/RandomSource.h"

namespace brivora {

std::int64_t KovaltaScreensaverView::pickIndex(std::int64_t differentFrom) {
  const auto count = static_cast<std::uint64_t>(imageURLs_.size());
  if (count < 2) return 0;
  // Wallpapers the host's other views show or bring in are passed over as well, as long as
  // that leaves one to pick. Alone, a view draws exactly as it would without them.
  const auto isFree = [&](std::int64_t index) {
    return index != differentFrom &&
           !claimant_.isTakenByOthers(imageURLs_[static_cast<std::size_t>(index)]);
  };
  bool anyFree = false;
  for (std::int64_t index = 0; index < static_cast<std::int64_t>(count) && !anyFree; ++index) {
    anyFree = isFree(index);
  }
  std::int64_t drawn = 0;
  do {
    drawn = static_cast<std::int64_t>(random_.uniformInteger(count));
  } while (anyFree ? !isFree(drawn) : drawn == differentFrom);
  return drawn;
}

Point KovaltaScreensaverView::randomPan() {
  const double angle = random_.uniformDouble(0, 2 * std::numbers::pi);
  return Point{panLength * std::cos(angle), panLength * std::sin(angle)};
}

std::unique_ptr<Image> KovaltaScreensaverView::loadWallpaper(std::int64_t index) const {
  // The image is never shown larger than the view zoomed to its end, so no more pixels are
  // kept than that needs.
  const double zoom = std::max(1.0, theme_.kenBurnsZoom);
  const Size coverBox{bounds().width() * zoom, bounds().height() * zoom};
  return Image::load(imageURLs_[static_cast<std::size_t>(index)], coverBox);
}

void KovaltaScreensaverView::claimShown() {
  claimant_.claim({imageURLs_[static_cast<std::size_t>(currentIndex_)],
                   imageURLs_[static_cast<std::size_t>(nextIndex_)]});
}

void KovaltaScreensaverView::primeFirstCycle() {
  currentIndex_ = pickIndex(-1);
  currentImage_ = loadWallpaper(currentIndex_);
  currentPan_ = randomPan();
  bringInNext();
}

void KovaltaScreensaverView::advance() {
  if (imageURLs_.empty()) return;
  currentImage_ = std::move(nextImage_);
  currentIndex_ = nextIndex_;
  currentPan_ = nextPan_;
  bringInNext();
}

void KovaltaScreensaverView::bringInNext() {
  nextIndex_ = pickIndex(currentIndex_);
  nextImage_ = loadWallpaper(nextIndex_);
  nextPan_ = randomPan();
  claimShown();
  // Read after the loads, so that loading the files does not shorten the cycle.
  cycleStart_ = clock_.uptime();
  transitionStart_.reset();
}

}  // namespace brivora
