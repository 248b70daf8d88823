// Whole frames of the view on the Cairo backend: a holding frame and a crossfade frame.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>

#include "Brivora/KovaltaScreensaverView.h"
#include "backends/cairo/CairoGraphicsContext.h"
#include "hosts/headless/HeadlessSession.h"

namespace {

using namespace brivora;

// A bundle of two wallpapers whose pixels are made in memory at the size the view asks for,
// so the frame's cost is measured without decoding; every overlay is on.
class SyntheticBundle {
 public:
  SyntheticBundle() {
    folder_ = std::filesystem::temp_directory_path() / "brivora-frame-bench";
    std::filesystem::create_directories(folder_ / "wallpapers");
    for (const char* name : {"a.jpg", "b.jpg"}) std::ofstream(folder_ / "wallpapers" / name);
    std::ofstream(folder_ / "theme.json") << R"({"countdownTo": "2030-01-01T00:00:00Z",
        "countdownBgEnabled": true, "countdownPosition": "bottom-right", "showAmPm": true,
        "clockPosition": "bottom-left", "credit": "Photographs: Brivora sample set"})";
    std::ofstream(folder_ / "meta.json") << R"({"default": {"name": "Mira Solberg",
        "subtitle": "MIDFIELD · NO. 8", "fact": "Three seasons, 41 assists"}})";
    setImageLoader([](const std::filesystem::path& path, Size coverBox) {
      const Size natural{4000, 3000};
      const double scale =
          std::min(1.0, std::max(coverBox.width / natural.width, coverBox.height / natural.height));
      auto pixels = std::make_shared<ImagePixels>();
      pixels->width = static_cast<int>(natural.width * scale + 0.999);
      pixels->height = static_cast<int>(natural.height * scale + 0.999);
      pixels->argb.resize(static_cast<std::size_t>(pixels->width) * pixels->height);
      pixels->opaque = true;
      for (std::size_t at = 0; at < pixels->argb.size(); ++at) {
        pixels->argb[at] = 0xFF000000u | static_cast<std::uint32_t>(at * 2654435761u >> 8);
      }
      return std::make_unique<Image>(path, natural, std::move(pixels));
    });
  }
  ~SyntheticBundle() {
    setImageLoader(nullptr);
    std::filesystem::remove_all(folder_);
  }
  Bundle bundle() const { return Bundle(folder_); }

 private:
  std::filesystem::path folder_;
};

void drawFrames(benchmark::State& state, double elapsed) {
  const SyntheticBundle synthetic;
  const int width = static_cast<int>(state.range(0));
  const int height = static_cast<int>(state.range(1));
  HeadlessSession session(KovaltaScreensaverView::principalClassName,
                          Size{static_cast<double>(width), static_cast<double>(height)},
                          synthetic.bundle(), Date{1'800'000'000}, 1);
  session.advanceTo(elapsed);
  CairoGraphicsContext canvas(width, height);
  for (auto _ : state) {
    session.draw(canvas);
    benchmark::DoNotOptimize(canvas.data());
  }
}

// Three seconds in, the caption is fully shown.
void holdingFrame(benchmark::State& state) {
  drawFrames(state, 3);
}
BENCHMARK(holdingFrame)->Args({1920, 1080})->Args({3840, 2160})->Unit(benchmark::kMillisecond);

void crossfadeFrame(benchmark::State& state) {
  drawFrames(state, 29.2);
}
BENCHMARK(crossfadeFrame)->Args({1920, 1080})->Args({3840, 2160})->Unit(benchmark::kMillisecond);

}  // namespace
