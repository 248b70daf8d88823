// A whole frame of the view drawn by the Cairo backend: the overlays in real fonts checked
// against the boxes their layout measured. (Where each call lands is FrameComposition's to pin,
// and how each call paints the Cairo tests'.)
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "backends/cairo/CairoGraphicsContext.h"
#include "backends/recording/RecordingGraphicsContext.h"
#include "platform/Text.h"
#include "tests/support/ViewHarness.h"
#include "tests/support/ZoneScope.h"

namespace brivora {
namespace {

using testing::ViewHarness;

struct Rgb {
  int r, g, b;
};

// The pixel in `column` and `row` counted from the top, as the screen shows it.
Rgb pixelAt(CairoGraphicsContext& canvas, int column, int row) {
  std::uint32_t word = 0;
  std::memcpy(&word, canvas.data() + row * canvas.stride() + column * 4, sizeof word);
  return Rgb{static_cast<int>((word >> 16) & 0xFF), static_cast<int>((word >> 8) & 0xFF),
             static_cast<int>(word & 0xFF)};
}

// Draws on a Cairo canvas and keeps each text call with the size Cairo measured for it.
class MeasuredTexts final : public GraphicsContext {
 public:
  explicit MeasuredTexts(CairoGraphicsContext& canvas) : canvas_(canvas) {}

  void fillRect(Rect rect, Color color) override { canvas_.fillRect(rect, color); }
  void drawImage(const Image& image, Rect rect, double fraction) override {
    canvas_.drawImage(image, rect, fraction);
  }
  void drawGradient(Rect rect, Color start, Color end, double angle) override {
    canvas_.drawGradient(rect, start, end, angle);
  }
  void fillRoundedRect(Rect rect, double radius, Color color) override {
    canvas_.fillRoundedRect(rect, radius, color);
  }
  Size measureText(const AttributedString& text) override { return canvas_.measureText(text); }
  void drawText(const AttributedString& text, Point point) override {
    texts.push_back(TextCall{text, point, canvas_.measureText(text)});
    canvas_.drawText(text, point);
  }

  std::vector<TextCall> texts;

 private:
  CairoGraphicsContext& canvas_;
};

// The pixel rectangle a text box covers on the canvas (rows from the top), grown by `slack`
// for anti-aliasing and italic overhang.
struct PixelBox {
  int left, top, right, bottom;  // right and bottom exclusive

  bool contains(int column, int row) const {
    return column >= left && column < right && row >= top && row < bottom;
  }
};

PixelBox pixelBox(const TextCall& call, int canvasHeight, int slack) {
  const double top = canvasHeight - (call.point.y + call.measuredSize.height);
  return PixelBox{static_cast<int>(call.point.x) - slack, static_cast<int>(top) - slack,
                  static_cast<int>(call.point.x + call.measuredSize.width) + 1 + slack,
                  static_cast<int>(top + call.measuredSize.height) + 1 + slack};
}

bool isLit(Rgb pixel) {
  return std::max({pixel.r, pixel.g, pixel.b}) > 80;
}

constexpr int overlayWidth = 960;
constexpr int overlayHeight = 540;

// Every overlay in its own part of the screen.
const char* const everyOverlayTheme = R"({
  "clockPosition": "top-left", "showAmPm": true, "dateSizeRatio": 0.04,
  "countdownTo": "2027-03-01T00:00:00Z", "countdownPosition": "bottom-right",
  "playerOverlayPosition": "bottom-left",
  "credit": "Photographs: Brivora", "creditPosition": "top-right", "creditOpacity": 1,
  "creditSizeRatio": 0.025})";

TEST(ViewPixels, OverlayInkStaysInTheMeasuredBoxes) {
  const ZoneScope zone("UTC");
  ViewHarness harness(everyOverlayTheme, {"a.jpg"});
  // Over a black wallpaper, so that only the overlays' ink is lit.
  harness.images.pixelColor = 0xFF000000;
  harness.bundle.write("meta.json", R"({"default": {"name": "Mira Solberg",
                                        "subtitle": "MIDFIELD", "fact": "Nine goals"}})");
  harness.create(Size{overlayWidth, overlayHeight});
  harness.moveTo(3);
  CairoGraphicsContext canvas(overlayWidth, overlayHeight);
  MeasuredTexts recorder(canvas);
  {
    const CurrentGraphicsContext current(recorder);
    harness.view().draw(harness.view().bounds());
  }
  // Time, marker, date, label, number, name, subtitle, fact and credit.
  ASSERT_EQ(recorder.texts.size(), 9u);

  std::vector<PixelBox> boxes;
  for (const TextCall& call : recorder.texts) boxes.push_back(pixelBox(call, overlayHeight, 3));
  std::vector<int> inkInBox(boxes.size(), 0);
  int stray = 0;
  for (int row = 0; row < overlayHeight; ++row) {
    for (int column = 0; column < overlayWidth; ++column) {
      if (!isLit(pixelAt(canvas, column, row))) continue;
      bool inside = false;
      for (std::size_t at = 0; at < boxes.size(); ++at) {
        if (boxes[at].contains(column, row)) {
          ++inkInBox[at];
          inside = true;
        }
      }
      stray += inside ? 0 : 1;
    }
  }
  EXPECT_EQ(stray, 0);
  for (std::size_t at = 0; at < boxes.size(); ++at) {
    EXPECT_GT(inkInBox[at], 10) << recorder.texts[at].text.string;
  }
}

}  // namespace
}  // namespace brivora
