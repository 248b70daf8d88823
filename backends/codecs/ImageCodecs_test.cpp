// Decoding by signature, for every format: each kind of pixel, orientation, reduction, damaged
// and lying files; the reasons files do not decode, the image loader, and JPEG's packed
// coefficient buffers.
#include "backends/codecs/ImageCodecs.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <png.h>

#include <string>
#include <tuple>
#include <vector>

#include "backends/codecs/ExifOrientation.h"
#include "backends/codecs/HeifDecoder.h"
#include "backends/codecs/SparseCoefficients.h"
#include "tests/support/TempBundle.h"
#include "tests/support/TestImageFiles.h"

namespace brivora {
namespace {

using namespace brivora::testing;
using namespace std::string_literals;

// Sides that are no multiple of 8, so that JPEG's DCT scaling cannot reach the size alone.
TEST(DecodeImage, TurnsEachOrientationThenScalesDownToJustCoverTheBoxButNeverUp) {
  // JPEG's blocks and HEVC's 4:2:0 colour blur colours a little.
  const std::tuple<ImageFormat, const char*, int> formats[] = {{ImageFormat::jpeg, "JPEG", 12},
                                                               {ImageFormat::png, "PNG", 0},
                                                               {ImageFormat::heic, "HEIC", 14}};
  for (const auto& [format, name, tolerance] : formats) {
    // The quadrant picture as a file shown turned by `orientation`.
    const auto file = [&](int orientation) {
      return encodeImage(format, quadrantPicture(38, 22, quadrantColours), orientation)
          .value_or("");
    };
    if (file(1).empty()) continue;  // this libheif cannot write HEIC
    for (int orientation = 1; orientation <= 8; ++orientation) {
      // A box unlike the image: it must be covered by the image as shown, not as stored.
      const std::string bytes = file(orientation);
      const DecodedImage image = decodedOrFail(decodeImage(bytes, {5, 5}));
      const bool turned = orientation >= 5;
      SCOPED_TRACE(std::string(name) + ", orientation " + std::to_string(orientation));
      EXPECT_EQ(image.naturalSize, (turned ? Size{22, 38} : Size{38, 22}));
      // The header alone gives the size decoding does.
      EXPECT_EQ(probeImage(bytes), ImageHeader(image.naturalSize));
      EXPECT_EQ(sizeOf(image.pixels), (turned ? PixelSize{5, 9} : PixelSize{9, 5}));
      EXPECT_TRUE(showsCorners(image.pixels, shownCorners[orientation - 1], tolerance));
    }
    const DecodedImage whole = decodedOrFail(decodeImage(file(1), {1920, 1080}));
    EXPECT_EQ(sizeOf(whole.pixels), (PixelSize{38, 22})) << name;
    EXPECT_TRUE(showsCorners(whole.pixels, "RGBW", tolerance)) << name;
    // A header cut short is refused at once.
    EXPECT_TRUE(std::holds_alternative<DecodeFailure>(probeImage(file(1).substr(0, 12)))) << name;
  }
  EXPECT_EQ(probeImage("not an image at all"), ImageHeader(DecodeFailure::notAnImage));
}

// The orientation tag of damaged EXIF blocks: the decoders read every value in either byte order.
TEST(ExifOrientationTag, DamagedOrMissingTagsReadAsUpright) {
  const std::string good = exifPayload(6, true).substr(6);  // after "Exif\0\0"
  auto changed = [&](std::size_t offset, std::string bytes, std::string tiff = {}) {
    if (tiff.empty()) tiff = good;
    tiff.replace(offset, bytes.size(), bytes);
    return tiff;
  };
  const std::pair<const char*, std::string> rows[] = {
      {"no byte-order mark", "XX" + good.substr(2)},
      {"wrong magic number", changed(2, std::string("\0\x2B", 2))},
      {"directory past the end", changed(4, std::string("\0\0\xFF\xFF", 4))},
      {"orientation entry not counted", changed(8, std::string("\0\x01", 2))},
      {"more entries than bytes", changed(8, "\x7F\xFF", changed(22, "\x01\x13"))},
      {"cut inside the orientation entry", good.substr(0, 30)},
      {"value out of range", changed(30, std::string("\0\x09", 2))},
      {"value zero", changed(30, std::string("\0\0", 2))},
      {"not a number type", changed(24, std::string("\0\x02", 2))},
      {"no orientation tag", changed(22, std::string("\x01\x13", 2))},
  };
  for (const auto& [what, tiff] : rows) {
    EXPECT_EQ(orientationFromTiff(tiff), ExifOrientation::topLeft) << what;
  }
  // A tag written as a 4-byte LONG by lenient writers still counts.
  const std::string asLong =
      changed(24, std::string("\0\x04\0\0\0\x01", 6) + std::string("\0\0\0\x08", 4));
  EXPECT_EQ(orientationFromTiff(asLong), ExifOrientation::leftBottom);
}

// Two pixels side by side, as packed samples in one of libpng's formats.
std::string pngOf(png_uint_32 format, std::vector<std::uint8_t> samples,
                  std::vector<std::uint8_t> colourMap = {}) {
  return encodePngSamples(2, 1, format, samples.data(),
                          colourMap.empty() ? nullptr : colourMap.data(),
                          static_cast<int>(colourMap.size() / 4));
}

TEST(DecodeImage, EveryKindOfPixelComesOutAsPremultipliedArgb) {
  const Rgba orange{230, 140, 20};
  const Rgba orangeInks{255, 155, 22, 230};  // as Photoshop writes CMYK: the light let through
  const Rgba clear{0, 0, 0, 0};
  const Rgba halfRed{240, 30, 30, 128};
  const auto jpeg = [](Rgba stored, JpegOptions options) {
    return encodeJpeg(solidPicture(40, 24, stored), options);
  };
  // Linear light, premultiplied, as libpng writes 16 bits; gamma-encoded 8-bit after decoding.
  const std::uint16_t linear[] = {32768, 0, 0, 32768, 0, 0, 0, 0};
  const std::string png16 = encodePngSamples(2, 1, PNG_FORMAT_LINEAR_RGB_ALPHA, linear);
  struct Row {
    const char* what;
    std::optional<std::string> file;  // none: this libheif cannot write it
    Rgba first, second;               // the first pixel and the last
    int tolerance = 0;
  };
  const Row rows[] = {
      {"JPEG progressive", jpeg(orange, {.progressive = true}), orange, orange, 4},
      {"JPEG gray", jpeg(orange, {.colours = JpegColours::gray}), Rgba{153, 153, 153},
       Rgba{153, 153, 153}, 4},
      {"JPEG CMYK", jpeg(orangeInks, {.colours = JpegColours::cmyk}), orange, orange, 4},
      {"JPEG YCCK", jpeg(orangeInks, {.colours = JpegColours::ycck}), orange, orange, 4},
      {"PNG RGBA", pngOf(PNG_FORMAT_RGBA, {200, 100, 50, 128, 200, 100, 50, 0}),
       Rgba{200, 100, 50, 128}, clear},
      {"PNG RGB", pngOf(PNG_FORMAT_RGB, {1, 2, 3, 250, 251, 252}), Rgba{1, 2, 3},
       Rgba{250, 251, 252}},
      {"PNG gray and alpha", pngOf(PNG_FORMAT_GA, {0x80, 0x40, 0x80, 0xFF}),
       Rgba{128, 128, 128, 64}, Rgba{128, 128, 128}},
      {"PNG palette with transparency",
       pngOf(PNG_FORMAT_RGBA_COLORMAP, {1, 0}, {10, 20, 30, 255, 0, 0, 255, 0}), clear,
       Rgba{10, 20, 30}},
      {"PNG 16-bit", png16, Rgba{255, 0, 0, 128}, clear, 1},
      // HEVC compresses in 4:2:0 YCbCr even at high quality.
      {"HEIC with alpha", encodeHeic(solidPicture(32, 32, halfRed), 1, true), halfRed, halfRed, 14},
  };
  for (const Row& row : rows) {
    if (!row.file) continue;
    const DecodedImage image = decodedOrFail(decodeImage(*row.file, fullSize));
    const std::vector<std::uint32_t>& words = image.pixels.argb;
    if (words.empty()) continue;  // a failure already
    EXPECT_TRUE(showsColour(words.front(), row.first, row.tolerance)) << row.what;
    EXPECT_TRUE(showsColour(words.back(), row.second, row.tolerance)) << row.what;
    EXPECT_EQ(image.pixels.opaque, row.first.alpha == 255 && row.second.alpha == 255) << row.what;
  }
}

std::string_view outcome(const DecodeResult& result) {
  const auto* failure = std::get_if<DecodeFailure>(&result);
  return failure ? describeDecodeFailure(*failure) : "decoded";
}

// Files that stop after a header claiming this size.
std::string jpegClaiming(std::uint32_t width, std::uint32_t height) {
  return "\xFF\xD8\xFF\xC0\x00\x11\x08"s + bigEndian32(height).substr(2) +
         bigEndian32(width).substr(2) + "\x03\x01\x22\x00\x02\x11\x01\x03\x11\x01"s;
}
std::string pngClaiming(std::uint32_t width, std::uint32_t height) {
  // 8-bit RGBA, not interlaced
  return "\x89PNG\r\n\x1A\n"s +
         pngChunk("IHDR", bigEndian32(width) + bigEndian32(height) + "\x08\x06\x00\x00\x00"s);
}

// A HEIF file type box naming `brand` first.
std::string fileTypeBox(const std::string& brand) {
  return bigEndian32(24) + "ftyp" + brand + bigEndian32(0) + "mif1" + brand;
}

// The HEIC with its image-size properties (the grid's and its tiles') claiming another size.
std::string heicClaiming(std::string heic, std::uint32_t width, std::uint32_t height) {
  for (std::size_t at = heic.find("ispe"); at != std::string::npos;
       at = heic.find("ispe", at + 1)) {
    heic.replace(at + 8, 8, bigEndian32(width) + bigEndian32(height));  // after version, flags
  }
  return heic;
}

TEST(DecodeImage, DamagedOrLyingFilesFailWithTheirReason) {
  const Picture picture = quadrantPicture(64, 48, quadrantColours);
  const std::string jpeg = encodeJpeg(picture);
  const std::string progressive = encodeJpeg(picture, {.progressive = true});
  const std::string png = encodePng(picture);
  using enum DecodeFailure;
  std::vector<std::tuple<const char*, std::string, DecodeFailure>> rows = {
      {"text", "just some text, long enough to look at", notAnImage},
      {"QuickTime movie", fileTypeBox("qt  "), notAnImage},
      {"JPEG signature, then garbage", "\xFF\xD8\xFF" + std::string(500, 'Z'), corrupt},
      {"JPEG cut in the last rows", jpeg.substr(0, jpeg.size() - 60), corrupt},
      {"progressive JPEG cut", progressive.substr(0, progressive.size() / 2), corrupt},
      {"JPEG one row over the cap", jpegClaiming(10000, 10001), tooLarge},
      {"JPEG at the cap, but no data", jpegClaiming(10000, 10000), corrupt},
      {"PNG signature, then garbage", "\x89PNG\r\n\x1A\n" + std::string(300, 'Z'), corrupt},
      {"PNG cut in the data", png.substr(0, png.size() / 2), corrupt},
      {"PNG of 65536 x 65537, 65536 pixels in 32 bits", pngClaiming(65536, 65537), tooLarge},
      {"PNG one row over the cap", pngClaiming(10000, 10001), tooLarge},
      {"PNG wider than libpng takes", pngClaiming(0xFFFFFFFF, 1000), tooLarge},
      {"PNG at the cap, but no data", pngClaiming(10000, 10000), corrupt},
      {"HEIC file type, then garbage", fileTypeBox("heic") + std::string(400, '\x07'), corrupt},
  };
  if (const std::optional<std::string> heic = encodeHeic(picture)) {
    rows.push_back({"HEIC cut in the boxes", heic->substr(0, 200), corrupt});
    rows.push_back({"HEIC cut in the data", heic->substr(0, heic->size() - 40), corrupt});
    rows.push_back({"HEIC of 65536 x 65537", heicClaiming(*heic, 65536, 65537), tooLarge});
    rows.push_back({"HEIC one row over the cap", heicClaiming(*heic, 10000, 10001), tooLarge});
  }
  for (const auto& [what, bytes, expected] : rows) {
    EXPECT_EQ(outcome(decodeImage(bytes, fullSize)), describeDecodeFailure(expected)) << what;
  }
}

TEST(ImageFiles, AreKnownByTheirBytesNotTheirNamesAndUnreadableOnesRefused) {
  TempBundle folder;
  const Picture picture = quadrantPicture(40, 20, quadrantColours);
  folder.write("jpeg.png", encodeJpeg(picture));
  folder.write("png.heic", encodePng(picture));
  folder.write("empty.jpg", "");
  folder.makeFolder("folder.png");
  ASSERT_EQ(mkfifo((folder.folder() / "pipe.jpg").c_str(), 0600), 0);
  const std::string_view unreadable = describeDecodeFailure(DecodeFailure::unreadable);
  const std::pair<const char*, std::string_view> rows[] = {
      {"jpeg.png", "decoded"},   {"png.heic", "decoded"},    {"missing.jpg", unreadable},
      {"empty.jpg", unreadable}, {"folder.png", unreadable}, {"pipe.jpg", unreadable},
  };
  for (const auto& [name, expected] : rows) {
    EXPECT_EQ(outcome(decodeImageFile(folder.folder() / name, fullSize)), expected) << name;
  }
  // HEIF boxes are read from the file where libheif asks; the answer must match the bytes'.
  const std::optional<std::string> heic =
      encodeImage(ImageFormat::heic, quadrantPicture(64, 32, quadrantColours), 6);
  if (!heic) GTEST_SKIP() << "libheif has no HEVC encoder here to make test files with";
  folder.write("turned.heic", *heic);
  folder.write("cut.heic", heic->substr(0, heic->size() / 3));
  EXPECT_EQ(probeHeifFile(folder.folder() / "turned.heic"), ImageHeader(Size{32, 64}));
  EXPECT_TRUE(std::holds_alternative<DecodeFailure>(probeHeifFile(folder.folder() / "cut.heic")));
  for (const char* name : {"pipe.jpg", "missing.jpg"}) {
    EXPECT_EQ(probeHeifFile(folder.folder() / name), ImageHeader(DecodeFailure::unreadable))
        << name;
  }
}

TEST(LoadImage, GivesTheNaturalSizeAndCoverPixelsOrNone) {
  TempBundle folder;
  const std::filesystem::path turned = folder.folder() / "turned.jpg";
  folder.write("turned.jpg",
               *encodeImage(ImageFormat::jpeg, quadrantPicture(640, 320, quadrantColours), 6));
  // Many loads dropped before their turn, then one kept: the kept one still arrives.
  for (int dropped = 0; dropped < 50; ++dropped) EXPECT_TRUE(loadImage(turned, {16, 16}));
  const std::unique_ptr<Image> image = loadImage(turned, {16, 16});
  ASSERT_TRUE(image && image->pixels());
  EXPECT_EQ(image->size(), (Size{320, 640}));
  EXPECT_EQ(sizeOf(*image->pixels()), (PixelSize{16, 32}));
  EXPECT_FALSE(loadImage(folder.folder() / "missing.png", {16, 16}));

  // Damaged past its header: an image comes back at once, its pixels never do.
  const std::string png = encodePng(quadrantPicture(64, 32, quadrantColours));
  folder.write("cut.png", png.substr(0, png.size() / 2));
  const std::unique_ptr<Image> cut = loadImage(folder.folder() / "cut.png", {16, 16});
  ASSERT_TRUE(cut);
  EXPECT_EQ(cut->size(), (Size{64, 32}));
  EXPECT_TRUE(cut->failedToDecode());
}

// Smooth colour fields, or noise whose coefficients need 16 bits.
Picture smoothOrNoisy(int width, int height, bool noisy) {
  Picture made{width, height, {}};
  std::uint32_t state = 7;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      state = state * 1664525u + 1013904223u;
      const auto noise = static_cast<std::uint8_t>(noisy ? state >> 24 : 0);
      made.pixels.push_back(Rgba{static_cast<std::uint8_t>(x * 255 / width ^ noise),
                                 static_cast<std::uint8_t>(y * 255 / height),
                                 static_cast<std::uint8_t>((x + y) % 256 | noise)});
    }
  }
  return made;
}

