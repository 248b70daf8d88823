#pragma once

// The surface the sample wallpapers are drawn on, and the 8-bit pixels the encoders take.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <cairo.h>

namespace brivora::samples {

// Packed 8-bit RGB samples, rows from the top.
struct RgbPixels {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> samples;  // red, green, blue for each pixel
};

// How the 10-bit drawing is brought down to 8 bits.
enum class Dither {
  // A random threshold per sample: no banding in the skies, and it averages away when the
  // screen saver shrinks the image. For the lossy formats, which smooth it anyway.
  noise,
  // Plain rounding, for PNG: deflate cannot squeeze noise, and a regular dither pattern beats
  // against the shrinking into a visible checkerboard.
  none,
};

// A 10-bit-per-channel Cairo surface, so gradients stay smooth until they are dithered.
class Canvas {
 public:
  Canvas(int width, int height);

  int width() const { return width_; }
  int height() const { return height_; }

  // The drawing context; valid as long as the canvas. The surface keeps no alpha.
  cairo_t* context() const { return context_.get(); }

  // Why Cairo stopped drawing, or none while every call so far succeeded.
  std::optional<std::string> failure() const;

  // The picture in 8 bits per channel; `seed` fixes the noise dither.
  RgbPixels toRgb(Dither dither, std::uint64_t seed) const;

  // A PNG of the picture scaled to `previewWidth`, for looking at the art; false on failure.
  bool writePreview(const std::string& path, int previewWidth) const;

 private:
  struct SurfaceRelease {
    void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
  };
  struct ContextRelease {
    void operator()(cairo_t* context) const { cairo_destroy(context); }
  };

  int width_;
  int height_;
  std::unique_ptr<cairo_surface_t, SurfaceRelease> surface_;
  std::unique_ptr<cairo_t, ContextRelease> context_;
};

}  // namespace brivora::samples
