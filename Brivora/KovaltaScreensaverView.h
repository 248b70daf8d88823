#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Brivora/CountdownPlacement.h"
#include "Brivora/Meta.h"
#include "Brivora/Theme.h"
#include "platform/Date.h"
#include "platform/Image.h"
#include "platform/ScreenSaverView.h"
#include "platform/ViewRegistry.h"
#include "platform/WallpaperClaims.h"

namespace brivora {

class Clock;
class RandomSource;

// The screen saver: a slideshow of the bundle's wallpapers, each slowly zooming and drifting
// for one cycle while the next crossfades in at its end, under a scrim and text overlays.
// Everything is read from the bundle once, at creation; nothing is reloaded. The class keeps
// the module's own name (after its sample theme, Kovalta); hosts create it as "BrivoraView".
class KovaltaScreensaverView final : public ScreenSaverView {
 public:
  // The name hosts create the view by.
  static constexpr std::string_view principalClassName = "BrivoraView";

  // Loads the theme, the captions, the wallpaper list and the countdown target from the
  // environment's bundle, then primes the first cycle when there are wallpapers. Never fails.
  KovaltaScreensaverView(Rect frame, bool isPreview, const ViewEnvironment& environment);

  // Creation from an archive (the name of the macOS archive initialiser, kept) is not
  // supported: stops the process with a message.
  [[noreturn]] static void initWithCoder();

  // Starts a new cycle once the running one has lasted its length, or the crossfade once its
  // window has begun; then asks for the whole view to be redrawn.
  void animateOneFrame() override;

  // Composes the whole frame, whatever `dirtyRect` says.
  void draw(Rect dirtyRect) override;

  bool hasConfigureSheet() const override { return false; }
  ConfigureSheet* configureSheet() const override { return nullptr; }

  // The slideshow's state, read-only, for hosts and tests. Indices are -1 before a wallpaper
  // is chosen, so for the whole life of a view without wallpapers.
  const Theme& theme() const { return theme_; }
  // The wallpaper files as paths on disk (URLs where the name comes from), in showing order.
  const std::vector<std::filesystem::path>& imageURLs() const { return imageURLs_; }
  std::int64_t currentIndex() const { return currentIndex_; }
  std::int64_t nextIndex() const { return nextIndex_; }
  const Image* currentImage() const { return currentImage_.get(); }
  const Image* nextImage() const { return nextImage_.get(); }
  Point currentPan() const { return currentPan_; }
  Point nextPan() const { return nextPan_; }
  bool isCrossfading() const { return transitionStart_.has_value(); }

  // The clock's typeface, design and weight from the theme, at `size` points.
  Font makeClockFont(double size) const;

  // The rectangle the clock block covers in `rect` at this moment, from the bottom of the
  // date line to the top of the time line, exactly as `drawClock` places it.
  Rect clockBlockRect(Rect rect) const;

  // As wide as the widest number line the countdown will show: the day digits counted at the
  // first read, frozen for the view's life, then " 天  88:88:88".
  const std::string& countdownPlaceholder();

  // The countdown's layout in `rect` at this moment; none without a target or once it is
  // reached.
  std::optional<CountdownPlacement> countdownPlacement(Rect rect);

 private:
  // Slideshow.
  std::int64_t pickIndex(std::int64_t differentFrom);
  Point randomPan();
  std::unique_ptr<Image> loadWallpaper(std::int64_t index) const;
  // Tells the host's other views which wallpapers this one shows and brings in.
  void claimShown();
  void primeFirstCycle();
  void advance();
  // Chooses, loads and claims the next wallpaper after the current one, and starts the cycle.
  void bringInNext();

  // Frame composition.
  void drawEmptyPackage(Rect bounds);
  void drawWallpaper(const Image& image, double progress, Point pan, double fraction) const;
  void drawScrim(Rect bounds) const;

  // Overlays, over everything drawn before them, in this order.
  struct ClockBlock;
  ClockBlock layOutClockBlock(Rect rect) const;
  std::optional<CountdownPlacement> countdownPlacement(Rect rect, Date now);
  void drawClock(Rect rect);
  void drawCountdown(Rect rect);
  void drawPlayerOverlay(Rect rect, double cycleElapsed);
  void drawCredit(Rect rect);

  Clock& clock_;
  RandomSource& random_;
  // What the host's other views show, so that side by side they pick different wallpapers.
  WallpaperClaimant claimant_;

  Theme theme_;
  Meta meta_;
  std::vector<std::filesystem::path> imageURLs_;
  std::optional<Date> countdownTarget_;

  std::unique_ptr<Image> currentImage_;
  std::unique_ptr<Image> nextImage_;
  std::int64_t currentIndex_ = -1;
  std::int64_t nextIndex_ = -1;
  // Cycle moments are monotonic seconds (the clock's uptime), so a wall-clock step never
  // freezes, rushes or un-zooms the slideshow.
  double cycleStart_ = 0;
  std::optional<double> transitionStart_;
  Point currentPan_;
  Point nextPan_;
  std::optional<std::string> countdownPlaceholder_;
};

}  // namespace brivora
