// JPEG, PNG and HEIF files as the view's image loader decodes them, into a small cover box.
#include <cstdint>

#include "backends/codecs/CoverSize.h"
#include "backends/codecs/HeifDecoder.h"
#include "backends/codecs/JpegDecoder.h"
#include "backends/codecs/PngDecoder.h"
#include "tests/fuzz/FuzzInput.h"
#include "tests/fuzz/FuzzTargets.h"

namespace brivora::fuzzing {

namespace {

// Runs `decoder` on the input after its first two bytes, which choose a cover box of up to
// 255 × 255 points, and checks what a decoded image promises its drawer. `premultiplies`
// says whether the decoder itself premultiplies, so that no channel may exceed alpha.
void fuzzDecoder(std::string_view input, const auto& decoder, bool premultiplies) {
  FuzzInput bytes(input);
  const Size coverBox{static_cast<double>(bytes.byte()), static_cast<double>(bytes.byte())};
  const DecodeResult result = decoder(bytes.rest(), coverBox, ColourTarget{});
  const DecodedImage* image = std::get_if<DecodedImage>(&result);
  if (!image) return;

  const PixelSize natural{static_cast<int>(image->naturalSize.width),
                          static_cast<int>(image->naturalSize.height)};
  requireThat(natural.width > 0 && natural.height > 0 && natural.area() <= maxImagePixels,
              "a decoded image has a natural size within the pixel limit");
  const ImagePixels& pixels = image->pixels;
  requireThat((PixelSize{pixels.width, pixels.height} == coverPixelSize(natural, coverBox)),
              "a decoded image keeps just the pixels that cover the box");
  requireThat(pixels.argb.size() ==
                  static_cast<std::size_t>(pixels.width) * static_cast<std::size_t>(pixels.height),
              "a decoded image has one word per pixel");
  if (!premultiplies) return;
  for (const std::uint32_t word : pixels.argb) {
    const std::uint32_t alpha = word >> 24;
    requireThat(
        (word >> 16 & 0xFF) <= alpha && (word >> 8 & 0xFF) <= alpha && (word & 0xFF) <= alpha,
        "no colour channel of a decoded pixel exceeds its alpha");
  }
}

}  // namespace

void fuzzJpeg(std::string_view input) {
  fuzzDecoder(input, decodeJpeg, true);
}

void fuzzPng(std::string_view input) {
  fuzzDecoder(input, decodePng, true);
}

// libheif may hand over pixels it premultiplied itself, so their channels are not checked
// against alpha.
void fuzzHeif(std::string_view input) {
  fuzzDecoder(input, decodeHeif, false);
}

}  // namespace brivora::fuzzing
