#include "backends/recording/RecordingGraphicsContext.h"

#include <algorithm>

#include "platform/Image.h"
#include "platform/UnicodeText.h"

namespace brivora {

void RecordingGraphicsContext::fillRect(Rect rect, Color color) {
  calls_.emplace_back(FillRectCall{rect, color});
}

void RecordingGraphicsContext::drawImage(const Image& image, Rect rect, double fraction) {
  // An image damaged past its header draws nothing, as if it had never loaded.
  if (image.failedToDecode()) return;
  calls_.emplace_back(ImageCall{image.path().filename().string(), rect, fraction});
}

void RecordingGraphicsContext::drawGradient(Rect rect, Color start, Color end,
                                            double angleDegrees) {
  calls_.emplace_back(GradientCall{rect, start, end, angleDegrees});
}

void RecordingGraphicsContext::fillRoundedRect(Rect rect, double radius, Color color) {
  calls_.emplace_back(RoundedRectCall{rect, radius, color});
}

Size RecordingGraphicsContext::measureText(const AttributedString& text) {
  if (text.string.empty()) return Size{};
  const double fontSize = text.font.value_or(Font{}).size;
  const auto characters = static_cast<double>(unicode::characterCount(text.string));
  const double width = characters * (advancePerPoint * fontSize + text.kern);
  return Size{std::max(0.0, width), lineHeightPerPoint * fontSize};
}

void RecordingGraphicsContext::drawText(const AttributedString& text, Point point) {
  calls_.emplace_back(TextCall{text, point, measureText(text)});
}

}  // namespace brivora
