#pragma once

// Small JPEG, PNG and HEIC files made on the spot, for tests of the decoders and of check.
#include <array>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "backends/codecs/CoverSize.h"
#include "backends/codecs/ImageCodecs.h"

namespace brivora::testing {

// A straight-alpha (not premultiplied) colour.
struct Rgba {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;
  std::uint8_t alpha = 255;
};

// Straight-alpha pixels, rows from the top.
struct Picture {
  int width = 0;
  int height = 0;
  std::vector<Rgba> pixels;

  const Rgba& at(int x, int y) const {
    return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                  static_cast<std::size_t>(x)];
  }
};

Picture solidPicture(int width, int height, Rgba colour);

// Four blocks of colour, in reading order: top left, top right, bottom left, bottom right.
Picture quadrantPicture(int width, int height, const std::array<Rgba, 4>& colours);

// The value's four bytes, most significant first.
std::string bigEndian32(std::uint32_t value);

// The payload of a JPEG APP1 marker: "Exif\0\0" and a TIFF block, in the byte order asked for,
// whose first directory holds an unrelated tag, then the orientation; with a colour space (not
// 0), also an Exif directory holding it and an interoperability index ("R98", "R03").
std::string exifPayload(int orientation, bool bigEndian, std::uint16_t colourSpace = 0,
                        std::string_view index = {});

// For cmyk and ycck the picture's channels are the inks as Photoshop writes them (with an Adobe
// marker): the light each of cyan, magenta and yellow lets through, then the black's.
enum class JpegColours { rgb, gray, cmyk, ycck };

struct JpegOptions {
  JpegColours colours = JpegColours::rgb;
  bool progressive = false;
  std::string app1 = {};               // written as an APP1 marker when not empty
  std::vector<std::string> app2 = {};  // written as APP2 markers, in this order
};

// A JPEG of the picture (alpha dropped).
std::string encodeJpeg(const Picture& picture, const JpegOptions& options = {});

// PNG bytes of packed samples in one of libpng's simplified formats (PNG_FORMAT_...).
std::string encodePngSamples(int width, int height, std::uint32_t format, const void* samples,
                             const void* colourMap = nullptr, int colourMapEntries = 0);

// An 8-bit RGBA PNG of the picture.
std::string encodePng(const Picture& picture);

// A whole PNG chunk: length, type, data and checksum.
std::string pngChunk(std::string_view type, std::string_view data);

// What a HEIC file says of its colours, and how deep its samples are.
struct HeicColours {
  std::string icc = {};   // a colr prof box when not empty
  int nclxPrimaries = 0;  // with the next, a colr nclx box (full range, BT.601 matrix) when not 0
  int nclxTransfer = 0;
  int bits = 8;  // with 10, the picture's values are the darkest of 1024, stored lossless
};

// A HEIC file of the picture, with the irot/imir transforms of EXIF `orientation`; none when
// libheif has no HEVC encoder here (or none for the depth asked).
std::optional<std::string> encodeHeic(const Picture& picture, int orientation = 1,
                                      bool withAlpha = false, const HeicColours& colours = {});

enum class ImageFormat { jpeg, png, heic };

// The picture as a file shown turned by EXIF `orientation`: an APP1 marker in little-endian
// order, an eXIf chunk in big-endian order without the "Exif" prefix, or HEIC transforms.
std::optional<std::string> encodeImage(ImageFormat format, const Picture& picture, int orientation);

// Red, green, blue and white quadrants, in quadrantPicture's order; the letters name them.
inline constexpr std::array<Rgba, 4> quadrantColours = {Rgba{220, 40, 40}, Rgba{40, 200, 60},
                                                        Rgba{40, 60, 210}, Rgba{250, 250, 250}};

// For each EXIF orientation from 1, the quadrant colours seen in the corners of the image as
// shown: top left, top right, bottom left, bottom right.
inline constexpr std::array<std::string_view, 8> shownCorners = {
    "RGBW",  // 1, as stored
    "GRWB",  // 2, mirrored left to right
    "WBGR",  // 3, half a turn
    "BWRG",  // 4, mirrored top to bottom
    "RBGW",  // 5, mirrored along the main diagonal
    "BRWG",  // 6, a quarter turn clockwise
    "WGBR",  // 7, mirrored along the other diagonal
    "GWRB",  // 8, a quarter turn counter-clockwise
};

// A cover box that keeps every pixel.
inline constexpr Size fullSize{std::numeric_limits<double>::infinity(),
                               std::numeric_limits<double>::infinity()};

// The decoded image; a test failure and an empty image when the bytes do not decode.
DecodedImage decodedOrFail(DecodeResult result);

inline PixelSize sizeOf(const ImagePixels& pixels) {
  return {pixels.width, pixels.height};
}

// Whether a premultiplied ARGB word shows `expected` (straight alpha), each channel within
// `tolerance`.
::testing::AssertionResult showsColour(std::uint32_t word, Rgba expected, int tolerance);

// Whether the four corner pixels show the quadrant colours `corners` names ("RGBW").
::testing::AssertionResult showsCorners(const ImagePixels& pixels, std::string_view corners,
                                        int tolerance);

}  // namespace brivora::testing
