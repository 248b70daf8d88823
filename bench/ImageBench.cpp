// The frame's image passes on the Cairo backend, each the way frames draw it now beside the way
// it costs without the shortcut: the covering image replacing the black fill or blended over it,
// the incoming crossfade image blended from its kept scaled copy or scaled afresh; the dithered
// scrim with AVX2 and without; and a whole frame's calls drawn in one walk over its rows or
// each over the frame in turn.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "backends/cairo/CairoGraphicsContext.h"
#include "backends/cairo/CpuFeatures.h"
#include "platform/Image.h"
#include "platform/Text.h"

namespace {

using namespace brivora;

// An image of noise at 1.03 times the frame, as a wallpaper decoded for the zoomed cover is.
Image wallpaper(int frameWidth, int frameHeight, bool markedOpaque) {
  auto pixels = std::make_shared<ImagePixels>();
  pixels->width = frameWidth * 103 / 100 + 1;
  pixels->height = frameHeight * 103 / 100 + 1;
  pixels->argb.resize(static_cast<std::size_t>(pixels->width) * pixels->height);
  for (std::size_t at = 0; at < pixels->argb.size(); ++at) {
    pixels->argb[at] = 0xFF000000u | static_cast<std::uint32_t>(at * 2654435761u >> 8);
  }
  pixels->opaque = markedOpaque;
  return Image("noise.jpg", Size{6000, 4000}, std::move(pixels));
}

// Drifting a little every frame, as the zoom and pan do, and always covering the frame.
Rect coverRect(int width, int height, std::int64_t frame) {
  const double shift = static_cast<double>(frame % 30) / 30;
  return Rect{-10 - shift, -6 - shift * 0.5, width * 1.03, height * 1.03};
}

void coveringImage(benchmark::State& state, bool markedOpaque) {
  const int width = static_cast<int>(state.range(0));
  const int height = static_cast<int>(state.range(1));
  CairoGraphicsContext canvas(width, height);
  const Image image = wallpaper(width, height, markedOpaque);
  std::int64_t frame = 0;
  for (auto _ : state) {
    canvas.fillRect(Rect{0, 0, static_cast<double>(width), static_cast<double>(height)},
                    Color::black());
    canvas.drawImage(image, coverRect(width, height, frame++), 1);
    benchmark::DoNotOptimize(canvas.data());
  }
}

void coveringImageReplacesTheFill(benchmark::State& state) {
  coveringImage(state, true);
}
void coveringImageBlendedOverTheFill(benchmark::State& state) {
  coveringImage(state, false);
}
BENCHMARK(coveringImageReplacesTheFill)
    ->Args({1920, 1080})
    ->Args({3840, 2160})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(coveringImageBlendedOverTheFill)
    ->Args({1920, 1080})
    ->Args({3840, 2160})
    ->Unit(benchmark::kMillisecond);

// The incoming image at a fixed place with a rising fraction; `rescaled` moves it by a
// hundredth of a pixel every frame, which makes it scale afresh as every frame once did.
void incomingImage(benchmark::State& state, bool rescaled) {
  const int width = static_cast<int>(state.range(0));
  const int height = static_cast<int>(state.range(1));
  CairoGraphicsContext canvas(width, height);
  const Image image = wallpaper(width, height, true);
  std::int64_t frame = 0;
  for (auto _ : state) {
    const double nudge = rescaled ? static_cast<double>(frame % 2) / 100 : 0;
    const Rect rect{-10 - nudge, -6, width * 1.03, height * 1.03};
    canvas.drawImage(image, rect, static_cast<double>(frame % 45 + 1) / 46);
    ++frame;
    benchmark::DoNotOptimize(canvas.data());
  }
}

void incomingImageFromItsKeptScaling(benchmark::State& state) {
  incomingImage(state, false);
}
void incomingImageScaledEveryFrame(benchmark::State& state) {
  incomingImage(state, true);
}
BENCHMARK(incomingImageFromItsKeptScaling)
    ->Args({1920, 1080})
    ->Args({3840, 2160})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(incomingImageScaledEveryFrame)
    ->Args({1920, 1080})
    ->Args({3840, 2160})
    ->Unit(benchmark::kMillisecond);

// The scrim's band, 45 % of the frame, dithered as every frame draws it.
void scrim(benchmark::State& state) {
  const int width = static_cast<int>(state.range(0));
  const int height = static_cast<int>(state.range(1));
  CairoGraphicsContext canvas(width, height);
  for (auto _ : state) {
    canvas.drawGradient(Rect{0, 0, static_cast<double>(width), height * 0.45}, Color{0, 0, 0, 0.65},
                        Color::clear(), 90);
    benchmark::DoNotOptimize(canvas.data());
  }
}
BENCHMARK(scrim)->Args({1920, 1080})->Args({3840, 2160})->Unit(benchmark::kMillisecond);

// The same scrim on a machine without AVX2: the byte loop the compiler vectorises.
void scrimWithoutAvx2(benchmark::State& state) {
  const ScalarPathsOnly scalar;
  scrim(state);
}
BENCHMARK(scrimWithoutAvx2)->Args({1920, 1080})->Args({3840, 2160})->Unit(benchmark::kMillisecond);

// A holding frame's calls: the black fill, the covering wallpaper, the scrim over 45 % of the
// frame, the clock and date with their shadows, the countdown's rounded background and its
// label. `readAfterEach` reads the frame after the wallpaper and after every later call, so each
// is drawn over the frame in a pass of its own.
void frameCalls(benchmark::State& state, bool readAfterEach) {
  const int width = static_cast<int>(state.range(0));
  const int height = static_cast<int>(state.range(1));
  const double scale = height / 1080.0;
  CairoGraphicsContext canvas(width, height);
  const Image image = wallpaper(width, height, true);
  const Shadow shadow{{0, 0, 0, 0.55}, 16 * scale, {0, -2 * scale}};
  const AttributedString texts[] = {
      {"10:45", Font{.size = 108 * scale}, Color{1, 1, 1, 1}, 0, shadow},
      {"SATURDAY, DEC 5", Font{.size = 21.6 * scale}, Color{1, 1, 1, 1}, 6 * scale, std::nullopt},
      {"KOVALTA CUP FINAL", Font{.size = 14 * scale}, Color{0, 0, 0, 0.8}, 2 * scale, std::nullopt},
  };
  const Point points[] = {
      {96 * scale, 160 * scale}, {100 * scale, 130 * scale}, {1520 * scale, 110 * scale}};
  const auto read = [&] {
    if (readAfterEach) benchmark::DoNotOptimize(canvas.data());
  };
  std::int64_t frame = 0;
  for (auto _ : state) {
    canvas.fillRect(Rect{0, 0, static_cast<double>(width), static_cast<double>(height)},
                    Color::black());
    canvas.drawImage(image, coverRect(width, height, frame++), 1);
    read();
    canvas.drawGradient(Rect{0, 0, static_cast<double>(width), height * 0.45}, Color{0, 0, 0, 0.65},
                        Color::clear(), 90);
    read();
    canvas.drawText(texts[0], points[0]);
    read();
    canvas.drawText(texts[1], points[1]);
    read();
    canvas.fillRoundedRect(Rect{1500 * scale, 50 * scale, 370 * scale, 95 * scale}, 12 * scale,
                           Color{0.9, 0.72, 0.04, 1});
    read();
    canvas.drawText(texts[2], points[2]);
    benchmark::DoNotOptimize(canvas.data());
  }
}

void frameInOneWalk(benchmark::State& state) {
  frameCalls(state, false);
}
void frameCallByCall(benchmark::State& state) {
  frameCalls(state, true);
}
BENCHMARK(frameInOneWalk)->Args({1920, 1080})->Args({3840, 2160})->Unit(benchmark::kMillisecond);
BENCHMARK(frameCallByCall)->Args({1920, 1080})->Args({3840, 2160})->Unit(benchmark::kMillisecond);

}  // namespace
