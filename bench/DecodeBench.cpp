// Decoding a 24-megapixel JPEG for a 1080p and a 4K screen, untagged and with an Adobe RGB
// profile, to show what the colour conversion adds.
#include <benchmark/benchmark.h>

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "backends/codecs/ImageCodecs.h"
#include "platform/Files.h"

namespace {

using namespace brivora;

constexpr int photoWidth = 6000;
constexpr int photoHeight = 4000;
constexpr const char* adobeRgbProfile = "/usr/share/color/icc/compatibleWithAdobeRGB1998.icc";

// A photo-like picture: smooth colour fields with fine grain, at quality 92, as a camera saves
// it; `icc` goes into one APP2 marker when not empty.
std::string photoJpeg(const std::string& icc) {
  jpeg_compress_struct info{};
  jpeg_error_mgr errors{};
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &buffer, &size);
  info.image_width = photoWidth;
  info.image_height = photoHeight;
  info.input_components = 3;
  info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, 92, TRUE);
  jpeg_start_compress(&info, TRUE);
  if (!icc.empty()) {
    const std::string marker = std::string("ICC_PROFILE\0\x01\x01", 14) + icc;
    jpeg_write_marker(&info, JPEG_APP0 + 2, reinterpret_cast<const JOCTET*>(marker.data()),
                      static_cast<unsigned int>(marker.size()));
  }
  std::vector<JSAMPLE> row(photoWidth * 3);
  unsigned int grain = 1;
  for (int y = 0; y < photoHeight; ++y) {
    for (int x = 0; x < photoWidth; ++x) {
      grain = grain * 1103515245u + 12345u;
      const int noise = static_cast<int>(grain >> 16) % 25 - 12;
      const int base[3] = {(x * 200 / photoWidth + y * 40 / photoHeight),
                           (y * 180 / photoHeight + 30),
                           ((x + y) * 120 / (photoWidth + photoHeight) + 60)};
      for (int c = 0; c < 3; ++c) {
        const int value = base[c] + noise;
        row[static_cast<std::size_t>(x * 3 + c)] = static_cast<JSAMPLE>(value < 0     ? 0
                                                                        : value > 255 ? 255
                                                                                      : value);
      }
    }
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&info, rows, 1);
  }
  jpeg_finish_compress(&info);
  std::string bytes(reinterpret_cast<const char*>(buffer), size);
  jpeg_destroy_compress(&info);
  std::free(buffer);
  return bytes;
}

void decodePhoto(benchmark::State& state, bool tagged) {
  static const std::string untagged = photoJpeg({});
  static const std::string adobe = [] {
    const auto icc = readWholeFile(adobeRgbProfile, std::size_t{1} << 20).bytes;
    return icc ? photoJpeg(*icc) : std::string();
  }();
  const std::string& bytes = tagged ? adobe : untagged;
  if (bytes.empty()) {
    state.SkipWithError("needs icc-profiles-free");
    return;
  }
  const Size screen{static_cast<double>(state.range(0)), static_cast<double>(state.range(1))};
  for (auto _ : state) {
    DecodeResult result = decodeImage(bytes, screen);
    benchmark::DoNotOptimize(result);
  }
}

void jpeg24MegapixelsUntagged(benchmark::State& state) {
  decodePhoto(state, false);
}
void jpeg24MegapixelsAdobeRgb(benchmark::State& state) {
  decodePhoto(state, true);
}
BENCHMARK(jpeg24MegapixelsUntagged)
    ->Args({1920, 1080})
    ->Args({3840, 2160})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(jpeg24MegapixelsAdobeRgb)
    ->Args({1920, 1080})
    ->Args({3840, 2160})
    ->Unit(benchmark::kMillisecond);

}  // namespace
