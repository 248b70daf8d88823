#include "tools/sample-wallpapers/Canvas.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "tools/sample-wallpapers/Random.h"

namespace brivora::samples {

namespace {

constexpr int tenBitMax = 1023;

std::uint8_t dithered(std::uint32_t tenBits, double threshold) {
  const double level = tenBits * 255.0 / tenBitMax;
  return static_cast<std::uint8_t>(std::min(255.0, std::floor(level + threshold)));
}

}  // namespace

Canvas::Canvas(int width, int height)
    : width_(width),
      height_(height),
      surface_(cairo_image_surface_create(CAIRO_FORMAT_RGB30, width, height)),
      context_(cairo_create(surface_.get())) {}

std::optional<std::string> Canvas::failure() const {
  const cairo_status_t status = cairo_status(context_.get());
  if (status == CAIRO_STATUS_SUCCESS) return std::nullopt;
  return cairo_status_to_string(status);
}

RgbPixels Canvas::toRgb(Dither dither, std::uint64_t seed) const {
  cairo_surface_flush(surface_.get());
  const unsigned char* data = cairo_image_surface_get_data(surface_.get());
  const int stride = cairo_image_surface_get_stride(surface_.get());
  Random random(seed);
  RgbPixels pixels{width_, height_, {}};
  pixels.samples.resize(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_) * 3);
  std::uint8_t* out = pixels.samples.data();
  for (int y = 0; y < height_; ++y) {
    const unsigned char* row = data + static_cast<std::ptrdiff_t>(y) * stride;
    for (int x = 0; x < width_; ++x) {
      std::uint32_t word = 0;
      std::memcpy(&word, row + 4 * x, sizeof word);
      const std::uint32_t channels[3] = {(word >> 20) & tenBitMax, (word >> 10) & tenBitMax,
                                         word & tenBitMax};
      for (const std::uint32_t channel : channels) {
        const double threshold = dither == Dither::noise ? random.uniform() : 0.5;
        *out++ = dithered(channel, threshold);
      }
    }
  }
  return pixels;
}

bool Canvas::writePreview(const std::string& path, int previewWidth) const {
  const double scale = static_cast<double>(previewWidth) / width_;
  const int previewHeight = static_cast<int>(std::lround(height_ * scale));
  cairo_surface_t* preview =
      cairo_image_surface_create(CAIRO_FORMAT_RGB24, previewWidth, previewHeight);
  cairo_t* context = cairo_create(preview);
  cairo_scale(context, scale, scale);
  cairo_set_source_surface(context, surface_.get(), 0, 0);
  cairo_pattern_set_filter(cairo_get_source(context), CAIRO_FILTER_GOOD);
  cairo_paint(context);
  cairo_destroy(context);
  const bool written = cairo_surface_write_to_png(preview, path.c_str()) == CAIRO_STATUS_SUCCESS;
  cairo_surface_destroy(preview);
  return written;
}

}  // namespace brivora::samples
