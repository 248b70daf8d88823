#include "tests/support/TestImageFiles.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include <jpeglib.h>
#include <libheif/heif.h>
#include <png.h>
#include <zlib.h>

#include "tests/support/TempBundle.h"

namespace brivora::testing {

Picture solidPicture(int width, int height, Rgba colour) {
  return {width, height, std::vector<Rgba>(static_cast<std::size_t>(width * height), colour)};
}

Picture quadrantPicture(int width, int height, const std::array<Rgba, 4>& colours) {
  Picture picture = solidPicture(width, height, {});
  for (int at = 0; at < width * height; ++at) {
    const int quadrant = (at / width < height / 2 ? 0 : 2) + (at % width < width / 2 ? 0 : 1);
    picture.pixels[static_cast<std::size_t>(at)] = colours[static_cast<std::size_t>(quadrant)];
  }
  return picture;
}

std::string bigEndian32(std::uint32_t value) {
  return {static_cast<char>(value >> 24), static_cast<char>(value >> 16),
          static_cast<char>(value >> 8), static_cast<char>(value)};
}

std::string exifPayload(int orientation, bool bigEndian, std::uint16_t colourSpace,
                        std::string_view index) {
  std::string tiff = bigEndian ? std::string("MM") : std::string("II");
  auto put = [&](std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
      const int shift = 8 * (bigEndian ? bytes - 1 - i : i);
      tiff.push_back(static_cast<char>((value >> shift) & 0xFF));
    }
  };
  put(42, 2);
  put(8, 4);                    // the first directory follows the header
  put(colourSpace ? 3 : 2, 2);  // entries
  put(0x010F, 2), put(2, 2), put(4, 4), tiff += std::string("Cam\0", 4);  // Make, ASCII
  put(0x0112, 2), put(3, 2), put(1, 4), put(static_cast<std::uint32_t>(orientation), 2), put(0, 2);
  if (colourSpace) put(0x8769, 2), put(4, 2), put(1, 4), put(50, 4);  // the Exif directory
  put(0, 4);                                                          // no next directory
  if (colourSpace) {
    put(2, 2), put(0xA001, 2), put(3, 2), put(1, 4), put(colourSpace, 2), put(0, 2);  // at 50
    put(0xA005, 2), put(4, 2), put(1, 4), put(80, 4), put(0, 4);
    put(1, 2), put(0x0001, 2), put(2, 2), put(4, 4);  // interoperability, at 80
    tiff += std::string(index) + std::string(4 - index.size(), '\0');
    put(0, 4);
  }
  return std::string("Exif\0\0", 6) + tiff;
}

// libjpeg's own error handling exits: the inputs are valid.
std::string encodeJpeg(const Picture& picture, const JpegOptions& options) {
  jpeg_compress_struct info{};
  jpeg_error_mgr errors{};
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &buffer, &size);
  info.image_width = static_cast<JDIMENSION>(picture.width);
  info.image_height = static_cast<JDIMENSION>(picture.height);
  const bool inks = options.colours == JpegColours::cmyk || options.colours == JpegColours::ycck;
  info.input_components = 4;
  info.in_color_space = inks ? JCS_CMYK : JCS_EXT_RGBA;
  jpeg_set_defaults(&info);
  if (options.colours == JpegColours::gray) jpeg_set_colorspace(&info, JCS_GRAYSCALE);
  if (options.colours == JpegColours::ycck) jpeg_set_colorspace(&info, JCS_YCCK);
  jpeg_set_quality(&info, 95, TRUE);
  if (options.progressive) jpeg_simple_progression(&info);
  jpeg_start_compress(&info, TRUE);
  const auto write = [&](int marker, const std::string& payload) {
    jpeg_write_marker(&info, JPEG_APP0 + marker, reinterpret_cast<const JOCTET*>(payload.data()),
                      static_cast<unsigned int>(payload.size()));
  };
  if (!options.app1.empty()) write(1, options.app1);
  for (const std::string& app2 : options.app2) write(2, app2);
  while (info.next_scanline < info.image_height) {  // Rgba is laid out as four bytes
    auto* row = reinterpret_cast<JSAMPLE*>(
        const_cast<Rgba*>(&picture.at(0, static_cast<int>(info.next_scanline))));
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  std::string bytes(reinterpret_cast<const char*>(buffer), size);
  jpeg_destroy_compress(&info);
  std::free(buffer);
  return bytes;
}