// The RGB rows libjpeg gives at `eighths`/8 of the size, its buffers packed when `packed`.
std::vector<JSAMPLE> decoded(const std::string& jpeg, unsigned eighths, bool packed) {
  jpeg_decompress_struct info{};
  jpeg_error_mgr errors{};
  info.err = jpeg_std_error(&errors);
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(jpeg.data()), jpeg.size());
  jpeg_read_header(&info, TRUE);
  info.scale_num = eighths;
  info.scale_denom = 8;
  info.out_color_space = JCS_RGB;
  SparseCoefficients store;
  if (packed) store.install(info, 0);
  jpeg_start_decompress(&info);
  std::vector<JSAMPLE> pixels(std::size_t{info.output_width} * info.output_height * 3);
  while (info.output_scanline < info.output_height) {
    JSAMPROW row = &pixels[std::size_t{info.output_scanline} * info.output_width * 3];
    jpeg_read_scanlines(&info, &row, 1);
  }
  // More rows than libjpeg works on at a time: some were packed and unpacked again.
  EXPECT_TRUE(!packed || store.packedBytes() > 0);
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  return pixels;
}

// Progressive JPEGs decoded by libjpeg with its coefficient buffers packed, against the same
// files decoded by libjpeg alone.
TEST(SparseCoefficients, PackedBuffersDecodeToTheSamePixels) {
  const struct {
    const char* what;
    int width, height;
    bool noisy;
    unsigned eighths;
  } cases[] = {
      {"smooth, full size", 203, 117, false, 8},
      {"noisy, full size", 96, 190, true, 8},
      {"noisy, scaled to 3/8", 203, 117, true, 3},
  };
  for (const auto& c : cases) {
    const std::string jpeg =
        encodeJpeg(smoothOrNoisy(c.width, c.height, c.noisy), {.progressive = true});
    EXPECT_EQ(decoded(jpeg, c.eighths, true), decoded(jpeg, c.eighths, false)) << c.what;
  }
}

}  // namespace
}  // namespace brivora
