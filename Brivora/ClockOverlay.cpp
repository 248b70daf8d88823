// The large time of day, an optional AM/PM marker beside it and the date line below, at one
// of seven anchors; and the clock typeface the other overlays share.
#include <algorithm>
#include <string>
#include <utility>

#include "Brivora/KovaltaScreensaverView.h"
#include "Brivora/SrgbHexColor.h"
#include "platform/Clock.h"
#include "platform/DateFormatter.h"
#include "platform/GraphicsContext.h"
#include "platform/UnicodeText.h"

namespace brivora {

namespace {

constexpr double markerSizeFactor = 0.32;
constexpr double markerAlpha = 0.85;
constexpr double markerKern = 2.0;
constexpr double dateAlpha = 0.9;
// The marker sits on the time's line, raised by this share of the height difference.
constexpr double markerRaise = 0.25;
constexpr double minimumGap = 8;
const Shadow clockShadow{Color{0, 0, 0, 0.55}, 16, Size{0, -2}};

enum class Alignment { leading, centered, trailing };
enum class VerticalRule { top, center, bottom };

struct ClockAnchor {
  Alignment alignment;
  VerticalRule rule;
};

ClockAnchor clockAnchor(const std::string& position) {
  const std::string word = unicode::lowercased(position);
  if (word == "top-left") return {Alignment::leading, VerticalRule::top};
  if (word == "top-center") return {Alignment::centered, VerticalRule::top};
  if (word == "top-right") return {Alignment::trailing, VerticalRule::top};
  if (word == "bottom-left") return {Alignment::leading, VerticalRule::bottom};
  if (word == "bottom-right") return {Alignment::trailing, VerticalRule::bottom};
  if (word == "center") return {Alignment::centered, VerticalRule::center};
  return {Alignment::centered, VerticalRule::bottom};
}

// The x of a line `width` wide under the alignment, `margin` in from the rect's sides.
double alignedX(Alignment alignment, Rect rect, double margin, double width) {
  switch (alignment) {
    case Alignment::leading:
      return rect.minX() + margin;
    case Alignment::trailing:
      return rect.maxX() - margin - width;
    case Alignment::centered:
      break;
  }
  return rect.midX() - width / 2;
}

}  // namespace

// The three lines of the clock, styled, measured and placed.
struct KovaltaScreensaverView::ClockBlock {
  AttributedString time;
  AttributedString marker;
  AttributedString date;
  Point timePoint;
  Point markerPoint;
  Point datePoint;
  Rect rect;
};

Font KovaltaScreensaverView::makeClockFont(double size) const {
  return Font{.size = size, .weight = theme_.nsFontWeight(), .design = theme_.clockDesign()};
}

KovaltaScreensaverView::ClockBlock KovaltaScreensaverView::layOutClockBlock(Rect rect) const {
  const Date now = clock_.now();
  const double height = rect.height();
  const double clockSize = height * theme_.clockSizeRatio;
  const double dateSize = height * theme_.dateSizeRatio;
  const Color clockColor = colorFromSrgbHex(theme_.clockColor).value_or(Color::white());
  const Color dateColor = colorFromSrgbHex(theme_.dateColor).value_or(Color::white());

  ClockBlock block;
  block.time = AttributedString{.string = DateFormatter(theme_.timeFormat).string(now),
                                .font = makeClockFont(clockSize),
                                .color = clockColor,
                                .kern = theme_.clockKern,
                                .shadow = clockShadow};
  if (theme_.showAmPm) {
    // Appended rather than concatenated: GCC 12 misreads `" " + text` as an overlapping copy.
    std::string marker(" ");
    marker += DateFormatter("a").string(now);
    block.marker = AttributedString{.string = std::move(marker),
                                    .font = makeClockFont(clockSize * markerSizeFactor),
                                    .color = clockColor.withAlphaComponent(markerAlpha),
                                    .kern = markerKern,
                                    .shadow = clockShadow};
  }
  block.date =
      AttributedString{.string = unicode::uppercased(DateFormatter(theme_.dateFormat).string(now)),
                       .font = Font{.size = dateSize, .weight = FontWeight::medium},
                       .color = dateColor.withAlphaComponent(dateAlpha),
                       .kern = theme_.dateKern,
                       .shadow = clockShadow};

  const Size timeSize = block.time.size();
  const Size markerSize = block.marker.size();
  const Size dateSizeMeasured = block.date.size();
  const double lineWidth = timeSize.width + markerSize.width;
  const double gap = std::max(dateSize * 0.5, minimumGap);
  const double margin = height * theme_.edgeMarginRatio;

  const ClockAnchor anchor = clockAnchor(theme_.clockPosition);
  const double timeX = alignedX(anchor.alignment, rect, margin, lineWidth);
  const double dateX = alignedX(anchor.alignment, rect, margin, dateSizeMeasured.width);
  double timeY = 0;
  double dateY = 0;
  switch (anchor.rule) {
    case VerticalRule::top:
      timeY = rect.maxY() - margin - timeSize.height;
      dateY = timeY - dateSizeMeasured.height - gap;
      break;
    case VerticalRule::center:
      // The time line is centred, not the whole block.
      timeY = rect.midY() - timeSize.height / 2;
      dateY = timeY - dateSizeMeasured.height - gap;
      break;
    case VerticalRule::bottom:
      dateY = rect.minY() + margin;
      timeY = dateY + dateSizeMeasured.height + gap;
      break;
  }

  block.timePoint = Point{timeX, timeY};
  block.markerPoint =
      Point{timeX + timeSize.width, timeY + (timeSize.height - markerSize.height) * markerRaise};
  block.datePoint = Point{dateX, dateY};
  const double left = std::min(timeX, dateX);
  const double right = std::max(timeX + lineWidth, dateX + dateSizeMeasured.width);
  block.rect = Rect{left, dateY, right - left, timeY + timeSize.height - dateY};
  return block;
}

Rect KovaltaScreensaverView::clockBlockRect(Rect rect) const {
  return layOutClockBlock(rect).rect;
}

void KovaltaScreensaverView::drawClock(Rect rect) {
  const ClockBlock block = layOutClockBlock(rect);
  block.time.drawAt(block.timePoint);
  if (theme_.showAmPm) block.marker.drawAt(block.markerPoint);
  block.date.drawAt(block.datePoint);
}

}  // namespace brivora
