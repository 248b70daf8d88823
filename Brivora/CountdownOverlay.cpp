// The time left until the theme's target date: a small label over a line of days, hours,
// minutes and seconds, optionally on a rounded background that can hold the credit line.
#include <algorithm>
#include <cinttypes>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>

#include "Brivora/KovaltaScreensaverView.h"
#include "Brivora/SrgbHexColor.h"
#include "platform/Clock.h"
#include "platform/GraphicsContext.h"
#include "platform/UnicodeText.h"

namespace brivora {

namespace {

constexpr std::int64_t secondsPerDay = 86400;
// Beyond this a count of days is meaningless; the cap keeps the arithmetic in range.
constexpr double maxRemainingSeconds = 1e15;
constexpr std::string_view placeholderClock = " 天  88:88:88";
constexpr std::size_t minimumPlaceholderDayDigits = 2;

constexpr double labelKern = 8.0;
constexpr double numberKern = -0.5;
constexpr double creditKern = 1.0;
constexpr double gapFactor = 0.12;
constexpr double creditSizeFactor = 0.3;
constexpr double creditGapFactor = 0.7;
// Keeps room under a bottom-anchored countdown for a credit line placed under it.
constexpr double creditReserveFactor = 2.6;

// The platform's yellow, for a background colour that does not parse.
constexpr Color systemYellow{1.0, 0.8, 0.0, 1};
constexpr std::string_view textOnBackground = "#1A1A1A";

struct CountdownStyle {
  double labelAlpha;
  double numberAlpha;
  double creditAlpha;
  Shadow shadow;
};

const CountdownStyle onBackground{0.75, 1.0, 0.55, Shadow{Color::clear(), 0, Size{0, 0}}};
const CountdownStyle onWallpaper{0.55, 0.92, 0.55, Shadow{Color{0, 0, 0, 0.65}, 14, Size{0, -2}}};

// Whole seconds left, truncated towards zero, never negative.
std::int64_t wholeSecondsLeft(double remaining) {
  return static_cast<std::int64_t>(std::clamp(remaining, 0.0, maxRemainingSeconds));
}

std::string trimmedCredit(const Theme& theme) {
  return unicode::trimmingWhitespaceAndNewlines(theme.credit);
}

bool creditGoesInside(const Theme& theme, const std::string& credit) {
  return !credit.empty() && unicode::lowercased(theme.creditPosition) == "inside-countdown";
}

Font creditFontInside(double numberSize) {
  return Font{.size = numberSize * creditSizeFactor, .weight = FontWeight::regular, .italic = true};
}

struct ColumnPlace {
  double x;
  double y;
};

ColumnPlace placeColumn(const std::string& position, Rect rect, double margin, double reserve,
                        double width, double height) {
  const std::string word = unicode::lowercased(position);
  const double top = rect.maxY() - margin - height;
  const double bottom = rect.minY() + margin + reserve;
  if (word == "top-left") return {rect.minX() + margin, top};
  if (word == "top-center") return {rect.midX() - width / 2, top};
  if (word == "top-right") return {rect.maxX() - margin - width, top};
  if (word == "bottom-left") return {rect.minX() + margin, bottom};
  if (word == "bottom-right") return {rect.maxX() - margin - width, bottom};
  return {rect.midX() - width / 2, bottom};
}

}  // namespace

const std::string& KovaltaScreensaverView::countdownPlaceholder() {
  if (!countdownPlaceholder_) {
    const double remaining =
        countdownTarget_ ? countdownTarget_->secondsSince1970 - clock_.now().secondsSince1970 : 0;
    const std::int64_t days = wholeSecondsLeft(remaining) / secondsPerDay;
    const std::size_t digits = std::to_string(days).size();
    countdownPlaceholder_ = std::string(std::max(digits, minimumPlaceholderDayDigits), '8') +
                            std::string(placeholderClock);
  }
  return *countdownPlaceholder_;
}

std::optional<CountdownPlacement> KovaltaScreensaverView::countdownPlacement(Rect rect) {
  return countdownPlacement(rect, clock_.now());
}

std::optional<CountdownPlacement> KovaltaScreensaverView::countdownPlacement(Rect rect, Date now) {
  if (!countdownTarget_) return std::nullopt;
  const double remaining = countdownTarget_->secondsSince1970 - now.secondsSince1970;
  if (!(remaining > 0)) return std::nullopt;

  const double height = rect.height();
  const double labelSize = height * theme_.countdownLabelSizeRatio;
  const double numberSize = height * theme_.countdownNumberSizeRatio;
  CountdownPlacement placement;
  placement.labelFont = Font{.size = labelSize, .weight = FontWeight::medium};
  placement.numberFont = makeClockFont(numberSize);
  placement.numberFont.monospacedDigits = true;

  placement.labelDim =
      AttributedString{
          .string = theme_.countdownLabel, .font = placement.labelFont, .kern = labelKern}
          .size();
  placement.numberDimStatic =
      AttributedString{
          .string = countdownPlaceholder(), .font = placement.numberFont, .kern = numberKern}
          .size();
  placement.gap = numberSize * gapFactor;
  placement.staticContentWidth =
      std::max(placement.labelDim.width, placement.numberDimStatic.width);
  placement.contentHeight =
      placement.labelDim.height + placement.gap + placement.numberDimStatic.height;

  const std::string credit = trimmedCredit(theme_);
  if (creditGoesInside(theme_, credit)) {
    const Size creditSize =
        AttributedString{.string = credit, .font = creditFontInside(numberSize), .kern = creditKern}
            .size();
    placement.staticContentWidth = std::max(placement.staticContentWidth, creditSize.width);
    placement.contentHeight += placement.gap * creditGapFactor + creditSize.height;
  }

  const double margin = height * theme_.edgeMarginRatio;
  const bool creditUnder =
      !credit.empty() && unicode::lowercased(theme_.creditPosition) == "under-countdown";
  const double reserve = creditUnder ? height * theme_.creditSizeRatio * creditReserveFactor : 0;
  const ColumnPlace column = placeColumn(theme_.countdownPosition, rect, margin, reserve,
                                         placement.staticContentWidth, placement.contentHeight);
  placement.contentX = column.x;
  placement.contentY = column.y;

  const double padX = height * theme_.countdownBgPaddingX;
  const double padY = height * theme_.countdownBgPaddingY;
  placement.bgRect = Rect{column.x - padX, column.y - padY, placement.staticContentWidth + 2 * padX,
                          placement.contentHeight + 2 * padY};
  return placement;
}

void KovaltaScreensaverView::drawCountdown(Rect rect) {
  const Date now = clock_.now();
  const std::optional<CountdownPlacement> placement = countdownPlacement(rect, now);
  if (!placement) return;
  // The placement was made for this same moment, so the target is still ahead.
  const std::int64_t total =
      wholeSecondsLeft(countdownTarget_->secondsSince1970 - now.secondsSince1970);

  const std::string colorText = !theme_.countdownTextColor.empty() ? theme_.countdownTextColor
                                : theme_.countdownBgEnabled        ? std::string(textOnBackground)
                                                                   : theme_.clockColor;
  const Color textColor = colorFromSrgbHex(colorText).value_or(Color::white());
  const CountdownStyle& style = theme_.countdownBgEnabled ? onBackground : onWallpaper;

  const AttributedString label{.string = theme_.countdownLabel,
                               .font = placement->labelFont,
                               .color = textColor.withAlphaComponent(style.labelAlpha),
                               .kern = labelKern,
                               .shadow = style.shadow};
  char digits[96];
  std::snprintf(digits, sizeof digits, "%" PRId64 " 天  %02d:%02d:%02d", total / secondsPerDay,
                static_cast<int>(total % secondsPerDay / 3600), static_cast<int>(total % 3600 / 60),
                static_cast<int>(total % 60));
  const AttributedString number{.string = digits,
                                .font = placement->numberFont,
                                .color = textColor.withAlphaComponent(style.numberAlpha),
                                .kern = numberKern,
                                .shadow = style.shadow};
  const double numberWidth = number.size().width;

  const std::string credit = trimmedCredit(theme_);
  const bool creditInside = creditGoesInside(theme_, credit);
  const AttributedString creditLine{.string = creditInside ? credit : std::string(),
                                    .font = creditFontInside(placement->numberFont.size),
                                    .color = textColor.withAlphaComponent(style.creditAlpha),
                                    .kern = creditKern,
                                    .shadow = style.shadow};
  const Size creditSize = creditLine.size();

  const double numberY =
      creditInside ? placement->contentY + creditSize.height + placement->gap * creditGapFactor
                   : placement->contentY;
  const double labelY = numberY + placement->numberDimStatic.height + placement->gap;
  const auto centeredX = [&](double width) {
    return placement->contentX + (placement->staticContentWidth - width) / 2;
  };

  if (theme_.countdownBgEnabled) {
    if (GraphicsContext* context = GraphicsContext::current()) {
      const Color fill = colorFromSrgbHex(theme_.countdownBgColor).value_or(systemYellow);
      context->fillRoundedRect(placement->bgRect, rect.height() * theme_.countdownBgCornerRadius,
                               fill.withAlphaComponent(theme_.countdownBgOpacity));
    }
  }
  label.drawAt(Point{centeredX(placement->labelDim.width), labelY});
  number.drawAt(Point{centeredX(numberWidth), numberY});
  if (creditInside) creditLine.drawAt(Point{centeredX(creditSize.width), placement->contentY});
}

}  // namespace brivora
