#include "tests/support/WallpaperColours.h"

#include <algorithm>
#include <cstdlib>
#include <string>

namespace brivora::testing {

void writeColourBundle(const TempBundle& bundle, double cycleSeconds) {
  for (std::size_t at = 0; at < wallpaperColours.size(); ++at) {
    bundle.write("wallpapers/colour-" + std::to_string(at) + ".png",
                 encodePng(solidPicture(64, 36, wallpaperColours[at])));
  }
  bundle.write("theme.json", R"({"scrimEnabled": false, "playerOverlayEnabled": false,
                                 "crossfadeSeconds": 0, "clockSizeRatio": 0.06,
                                 "kenBurnsZoom": 1.1,
                                 "cycleSeconds": )" +
                                 std::to_string(cycleSeconds) + "}");
}

bool shows(std::uint32_t pixel, Rgba colour, int tolerance) {
  const auto near = [&](int shift, int wanted) {
    return std::abs(static_cast<int>((pixel >> shift) & 0xFF) - wanted) <= tolerance;
  };
  return near(16, colour.red) && near(8, colour.green) && near(0, colour.blue);
}

std::optional<int> colourFilling(const PixelRect& area, const PixelAt& pixel) {
  // The outermost pixels: a picture one pixel off, or a frame or title bar, shows there.
  const int left = area.x;
  const int right = area.right() - 1;
  const int top = area.y;
  const int bottom = area.bottom() - 1;
  const int midX = area.x + area.width / 2;
  const int midY = area.y + area.height / 2;
  const int points[][2] = {{left, top},   {midX, top},    {right, top},    {left, midY},
                           {right, midY}, {left, bottom}, {right, bottom}, {midX, top + 20}};
  for (std::size_t colour = 0; colour < wallpaperColours.size(); ++colour) {
    const auto shown = [&](const auto& point) {
      return shows(pixel(point[0], point[1]), wallpaperColours[colour]);
    };
    if (std::ranges::all_of(points, shown)) return static_cast<int>(colour);
  }
  return std::nullopt;
}

int differingPixels(const PixelAt& pixel, const ImagePixels& expected) {
  int differing = 0;
  for (int y = 0; y < expected.height; ++y) {
    for (int x = 0; x < expected.width; ++x) {
      const std::uint32_t wanted = expected.argb[static_cast<std::size_t>(y * expected.width + x)];
      differing +=
          !shows(pixel(x, y),
                 {std::uint8_t(wanted >> 16), std::uint8_t(wanted >> 8), std::uint8_t(wanted)}, 24);
    }
  }
  return differing;
}

}  // namespace brivora::testing
