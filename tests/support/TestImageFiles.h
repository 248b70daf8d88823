#pragma once

// Small JPEG, PNG and HEIC files made on the spot, for tests of the decoders and of check.
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <jpeglib.h>
#include <libheif/heif.h>
#include <png.h>

#include <gtest/gtest.h>

#include "platform/ImagePixels.h"

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

inline Picture solidPicture(int width, int height, Rgba colour) {
  return {width, height,
          std::vector<Rgba>(static_cast<std::size_t>(width) * static_cast<std::size_t>(height),
                            colour)};
}

// Four blocks of colour, in reading order: top left, top right, bottom left, bottom right.
inline Picture quadrantPicture(int width, int height, const std::array<Rgba, 4>& colours) {
  Picture picture = solidPicture(width, height, {});
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const std::size_t quadrant = (y < height / 2 ? 0 : 2) + (x < width / 2 ? 0 : 1);
      picture.pixels[static_cast<std::size_t>(y * width + x)] = colours[quadrant];
    }
  }
  return picture;
}

// The payload of a JPEG APP1 marker: "Exif\0\0" and a TIFF block whose first directory holds
// an unrelated tag, then the orientation, in the byte order asked for.
inline std::string exifPayload(int orientation, bool bigEndian) {
  std::string tiff = bigEndian ? std::string("MM") : std::string("II");
  auto put = [&](std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
      const int shift = 8 * (bigEndian ? bytes - 1 - i : i);
      tiff.push_back(static_cast<char>((value >> shift) & 0xFF));
    }
  };
  put(42, 2);
  put(8, 4);  // the first directory follows the header
  put(2, 2);  // two entries
  put(0x010F, 2), put(2, 2), put(4, 4), tiff += std::string("Cam\0", 4);  // Make, ASCII
  put(0x0112, 2), put(3, 2), put(1, 4), put(static_cast<std::uint32_t>(orientation), 2), put(0, 2);
  put(0, 4);  // no next directory
  return std::string("Exif\0\0", 6) + tiff;
}

enum class JpegColours { rgb, gray, cmyk, ycck };

struct JpegOptions {
  JpegColours colours = JpegColours::rgb;
  bool progressive = false;
  std::string app1 = {};  // written as an APP1 marker when not empty
  int quality = 95;
};

// CMYK JPEGs store the ink inverted, as Photoshop writes them (with an Adobe marker).
inline std::array<JSAMPLE, 4> invertedCmyk(Rgba colour) {
  const int brightest = std::max({colour.red, colour.green, colour.blue});
  auto light = [&](int channel) {
    return static_cast<JSAMPLE>(brightest == 0 ? 255 : (channel * 255 + brightest / 2) / brightest);
  };
  return {light(colour.red), light(colour.green), light(colour.blue),
          static_cast<JSAMPLE>(brightest)};
}

// A JPEG of the picture (alpha dropped). libjpeg's own error handling exits: inputs are valid.
inline std::string encodeJpeg(const Picture& picture, const JpegOptions& options = {}) {
  jpeg_compress_struct info{};
  jpeg_error_mgr errors{};
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &buffer, &size);
  info.image_width = static_cast<JDIMENSION>(picture.width);
  info.image_height = static_cast<JDIMENSION>(picture.height);
  const bool cmyk = options.colours == JpegColours::cmyk || options.colours == JpegColours::ycck;
  const bool gray = options.colours == JpegColours::gray;
  info.input_components = gray ? 1 : cmyk ? 4 : 3;
  info.in_color_space = gray ? JCS_GRAYSCALE : cmyk ? JCS_CMYK : JCS_RGB;
  jpeg_set_defaults(&info);
  if (options.colours == JpegColours::ycck) jpeg_set_colorspace(&info, JCS_YCCK);
  jpeg_set_quality(&info, options.quality, TRUE);
  if (options.progressive) jpeg_simple_progression(&info);
  jpeg_start_compress(&info, TRUE);
  if (!options.app1.empty()) {
    jpeg_write_marker(&info, JPEG_APP0 + 1, reinterpret_cast<const JOCTET*>(options.app1.data()),
                      static_cast<unsigned int>(options.app1.size()));
  }
  std::vector<JSAMPLE> row(static_cast<std::size_t>(picture.width * info.input_components));
  while (info.next_scanline < info.image_height) {
    const int y = static_cast<int>(info.next_scanline);
    for (int x = 0; x < picture.width; ++x) {
      const Rgba& pixel = picture.at(x, y);
      JSAMPLE* sample = &row[static_cast<std::size_t>(x * info.input_components)];
      if (gray) {
        sample[0] = pixel.green;
      } else if (cmyk) {
        const std::array<JSAMPLE, 4> inks = invertedCmyk(pixel);
        std::copy(inks.begin(), inks.end(), sample);
      } else {
        sample[0] = pixel.red, sample[1] = pixel.green, sample[2] = pixel.blue;
      }
    }
    JSAMPROW rows[] = {row.data()};
    jpeg_write_scanlines(&info, rows, 1);
  }
  jpeg_finish_compress(&info);
  std::string bytes(reinterpret_cast<const char*>(buffer), size);
  jpeg_destroy_compress(&info);
  std::free(buffer);
  return bytes;
}

