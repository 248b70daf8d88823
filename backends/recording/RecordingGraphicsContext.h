#pragma once

#include <string>
#include <variant>
#include <vector>

#include "platform/GraphicsContext.h"
#include "platform/Text.h"

namespace brivora {

// One call a view made on its graphics context, with exactly the values it passed.
struct FillRectCall {
  Rect rect;
  Color color;
};
struct ImageCall {
  std::string file;  // the image file's name
  Rect rect;
  double fraction = 1;
};
struct GradientCall {
  Rect rect;
  Color start;
  Color end;
  double angleDegrees = 0;
};
struct RoundedRectCall {
  Rect rect;
  double radius = 0;
  Color color;
};
struct TextCall {
  AttributedString text;
  Point point;
  Size measuredSize;  // what `measureText` gave for the same text
};
using DrawCall = std::variant<FillRectCall, ImageCall, GradientCall, RoundedRectCall, TextCall>;

// A graphics context that draws nothing and keeps every drawing call in order. Text is
// measured with fixed metrics, so layouts come out the same on every machine: each character
// advances `advancePerPoint` × font size plus the kern, and a line is `lineHeightPerPoint`
// × font size tall.
class RecordingGraphicsContext final : public GraphicsContext {
 public:
  static constexpr double advancePerPoint = 0.6;
  static constexpr double lineHeightPerPoint = 1.2;

  const std::vector<DrawCall>& calls() const { return calls_; }
  void clear() { calls_.clear(); }

  void fillRect(Rect rect, Color color) override;
  void drawImage(const Image& image, Rect rect, double fraction) override;
  void drawGradient(Rect rect, Color start, Color end, double angleDegrees) override;
  void fillRoundedRect(Rect rect, double radius, Color color) override;
  Size measureText(const AttributedString& text) override;
  void drawText(const AttributedString& text, Point point) override;

 private:
  std::vector<DrawCall> calls_;
};

}  // namespace brivora
