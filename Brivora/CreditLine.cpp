// One short italic line of white text: in a corner, at the bottom centre, under the
// countdown, beside the clock block, or inside the countdown's box (which the countdown
// draws itself).
#include <string>

#include "Brivora/KovaltaScreensaverView.h"
#include "platform/UnicodeText.h"

namespace brivora {

namespace {

constexpr double creditKern = 1.5;
// Distance from the countdown box or the clock block, in credit font sizes.
constexpr double blockDistanceFactor = 1.2;
const Shadow creditShadow{Color{0, 0, 0, 0.5}, 6, Size{0, -1}};

}  // namespace

void KovaltaScreensaverView::drawCredit(Rect rect) {
  const std::string credit = unicode::trimmingWhitespaceAndNewlines(theme_.credit);
  if (credit.empty()) return;

  std::string position = unicode::lowercased(theme_.creditPosition);
  std::optional<CountdownPlacement> countdown;
  if (position == "inside-countdown") {
    countdown = countdownPlacement(rect);
    // The countdown draws the credit in its box.
    if (countdown) return;
    position = unicode::lowercased(theme_.creditFallbackPosition);
  } else if (position == "under-countdown") {
    countdown = countdownPlacement(rect);
  }

  const double height = rect.height();
  const double size = height * theme_.creditSizeRatio;
  Font font = makeClockFont(size);
  font.italic = true;
  const AttributedString line{.string = credit,
                              .font = font,
                              .color = Color::white().withAlphaComponent(theme_.creditOpacity),
                              .kern = creditKern,
                              .shadow = creditShadow};
  const Size box = line.size();
  const double margin = height * theme_.edgeMarginRatio;
  const double distance = blockDistanceFactor * size;

  Point point{rect.maxX() - margin - box.width, rect.minY() + margin / 2};
  if (position == "under-countdown") {
    point = countdown ? Point{countdown->bgRect.midX() - box.width / 2,
                              countdown->bgRect.minY() - distance - box.height}
                      : Point{rect.midX() - box.width / 2, rect.minY() + margin / 2};
  } else if (position == "under-clock") {
    const Rect block = clockBlockRect(rect);
    const std::string clockPosition = unicode::lowercased(theme_.clockPosition);
    if (clockPosition == "top-right" || clockPosition == "bottom-right") {
      point.x = block.maxX() - box.width;
    } else if (clockPosition == "top-left" || clockPosition == "bottom-left") {
      point.x = block.minX();
    } else {
      point.x = block.midX() - box.width / 2;
    }
    point.y = clockPosition.starts_with("top") ? block.minY() - distance - box.height
                                               : block.maxY() + distance;
  } else if (position == "bottom-left") {
    point = Point{rect.minX() + margin, rect.minY() + margin / 2};
  } else if (position == "bottom-center") {
    point = Point{rect.midX() - box.width / 2, rect.minY() + margin / 2};
  } else if (position == "top-right") {
    point = Point{rect.maxX() - margin - box.width, rect.maxY() - margin / 2 - box.height};
  } else if (position == "top-left") {
    point = Point{rect.minX() + margin, rect.maxY() - margin / 2 - box.height};
  }
  line.drawAt(point);
}

}  // namespace brivora
