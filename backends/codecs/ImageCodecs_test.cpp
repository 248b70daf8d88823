// Decoding files by their signature, the reasons files do not decode, and the image loader.
#include "backends/codecs/ImageCodecs.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <string>

#include "tests/support/TempBundle.h"
#include "tests/support/TestImageFiles.h"

namespace brivora {
namespace {

using namespace brivora::testing;
using namespace std::string_literals;

TEST(DecodeImageFile, ChoosesTheDecoderByTheBytesNotTheName) {
  TempBundle folder;
  const Picture picture = quadrantPicture(40, 20, quadrantColours);
  folder.write("png-named.jpg", encodePng(picture));
  folder.write("jpeg-named.png", encodeJpeg(picture));
  folder.write("no-extension", encodePng(picture));
  std::vector<std::string> names = {"png-named.jpg", "jpeg-named.png", "no-extension"};
  if (const std::optional<std::string> heic = encodeHeic(picture)) {
    folder.write("heic-named.jpeg", *heic);
    names.push_back("heic-named.jpeg");
  }
  for (const std::string& name : names) {
    DecodeResult result = decodeImageFile(folder.folder() / name, {20, 10});
    ASSERT_TRUE(std::holds_alternative<DecodedImage>(result)) << name;
    const DecodedImage& image = std::get<DecodedImage>(result);
    EXPECT_EQ(image.naturalSize, (Size{40, 20})) << name;
    EXPECT_EQ(image.pixels.width, 20) << name;
    EXPECT_TRUE(showsCorners(image.pixels, "RGBW", 14)) << name;
  }
}

TEST(DecodeImageFile, NamesWhyAFileDoesNotDecode) {
  TempBundle folder;
  folder.write("empty.jpg", "");
  folder.write("notes.jpg", "just some text, long enough to look at");
  folder.write("anim.gif", "GIF89a\x01\x00\x01\x00"s);
  folder.write("movie.heic",
               "\x00\x00\x00\x18"
               "ftypqt  \x00\x00\x00\x00qt  "s);
  folder.write("broken.jpg", "\xFF\xD8\xFF\xE0 and then nothing that decodes"s);
  folder.write("broken.png", "\x89PNG\r\n\x1A\n"s + std::string(40, '\0'));
  folder.makeFolder("folder.png");
  ASSERT_EQ(mkfifo((folder.folder() / "pipe.jpg").c_str(), 0600), 0);
  const std::pair<const char*, DecodeFailure> rows[] = {
      {"missing.jpg", DecodeFailure::unreadable}, {"empty.jpg", DecodeFailure::unreadable},
      {"folder.png", DecodeFailure::unreadable},  {"pipe.jpg", DecodeFailure::unreadable},
      {"notes.jpg", DecodeFailure::notAnImage},   {"anim.gif", DecodeFailure::notAnImage},
      {"movie.heic", DecodeFailure::notAnImage},  {"broken.jpg", DecodeFailure::corrupt},
      {"broken.png", DecodeFailure::corrupt},
  };
  for (const auto& [name, expected] : rows) {
    const DecodeResult result = decodeImageFile(folder.folder() / name, {64, 64});
    ASSERT_TRUE(std::holds_alternative<DecodeFailure>(result)) << name;
    EXPECT_EQ(std::get<DecodeFailure>(result), expected) << name;
  }
}

TEST(LoadImage, GivesTheNaturalSizeAndCoverPixelsOrNone) {
  TempBundle folder;
  folder.write("turned.jpg", encodeJpeg(quadrantPicture(64, 32, quadrantColours),
                                        {.app1 = exifPayload(6, false)}));
  folder.write("broken.png", "\x89PNG\r\n\x1A\n"s);
  const std::unique_ptr<Image> image = loadImage(folder.folder() / "turned.jpg", {16, 16});
  ASSERT_TRUE(image);
  EXPECT_EQ(image->size(), (Size{32, 64}));
  EXPECT_EQ(image->path(), folder.folder() / "turned.jpg");
  ASSERT_TRUE(image->pixels());
  EXPECT_EQ(image->pixels()->width, 16);
  EXPECT_EQ(image->pixels()->height, 32);
  EXPECT_FALSE(loadImage(folder.folder() / "broken.png", {16, 16}));
  EXPECT_FALSE(loadImage(folder.folder() / "missing.png", {16, 16}));
}

}  // namespace
}  // namespace brivora