// PNG bytes of packed samples in one of libpng's simplified formats (PNG_FORMAT_...).
inline std::string encodePngSamples(int width, int height, png_uint_32 format, const void* samples,
                                    const void* colourMap = nullptr, int colourMapEntries = 0) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(width);
  image.height = static_cast<png_uint_32>(height);
  image.format = format;
  image.colormap_entries = static_cast<png_uint_32>(colourMapEntries);
  png_alloc_size_t size = 0;
  if (!png_image_write_to_memory(&image, nullptr, &size, 0, samples, 0, colourMap)) return {};
  std::string bytes(size, '\0');
  if (!png_image_write_to_memory(&image, bytes.data(), &size, 0, samples, 0, colourMap)) return {};
  bytes.resize(size);
  return bytes;
}

// An 8-bit RGBA PNG of the picture.
inline std::string encodePng(const Picture& picture) {
  return encodePngSamples(picture.width, picture.height, PNG_FORMAT_RGBA, picture.pixels.data());
}

inline std::uint32_t pngCrc(std::string_view bytes) {
  std::uint32_t crc = 0xFFFFFFFF;
  for (const char byte : bytes) {
    crc ^= static_cast<std::uint8_t>(byte);
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320 & (0 - (crc & 1)));
  }
  return ~crc;
}

// A whole PNG chunk: length, type, data and checksum.
inline std::string pngChunk(std::string_view type, std::string_view data) {
  auto bigEndian = [](std::uint32_t value) {
    return std::string{static_cast<char>(value >> 24), static_cast<char>(value >> 16),
                       static_cast<char>(value >> 8), static_cast<char>(value)};
  };
  const std::string typed = std::string(type) + std::string(data);
  return bigEndian(static_cast<std::uint32_t>(data.size())) + typed + bigEndian(pngCrc(typed));
}

// The PNG with `chunk` placed right after its header chunk.
inline std::string withChunkAfterHeader(std::string png, const std::string& chunk) {
  constexpr std::size_t headerEnd = 8 + 25;  // signature, then IHDR with its 13 data bytes
  return png.insert(headerEnd, chunk);
}

// Whether this libheif can encode HEVC, so that encodeHeic gives files.
inline bool canEncodeHeic() {
  heif_init(nullptr);  // a no-op when initialised, and then the codecs stay registered
  const bool can = heif_have_encoder_for_format(heif_compression_HEVC) != 0;
  heif_deinit();
  return can;
}

// A HEIC file of the picture, with the irot/imir transforms of `orientation`; none when
// libheif has no HEVC encoder here.
inline std::optional<std::string> encodeHeic(const Picture& picture,
                                             heif_orientation orientation = heif_orientation_normal,
                                             bool withAlpha = false) {
  // libheif drops its codecs when the last heif_init is matched; this one is matched below.
  heif_init(nullptr);
  if (!heif_have_encoder_for_format(heif_compression_HEVC)) {
    heif_deinit();
    return std::nullopt;
  }
  heif_context* context = heif_context_alloc();
  heif_encoder* encoder = nullptr;
  heif_image* image = nullptr;
  std::optional<std::string> bytes;
  heif_encoding_options* options = heif_encoding_options_alloc();
  if (heif_context_get_encoder_for_format(context, heif_compression_HEVC, &encoder).code ==
          heif_error_Ok &&
      heif_image_create(picture.width, picture.height, heif_colorspace_RGB,
                        heif_chroma_interleaved_RGBA, &image)
              .code == heif_error_Ok &&
      heif_image_add_plane(image, heif_channel_interleaved, picture.width, picture.height, 8)
              .code == heif_error_Ok) {
    heif_encoder_set_lossy_quality(encoder, 95);
    int stride = 0;
    std::uint8_t* plane = heif_image_get_plane(image, heif_channel_interleaved, &stride);
    for (int y = 0; y < picture.height; ++y) {
      for (int x = 0; x < picture.width; ++x) {
        const Rgba& pixel = picture.at(x, y);
        std::uint8_t* sample = plane + y * stride + x * 4;
        sample[0] = pixel.red, sample[1] = pixel.green, sample[2] = pixel.blue;
        sample[3] = pixel.alpha;
      }
    }
    options->image_orientation = orientation;
    options->save_alpha_channel = withAlpha ? 1 : 0;
    if (heif_context_encode_image(context, image, encoder, options, nullptr).code ==
        heif_error_Ok) {
      std::string written;
      heif_writer writer{};
      writer.writer_api_version = 1;
      writer.write = [](heif_context*, const void* data, size_t size, void* into) {
        static_cast<std::string*>(into)->append(static_cast<const char*>(data), size);
        heif_error success{};
        success.code = heif_error_Ok;
        success.message = "ok";
        return success;
      };
      if (heif_context_write(context, &writer, &written).code == heif_error_Ok) bytes = written;
    }
  }
  heif_encoding_options_free(options);
  if (image) heif_image_release(image);
  if (encoder) heif_encoder_release(encoder);
  heif_context_free(context);
  heif_deinit();
  return bytes;
}