std::string encodePngSamples(int width, int height, std::uint32_t format, const void* samples,
                             const void* colourMap, int colourMapEntries) {
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

std::string encodePng(const Picture& picture) {
  return encodePngSamples(picture.width, picture.height, PNG_FORMAT_RGBA, picture.pixels.data());
}

std::string pngChunk(std::string_view type, std::string_view data) {
  const std::string typed = std::string(type) + std::string(data);
  const auto crc =
      crc32(0, reinterpret_cast<const Bytef*>(typed.data()), static_cast<uInt>(typed.size()));
  return bigEndian32(static_cast<std::uint32_t>(data.size())) + typed +
         bigEndian32(static_cast<std::uint32_t>(crc));
}

// The picture's samples in the image's plane, as they are, in 8 bits or more.
void fillHeicPlane(heif_image* image, const Picture& picture, int bits) {
  int stride = 0;
  std::uint8_t* plane = heif_image_get_plane(image, heif_channel_interleaved, &stride);
  for (int y = 0; y < picture.height; ++y) {
    std::uint8_t* row = plane + static_cast<std::ptrdiff_t>(y) * stride;
    if (bits == 8) {  // Rgba is laid out as RGBA bytes
      std::memcpy(row, &picture.at(0, y), sizeof(Rgba) * static_cast<std::size_t>(picture.width));
      continue;
    }
    const auto* rgba = reinterpret_cast<const std::uint8_t*>(&picture.at(0, y));
    for (int i = 0; i < picture.width * 3; ++i) {
      const std::uint16_t value = rgba[i / 3 * 4 + i % 3];  // red, green and blue of each pixel
      std::memcpy(row + i * 2, &value, 2);                  // little-endian, as the chroma says
    }
  }
}

std::optional<std::string> encodeHeic(const Picture& picture, int orientation, bool withAlpha,
                                      const HeicColours& colours) {
  // libheif drops its codecs when the last heif_init is matched; this one is matched below.
  heif_init(nullptr);
  heif_context* context = heif_context_alloc();
  heif_encoder* encoder = nullptr;
  heif_image* image = nullptr;
  heif_encoding_options* options = heif_encoding_options_alloc();
  heif_color_profile_nclx* nclx = heif_nclx_color_profile_alloc();
  std::optional<std::string> bytes;
  const auto ok = [](heif_error error) { return error.code == heif_error_Ok; };
  const bool deep = colours.bits > 8;
  if (ok(heif_context_get_encoder_for_format(context, heif_compression_HEVC, &encoder)) &&
      ok(heif_image_create(picture.width, picture.height, heif_colorspace_RGB,
                           deep ? heif_chroma_interleaved_RRGGBB_LE : heif_chroma_interleaved_RGBA,
                           &image)) &&
      ok(heif_image_add_plane(image, heif_channel_interleaved, picture.width, picture.height,
                              colours.bits))) {
    deep ? heif_encoder_set_lossless(encoder, 1) : heif_encoder_set_lossy_quality(encoder, 95);
    fillHeicPlane(image, picture, colours.bits);
    if (!colours.icc.empty()) {
      heif_image_set_raw_color_profile(image, "prof", colours.icc.data(), colours.icc.size());
    }
    if (colours.nclxPrimaries != 0) {
      nclx->color_primaries = static_cast<heif_color_primaries>(colours.nclxPrimaries);
      nclx->transfer_characteristics =
          static_cast<heif_transfer_characteristics>(colours.nclxTransfer);
      nclx->matrix_coefficients = heif_matrix_coefficients_ITU_R_BT_601_6;
      nclx->full_range_flag = 1;
      heif_image_set_nclx_color_profile(image, nclx);
      options->output_nclx_profile = nclx;
      options->macOS_compatibility_workaround_no_nclx_profile = 0;
    }
    options->image_orientation = static_cast<heif_orientation>(orientation);
    options->save_alpha_channel = withAlpha ? 1 : 0;
    const TempBundle folder;
    const std::filesystem::path written = folder.folder() / "written.heic";
    if (ok(heif_context_encode_image(context, image, encoder, options, nullptr)) &&
        ok(heif_context_write_to_file(context, written.c_str()))) {
      bytes = readText(written);
    }
  }
  heif_nclx_color_profile_free(nclx);
  heif_encoding_options_free(options);
  if (image) heif_image_release(image);
  if (encoder) heif_encoder_release(encoder);
  heif_context_free(context);
  heif_deinit();
  return bytes;
}

std::optional<std::string> encodeImage(ImageFormat format, const Picture& picture,
                                       int orientation) {
  switch (format) {
    case ImageFormat::jpeg:
      return encodeJpeg(picture, {.app1 = exifPayload(orientation, false)});
    case ImageFormat::png:  // the chunk goes after the signature and the 25-byte header chunk
      return encodePng(picture).insert(8 + 25,
                                       pngChunk("eXIf", exifPayload(orientation, true).substr(6)));
    case ImageFormat::heic:
      return encodeHeic(picture, orientation);
  }
  return std::nullopt;
}

DecodedImage decodedOrFail(DecodeResult result) {
  if (const auto* failure = std::get_if<DecodeFailure>(&result)) {
    ADD_FAILURE() << "does not decode: " << describeDecodeFailure(*failure);
    return {};
  }
  return std::get<DecodedImage>(std::move(result));
}

::testing::AssertionResult showsColour(std::uint32_t word, Rgba expected, int tolerance) {
  const int straight[] = {expected.blue, expected.green, expected.red, 255};  // from the low byte
  for (int c = 0; c < 4; ++c) {
    const int wanted = (straight[c] * expected.alpha + 127) / 255;
    if (std::abs(static_cast<int>(word >> 8 * c & 0xFF) - wanted) > tolerance) {
      return ::testing::AssertionFailure()
             << std::hex << "0x" << word << ": byte " << c << " is not near 0x" << wanted;
    }
  }
  return ::testing::AssertionSuccess();
}

::testing::AssertionResult showsCorners(const ImagePixels& pixels, std::string_view corners,
                                        int tolerance) {
  if (pixels.argb.empty()) return ::testing::AssertionFailure() << "no pixels";
  const std::size_t right = static_cast<std::size_t>(pixels.width) - 1;
  const std::size_t bottom = (static_cast<std::size_t>(pixels.height) - 1) * (right + 1);
  const std::array<std::size_t, 4> places = {0, right, bottom, bottom + right};
  for (std::size_t i = 0; i < places.size(); ++i) {
    const Rgba expected = quadrantColours[std::string_view("RGBW").find(corners[i])];
    ::testing::AssertionResult shows = showsColour(pixels.argb.at(places[i]), expected, tolerance);
    if (!shows) return shows << " at corner " << i << " of " << corners;
  }
  return ::testing::AssertionSuccess();
}

}  // namespace brivora::testing
