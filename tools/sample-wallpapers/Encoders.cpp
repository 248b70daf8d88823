#include "tools/sample-wallpapers/Encoders.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <jpeglib.h>
#include <libheif/heif.h>
#include <png.h>

namespace brivora::samples {

namespace {

const std::uint8_t* rowOf(const RgbPixels& pixels, int y) {
  return pixels.samples.data() + static_cast<std::size_t>(y) * 3 * pixels.width;
}

void appendPngBytes(png_structp png, png_bytep data, png_size_t size) {
  static_cast<std::string*>(png_get_io_ptr(png))->append(reinterpret_cast<const char*>(data), size);
}

}  // namespace

// libjpeg's default error handler exits the tool: every input here is valid.
std::string encodeJpeg(const RgbPixels& pixels, int quality) {
  jpeg_compress_struct info{};
  jpeg_error_mgr errors{};
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &buffer, &size);
  info.image_width = static_cast<JDIMENSION>(pixels.width);
  info.image_height = static_cast<JDIMENSION>(pixels.height);
  info.input_components = 3;
  info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, quality, TRUE);
  info.optimize_coding = TRUE;
  info.dct_method = JDCT_ISLOW;
  jpeg_start_compress(&info, TRUE);
  while (info.next_scanline < info.image_height) {
    auto* row = const_cast<JSAMPLE*>(rowOf(pixels, static_cast<int>(info.next_scanline)));
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  std::string bytes(reinterpret_cast<const char*>(buffer), size);
  jpeg_destroy_compress(&info);
  std::free(buffer);
  return bytes;
}

std::optional<std::string> encodePng(const RgbPixels& pixels) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (!png) return std::nullopt;
  png_infop info = png_create_info_struct(png);
  std::string bytes;
  // libpng reports errors by jumping back here; nothing between owns resources.
  if (!info || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, info ? &info : nullptr);
    return std::nullopt;
  }
  png_set_write_fn(png, &bytes, appendPngBytes, nullptr);
  png_set_compression_level(png, 9);
  png_set_IHDR(png, info, static_cast<png_uint_32>(pixels.width),
               static_cast<png_uint_32>(pixels.height), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_set_sRGB(png, info, PNG_sRGB_INTENT_PERCEPTUAL);
  png_write_info(png, info);
  for (int y = 0; y < pixels.height; ++y) {
    png_write_row(png, const_cast<png_bytep>(rowOf(pixels, y)));
  }
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return bytes;
}

bool canEncodeHeic() {
  heif_init(nullptr);
  const bool can = heif_have_encoder_for_format(heif_compression_HEVC) != 0;
  heif_deinit();
  return can;
}

std::optional<std::string> encodeHeic(const RgbPixels& pixels, int quality, std::string& error) {
  heif_init(nullptr);  // matched below, so libheif's codecs are released again
  heif_context* context = heif_context_alloc();
  heif_encoder* encoder = nullptr;
  heif_image* image = nullptr;
  std::optional<std::string> bytes;
  const auto ok = [&](heif_error result) {
    if (result.code != heif_error_Ok) error = result.message;
    return result.code == heif_error_Ok;
  };
  if (ok(heif_context_get_encoder_for_format(context, heif_compression_HEVC, &encoder)) &&
      ok(heif_image_create(pixels.width, pixels.height, heif_colorspace_RGB,
                           heif_chroma_interleaved_RGB, &image)) &&
      ok(heif_image_add_plane(image, heif_channel_interleaved, pixels.width, pixels.height, 8)) &&
      ok(heif_encoder_set_lossy_quality(encoder, quality))) {
    int stride = 0;
    std::uint8_t* plane = heif_image_get_plane(image, heif_channel_interleaved, &stride);
    for (int y = 0; y < pixels.height; ++y) {
      std::memcpy(plane + static_cast<std::ptrdiff_t>(y) * stride, rowOf(pixels, y),
                  3 * static_cast<std::size_t>(pixels.width));
    }
    heif_writer writer{};
    writer.writer_api_version = 1;
    writer.write = [](heif_context*, const void* data, size_t size, void* into) {
      static_cast<std::string*>(into)->append(static_cast<const char*>(data), size);
      return heif_error{heif_error_Ok, heif_suberror_Unspecified, "ok"};
    };
    std::string written;
    if (ok(heif_context_encode_image(context, image, encoder, nullptr, nullptr)) &&
        ok(heif_context_write(context, &writer, &written))) {
      bytes = std::move(written);
    }
  }
  if (image) heif_image_release(image);
  if (encoder) heif_encoder_release(encoder);
  heif_context_free(context);
  heif_deinit();
  return bytes;
}

}  // namespace brivora::samples
