// The view's text overlays on the Cairo backend: shaped and rasterised afresh each frame, and
// composited from kept rasters while the caption fades.
#include <benchmark/benchmark.h>

#include <cstddef>
#include <optional>
#include <vector>

#include "backends/cairo/CairoGraphicsContext.h"
#include "platform/Text.h"

namespace {

using namespace brivora;

// A text and the lower-left corner of its box, in view coordinates.
struct Overlay {
  AttributedString text;
  Point point;
};

constexpr double referenceHeight = 1080;
constexpr int captionFadeSteps = 30;

// The clock, date, player name, credit and two caption lines of a frame `height` pixels tall:
// sizes, blurs, offsets and places for a 1080-pixel frame, scaled with the height. The
// captions come last.
std::vector<Overlay> overlaySet(double height) {
  const double scale = height / referenceHeight;
  const Color white{1, 1, 1, 1};
  const Shadow clockShadow{{0, 0, 0, 0.55}, 16 * scale, {0, -2 * scale}};
  const Shadow nameShadow{{0, 0, 0, 0.5}, 18 * scale, {0, -2 * scale}};
  const Shadow smallShadow{{0, 0, 0, 0.5}, 6 * scale, {0, -1 * scale}};
  const auto font = [scale](double size, FontWeight weight) {
    return Font{.size = size * scale, .weight = weight};
  };
  Font clockFont = font(108, FontWeight::light);
  clockFont.design = FontDesign::rounded;
  Font creditFont = font(13, FontWeight::regular);
  creditFont.italic = true;
  const auto at = [scale](double x, double y) { return Point{x * scale, y * scale}; };
  return {
      {{"10:45", clockFont, white, 0, clockShadow}, at(96, 860)},
      {{"SATURDAY, DEC 5", font(21.6, FontWeight::medium), white, 6 * scale, std::nullopt},
       at(100, 830)},
      {{"Maren Holt", font(59, FontWeight::semibold), white, 0, nameShadow}, at(96, 150)},
      {{"Credit: Photo by Lina Sørensen", creditFont, white, 0, smallShadow}, at(1700, 24)},
      {{"Recorded live at the Harbour Hall", font(17, FontWeight::regular), white, 0, smallShadow},
       at(100, 120)},
      {{"with the Northern Strings, 2019", font(17, FontWeight::regular), white, 0, smallShadow},
       at(100, 98)},
  };
}

void drawOverlays(CairoGraphicsContext& canvas, const std::vector<Overlay>& overlays) {
  for (const Overlay& overlay : overlays) canvas.drawText(overlay.text, overlay.point);
}

void overlayTextUncached(benchmark::State& state) {
  const int width = static_cast<int>(state.range(0));
  const int height = static_cast<int>(state.range(1));
  CairoGraphicsContext canvas(width, height);
  const std::vector<Overlay> overlays = overlaySet(height);
  for (auto _ : state) {
    canvas.forgetTextCaches();
    drawOverlays(canvas, overlays);
    benchmark::DoNotOptimize(canvas.data());
  }
}
BENCHMARK(overlayTextUncached)
    ->Args({1920, 1080})
    ->Args({3840, 2160})
    ->Unit(benchmark::kMicrosecond);

void overlayTextCached(benchmark::State& state) {
  const int width = static_cast<int>(state.range(0));
  const int height = static_cast<int>(state.range(1));
  CairoGraphicsContext canvas(width, height);
  std::vector<Overlay> overlays = overlaySet(height);
  drawOverlays(canvas, overlays);
  int frame = 0;
  for (auto _ : state) {
    // The caption fades while everything else holds.
    const double alpha = static_cast<double>(frame++ % captionFadeSteps + 1) / captionFadeSteps;
    for (std::size_t caption = overlays.size() - 2; caption < overlays.size(); ++caption) {
      overlays[caption].text.color = Color{1, 1, 1, alpha};
    }
    drawOverlays(canvas, overlays);
    benchmark::DoNotOptimize(canvas.data());
  }
  const TextCacheStats stats = canvas.textCacheStats();
  state.counters["rasterisations"] = static_cast<double>(stats.rasterisations);
  state.counters["rasterBytes"] = static_cast<double>(stats.rasterBytes);
}
BENCHMARK(overlayTextCached)->Args({1920, 1080})->Args({3840, 2160})->Unit(benchmark::kMicrosecond);

}  // namespace
