#include "tests/fuzz/DecoderFuzzing.h"

#include <cstdint>

#include "backends/codecs/CoverSize.h"
#include "tests/fuzz/FuzzInput.h"

namespace brivora::fuzzing {

namespace {

bool isPremultiplied(std::uint32_t word) {
  const std::uint32_t alpha = word >> 24;
  return (word >> 16 & 0xFF) <= alpha && (word >> 8 & 0xFF) <= alpha && (word & 0xFF) <= alpha;
}

}  // namespace

void fuzzDecoder(std::string_view input, Decoder decoder, bool premultiplies) {
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
    requireThat(isPremultiplied(word), "no colour channel of a decoded pixel exceeds its alpha");
  }
}

}  // namespace brivora::fuzzing