// Red, green, blue and white quadrants, in quadrantPicture's order; the letters name them.
inline constexpr std::array<Rgba, 4> quadrantColours = {Rgba{220, 40, 40}, Rgba{40, 200, 60},
                                                        Rgba{40, 60, 210}, Rgba{250, 250, 250}};
inline constexpr std::string_view quadrantLetters = "RGBW";

// For each EXIF orientation, the quadrant colours seen in the corners of the image as shown:
// top left, top right, bottom left, bottom right.
struct ShownCorners {
  int orientation;
  std::string_view corners;
};
inline constexpr std::array<ShownCorners, 8> shownCorners = {{
    {1, "RGBW"},  // as stored
    {2, "GRWB"},  // mirrored left to right
    {3, "WBGR"},  // half a turn
    {4, "BWRG"},  // mirrored top to bottom
    {5, "RBGW"},  // mirrored along the main diagonal
    {6, "BRWG"},  // a quarter turn clockwise
    {7, "WGBR"},  // mirrored along the other diagonal
    {8, "GWRB"},  // a quarter turn counter-clockwise
}};

inline std::uint32_t wordAt(const ImagePixels& pixels, int x, int y) {
  return pixels.argb.at(static_cast<std::size_t>(y) * static_cast<std::size_t>(pixels.width) +
                        static_cast<std::size_t>(x));
}

// Whether a premultiplied ARGB word shows `expected` (straight alpha), each channel within
// `tolerance`.
inline ::testing::AssertionResult showsColour(std::uint32_t word, Rgba expected, int tolerance) {
  const int alpha = expected.alpha;
  const std::array<int, 4> wanted = {alpha, (expected.red * alpha + 127) / 255,
                                     (expected.green * alpha + 127) / 255,
                                     (expected.blue * alpha + 127) / 255};
  for (int c = 0; c < 4; ++c) {
    const int actual = static_cast<int>((word >> (24 - 8 * c)) & 0xFF);
    if (std::abs(actual - wanted[static_cast<std::size_t>(c)]) > tolerance) {
      char text[64];
      std::snprintf(text, sizeof text, "0x%08X, not near 0x%02X%02X%02X%02X", word, wanted[0],
                    wanted[1], wanted[2], wanted[3]);
      return ::testing::AssertionFailure() << text;
    }
  }
  return ::testing::AssertionSuccess();
}

// Whether the four corner pixels show the quadrant colours `corners` names ("RGBW").
inline ::testing::AssertionResult showsCorners(const ImagePixels& pixels, std::string_view corners,
                                               int tolerance) {
  const int right = pixels.width - 1;
  const int bottom = pixels.height - 1;
  const std::array<std::pair<int, int>, 4> places = {
      {{0, 0}, {right, 0}, {0, bottom}, {right, bottom}}};
  for (std::size_t i = 0; i < places.size(); ++i) {
    const Rgba expected = quadrantColours[quadrantLetters.find(corners[i])];
    ::testing::AssertionResult shows =
        showsColour(wordAt(pixels, places[i].first, places[i].second), expected, tolerance);
    if (!shows) return shows << " at corner " << i << " of " << corners;
  }
  return ::testing::AssertionSuccess();
}

}  // namespace brivora::testing
