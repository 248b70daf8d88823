#pragma once

#include <cairo.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "backends/cairo/CairoHandles.h"
#include "backends/cairo/TextLayout.h"
#include "platform/Geometry.h"

namespace brivora {

// Rasters place text at this many sub-pixel phases per pixel along each axis: moving text
// glides, and text drawn at the same place again finds its raster.
inline constexpr int rasterPhasesPerPixel = 8;

// What an A8 raster of a shaped text holds: the glyphs' coverage at a sub-pixel phase,
// blurred or not, cut to a box. The box is in whole pixels relative to the pixel holding the
// layout's origin, so the same text drawn wholly inside the frame anywhere at the same phase
// finds the same raster; where the frame cuts it, the box says how.
struct TextRasterKey {
  std::uint64_t serial = 0;  // of the shaped text
  int phaseX = 0;            // in steps of 1 / rasterPhasesPerPixel
  int phaseY = 0;
  std::array<int, 3> blurRadii{};  // all zero for the glyphs themselves
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;

  friend bool operator==(const TextRasterKey&, const TextRasterKey&) = default;
};

struct TextRasterKeyHash {
  std::size_t operator()(const TextRasterKey& key) const;
};

// A raster's key and the frame pixel its top-left pixel covers.
struct TextRasterPlacement {
  TextRasterKey key;
  int x = 0;
  int y = 0;
};

// The raster of `shaped` with its layout origin at `origin` (surface coordinates, within
// Cairo's range) blurred by `blurRadii`: all its ink and blur can touch, cut to a
// `frameWidth` × `frameHeight` frame. None when nothing reaches the frame.
std::optional<TextRasterPlacement> placeTextRaster(const ShapedText& shaped, Point origin,
                                                   const std::array<int, 3>& blurRadii,
                                                   int frameWidth, int frameHeight);

// Renders the raster `key` describes from `shaped`. Null when Cairo cannot make the surface.
CairoSurface renderTextRaster(const ShapedText& shaped, const TextRasterKey& key);

// The bytes the pixels of the image surface `raster` take.
std::size_t rasterBytes(cairo_surface_t* raster);

}  // namespace brivora
