// The caption about the player in the current wallpaper: name, subtitle and fact in one
// corner, fading in at the start of every cycle and gone seven seconds later.
#include <string>

#include "Brivora/KovaltaScreensaverView.h"
#include "platform/UnicodeText.h"

namespace brivora {

namespace {

constexpr double fadeInEnd = 1.5;
constexpr double holdLength = 3.5;
constexpr double fadeOutStart = fadeInEnd + holdLength;
constexpr double captionEnd = 7.0;
constexpr double fadeOutRate = 0.5;  // per second, from 1 at the start of the fade-out
constexpr double visibilityFloor = 0.001;

constexpr double lineGapFactor = 0.18;
constexpr double subtitleOpacity = 0.85;
constexpr double factOpacity = 0.7;
constexpr double nameKern = -0.5;
constexpr double subtitleKern = 5.0;
constexpr double factKern = 4.0;
// The shadow keeps its opacity whatever the fade.
const Shadow captionShadow{Color{0, 0, 0, 0.7}, 18, Size{0, -3}};

struct CaptionAnchor {
  bool rightAligned;
  bool bottom;
};

CaptionAnchor captionAnchor(const std::string& position) {
  const std::string word = unicode::lowercased(position);
  if (word == "top-right") return {true, false};
  if (word == "bottom-left") return {false, true};
  if (word == "bottom-right") return {true, true};
  return {false, false};
}

// The caption's opacity `cycleElapsed` seconds into a cycle.
double playerOverlayFade(double cycleElapsed) {
  if (!(cycleElapsed < captionEnd)) return 0;
  if (cycleElapsed < fadeInEnd) return cycleElapsed / fadeInEnd;
  if (cycleElapsed < fadeOutStart) return 1;
  return 1 - (cycleElapsed - fadeInEnd - holdLength) * fadeOutRate;
}

}  // namespace

void KovaltaScreensaverView::drawPlayerOverlay(Rect rect, double cycleElapsed) {
  if (!theme_.playerOverlayEnabled || meta_.defaultPlayer.name.empty()) return;
  if (currentIndex_ < 0 || currentIndex_ >= static_cast<std::int64_t>(imageURLs_.size())) return;
  const double fade = playerOverlayFade(cycleElapsed);
  if (!(fade > visibilityFloor)) return;
  const PlayerMeta player =
      meta_.resolve(imageURLs_[static_cast<std::size_t>(currentIndex_)].filename().string());
  if (player.name.empty()) return;

  const double height = rect.height();
  const double nameSize = height * theme_.playerNameSizeRatio;
  const AttributedString name{.string = player.name,
                              .font = makeClockFont(nameSize),
                              .color = Color::white().withAlphaComponent(fade),
                              .kern = nameKern,
                              .shadow = captionShadow};
  const AttributedString subtitle{
      .string = player.subtitle,
      .font = Font{.size = height * theme_.playerSubtitleSizeRatio, .weight = FontWeight::medium},
      .color = Color::white().withAlphaComponent(fade * subtitleOpacity),
      .kern = subtitleKern,
      .shadow = captionShadow};
  const AttributedString fact{
      .string = player.fact,
      .font = Font{.size = height * theme_.playerFactSizeRatio, .weight = FontWeight::regular},
      .color = Color::white().withAlphaComponent(fade * factOpacity),
      .kern = factKern,
      .shadow = captionShadow};
  const Size nameBox = name.size();
  const Size subtitleBox = subtitle.size();
  const Size factBox = fact.size();
  const double gap = lineGapFactor * nameSize;
  const double margin = height * theme_.edgeMarginRatio;

  const CaptionAnchor anchor = captionAnchor(theme_.playerOverlayPosition);
  const auto lineX = [&](double width) {
    return anchor.rightAligned ? rect.maxX() - margin - width : rect.minX() + margin;
  };
  // The bottom anchor rests the block one name-line height above the margin, not on it.
  const double nameY = anchor.bottom ? rect.minY() + margin + factBox.height + subtitleBox.height +
                                           2 * gap + nameBox.height
                                     : rect.maxY() - margin - nameBox.height;
  const double subtitleY = nameY - gap - subtitleBox.height;
  const double factY = subtitleY - gap - factBox.height;

  name.drawAt(Point{lineX(nameBox.width), nameY});
  if (!subtitle.string.empty()) subtitle.drawAt(Point{lineX(subtitleBox.width), subtitleY});
  if (!fact.string.empty()) fact.drawAt(Point{lineX(factBox.width), factY});
}

}  // namespace brivora
