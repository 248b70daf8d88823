// Wallpapers tagged with real profiles come out as LittleCMS converts them; untagged and sRGB
// files are left as they are; damaged profiles never stop a wallpaper from showing.
#include "backends/codecs/ColourConversion.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include <lcms2.h>
#include <png.h>

#include "backends/codecs/ImageCodecs.h"
#include "backends/codecs/PngChunks.h"
#include "tests/support/ShellCommand.h"
#include "tests/support/TempBundle.h"
#include "tests/support/TestImageFiles.h"

namespace brivora {
namespace {

using namespace brivora::testing;

constexpr int tolerance = 3;
constexpr Rgba stored{200, 60, 30};
constexpr Chromaticities displayP3{0.3127, 0.3290, 0.680, 0.320, 0.265, 0.690, 0.150, 0.060};
const ColourTarget unmanaged{.managed = false, .displayProfile = nullptr};

// An RGB profile LittleCMS makes from primaries and a decoding gamma (0: the sRGB curve).
std::string madeProfile(const Chromaticities& c, double gamma) {
  const cmsCIExyY white{c.whiteX, c.whiteY, 1};
  const cmsCIExyYTRIPLE primaries{
      {c.redX, c.redY, 1}, {c.greenX, c.greenY, 1}, {c.blueX, c.blueY, 1}};
  const cmsFloat64Number srgb[5] = {2.4, 1 / 1.055, 0.055 / 1.055, 1 / 12.92, 0.04045};
  cmsToneCurve* curve =
      gamma > 0 ? cmsBuildGamma(nullptr, gamma) : cmsBuildParametricToneCurve(nullptr, 4, srgb);
  cmsToneCurve* curves[3] = {curve, curve, curve};
  cmsHPROFILE profile = cmsCreateRGBProfile(&white, &primaries, curves);
  cmsUInt32Number size = 0;
  cmsSaveProfileToMem(profile, nullptr, &size);
  std::string bytes(size, '\0');
  cmsSaveProfileToMem(profile, bytes.data(), &size);
  cmsCloseProfile(profile);
  cmsFreeToneCurve(curve);
  return bytes;
}

// transicc's conversion (perceptual, as the decoders convert) of one colour from the profile
// `input` to `output` (profile bytes; empty for its built-in sRGB), rounded and clamped to
// 0...255. `values` are in transicc's scale: 0...255 for RGB and gray, 0...100 for CMYK. None
// when transicc (liblcms2-utils) is missing.
std::optional<std::array<int, 3>> transiccColour(const std::string& input,
                                                 const std::string& output,
                                                 const std::vector<double>& values) {
  // transicc reads profiles from files; its built-in sRGB stands for an empty one.
  const TempBundle folder;
  folder.write("input.icc", input);
  folder.write("output.icc", output);
  const auto name = [&](const std::string& icc, const char* file) {
    return icc.empty() ? std::string("*sRGB") : (folder.folder() / file).string();
  };
  std::ostringstream line;
  for (const double value : values) line << value << ' ';
  const ShellResult result = runShell("echo " + shellQuoted(line.str()) + " | transicc -n -t0 -i " +
                                      shellQuoted(name(input, "input.icc")) + " -o " +
                                      shellQuoted(name(output, "output.icc")) + " 2>/dev/null");
  // The last line holds the converted values.
  std::istringstream out(
      result.out.substr(result.out.find_last_of('\n', result.out.size() - 2) + 1));
  std::array<int, 3> colour{};
  for (int& channel : colour) {
    double value = 0;
    if (!(out >> value)) return std::nullopt;
    channel = static_cast<int>(std::lround(std::clamp(value, 0.0, 255.0)));
  }
  return colour;
}

// The PNG without the sRGB, gAMA and cHRM chunks libpng writes, with `chunks` after its header
// chunk.
std::string pngWith(const std::string& png, const std::string& chunks = {}) {
  std::string result = png.substr(0, 8);
  std::size_t rest = 8;
  for (const PngChunk& chunk : headerChunks(png)) {
    if (chunk.type != "sRGB" && chunk.type != "gAMA" && chunk.type != "cHRM") {
      result += pngChunk(chunk.type, chunk.data) + (chunk.type == "IHDR" ? chunks : "");
    }
    rest = static_cast<std::size_t>(chunk.data.data() + chunk.data.size() + 4 - png.data());
  }
  return result + png.substr(rest);
}

std::string iccpChunk(const std::string& icc) {
  uLongf size = compressBound(static_cast<uLong>(icc.size()));
  std::string compressed(size, '\0');
  compress(reinterpret_cast<Bytef*>(compressed.data()), &size,
           reinterpret_cast<const Bytef*>(icc.data()), static_cast<uLong>(icc.size()));
  compressed.resize(size);
  return pngChunk("iCCP", std::string("ICC\0\0", 5) + compressed);
}

// The profile as APP2 payloads in `parts` parts (more when a marker could not hold them),
// numbered 1 up, written last part first when `reversed`; `keep` of them are written.
std::vector<std::string> iccMarkers(const std::string& icc, int parts, bool reversed = false,
                                    int keep = -1) {
  constexpr std::size_t largestPart = 65000;
  parts = std::max(parts, static_cast<int>((icc.size() + largestPart - 1) / largestPart));
  std::vector<std::string> markers;
  const std::size_t step = (icc.size() + parts - 1) / static_cast<std::size_t>(parts);
  for (int part = 0; part < parts; ++part) {
    markers.push_back(std::string("ICC_PROFILE\0", 12) + static_cast<char>(part + 1) +
                      static_cast<char>(parts) +
                      icc.substr(static_cast<std::size_t>(part) * step, step));
  }
  if (reversed) std::reverse(markers.begin(), markers.end());
  if (keep >= 0) markers.resize(static_cast<std::size_t>(keep));
  return markers;
}

// The red, green and blue of the decoded image's middle pixel.
std::vector<double> middleRgb(const DecodeResult& result) {
  const std::vector<std::uint32_t> argb = decodedOrFail(result).pixels.argb;
  const std::uint32_t word = argb.empty() ? 0 : argb[argb.size() / 2];
  return {1.0 * (word >> 16 & 0xFF), 1.0 * (word >> 8 & 0xFF), 1.0 * (word & 0xFF)};
}

std::string jpegOf(const Picture& picture, std::vector<std::string> app2, std::string app1 = {}) {
  return encodeJpeg(picture, {.app1 = std::move(app1), .app2 = std::move(app2)});
}

// Debian's profiles (icc-profiles-free and Ghostscript's libgs-common) and transicc
// (liblcms2-utils), and a file's pixels in one colour.
class ImageColours : public ::testing::Test {
 protected:
  void SetUp() override {
    if (adobe.empty() || srgb.empty() || linear.empty() || cmyk.empty() || gray.empty() ||
        !transiccColour({}, {}, {1, 2, 3})) {
      GTEST_SKIP() << "needs icc-profiles-free, libgs-common and liblcms2-utils";
    }
  }

  const std::string adobe = readText("/usr/share/color/icc/compatibleWithAdobeRGB1998.icc");
  const std::string srgb = readText("/usr/share/color/icc/sRGB.icc");
  const std::string linear = readText("/usr/share/color/icc/ghostscript/scrgb.icc");
  const std::string cmyk = readText("/usr/share/color/icc/ghostscript/default_cmyk.icc");
  const std::string gray = readText("/usr/share/color/icc/ghostscript/sgray.icc");
  const Picture solid = solidPicture(16, 16, stored);
};

TEST_F(ImageColours, TaggedFilesComeOutAsLittleCmsConvertsThem) {
  const auto png = [&](const std::string& chunks) { return pngWith(encodePng(solid), chunks); };
  const std::string p3 = madeProfile(displayP3, 0);
  const std::string gamma18 = madeProfile(adobeRgbChromaticities, 1.8);
  std::string chrm;
  for (std::uint32_t value : {31270, 32900, 64000, 33000, 21000, 71000, 15000, 6000}) {
    chrm += bigEndian32(value);
  }
  const std::string gamaChrm = pngChunk("gAMA", bigEndian32(55556)) + pngChunk("cHRM", chrm);
  const double fromLinear[] = {160 * 255.0 / 65535, 1000 * 255.0 / 65535, 20000 * 255.0 / 65535};
  const std::vector<double> darkest(3, 2 * 255.0 / 1023);
  struct Row {
    const char* what;
    std::optional<std::string> file;   // none: this libheif cannot write it
    std::string source;                // the profile the file's numbers are in; empty for sRGB
    std::string says = {};             // part of what describeImageColours says
    std::vector<double> numbers = {};  // transicc's input; empty: the numbers as decoded
    std::string display = {};          // the target profile; empty for sRGB
  };
  // The light each ink lets through, as Photoshop writes CMYK: 20 % cyan, 70 % magenta, 90 %
  // yellow, 10 % black.
  const std::string cmykJpeg =
      encodeJpeg(solidPicture(16, 16, {204, 77, 26, 230}),
                 {.colours = JpegColours::cmyk, .app2 = iccMarkers(cmyk, 1)});
  const std::uint8_t grays[] = {128, 128};
  const std::string grayPng =
      pngWith(encodePngSamples(2, 1, PNG_FORMAT_GRAY, grays), iccpChunk(gray));
  const std::uint16_t linearSamples[] = {160, 1000, 20000, 160, 1000, 20000};
  const std::string linearPng =
      pngWith(encodePngSamples(2, 1, PNG_FORMAT_LINEAR_RGB, linearSamples), iccpChunk(linear));
  const std::optional<std::string> linearHeic =
      encodeHeic(solidPicture(16, 16, {2, 2, 2}), 1, false, {.icc = linear, .bits = 10});
  const std::optional<std::string> p3Heic =
      encodeHeic(solid, 1, false, {.nclxPrimaries = 12, .nclxTransfer = 13});
  const Row rows[] = {
      {"PNG iCCP", png(iccpChunk(adobe)), adobe, "ICC profile"},
      {"JPEG APP2, three parts, last first", jpegOf(solid, iccMarkers(adobe, 3, true)), adobe,
       "(APP2 ICC_PROFILE)"},
      {"HEIC colr prof", encodeHeic(solid, 1, false, {.icc = adobe}), adobe, "colr prof"},
      {"HEIC colr nclx, Display P3", p3Heic, p3, "Display P3"},
      {"PNG gAMA and cHRM", png(gamaChrm), gamma18, "gAMA and cHRM"},
      {"JPEG EXIF uncalibrated, R03", jpegOf(solid, {}, exifPayload(1, false, 0xFFFF, "R03")),
       adobe, "Adobe RGB (EXIF colour space)"},
      {"JPEG CMYK, inverted, APP2", cmykJpeg, cmyk, "", {20, 70, 90, 10}},
      {"PNG gray with a gray profile", grayPng, gray, "", {128}},
      // Values so dark that rounding them to 8 bits before converting would show.
      {"16-bit PNG in linear light", linearPng, linear, "", {fromLinear, fromLinear + 3}},
      {"10-bit HEIC in linear light", linearHeic, linear, "", darkest},
      {"untagged PNG to an Adobe RGB display", png({}), {}, "", {}, adobe},
  };
  for (const Row& row : rows) {
    if (!row.file) continue;
    const ColourTarget target =
        row.display.empty() ? ColourTarget{} : ColourTarget::forDisplay(row.display);
    const DecodeResult converted = decodeImage(*row.file, fullSize, target);
    EXPECT_EQ(decodedOrFail(converted).colourProblem, "") << row.what;
    const std::optional<std::array<int, 3>> expected = transiccColour(
        row.source, row.display,
        row.numbers.empty() ? middleRgb(decodeImage(*row.file, fullSize, unmanaged)) : row.numbers);
    ASSERT_TRUE(expected) << row.what;
    const std::vector<double> shown = middleRgb(converted);
    for (std::size_t c = 0; c < 3; ++c) {
      EXPECT_NEAR(shown[c], (*expected)[c], tolerance) << row.what << ", channel " << c;
    }
    EXPECT_NE(describeImageColours(*row.file).value_or("").find(row.says), std::string::npos)
        << row.what << ": " << describeImageColours(*row.file).value_or("(none)");
  }
}

// Untagged and sRGB files report no problem, damaged profiles what is wrong with them; either
// way the pixels are as they are without colour management.
TEST_F(ImageColours, UntaggedSrgbAndDamagedFilesAreLeftAsTheyAre) {
  const std::string png = pngWith(encodePng(solid));
  const std::string truncated = adobe.substr(0, adobe.size() / 2);
  const struct {
    const char* what;
    std::optional<std::string> file;
    std::string_view problem;
  } rows[] = {
      {"untagged PNG", png, ""},
      {"PNG sRGB", pngWith(png, pngChunk("sRGB", std::string(1, '\0'))), ""},
      {"PNG gAMA 1/2.2", pngWith(png, pngChunk("gAMA", bigEndian32(45455))), ""},
      {"JPEG with an sRGB profile", jpegOf(solid, iccMarkers(srgb, 1)), ""},
      {"JPEG EXIF sRGB", jpegOf(solid, {}, exifPayload(1, false, 1, "R98")), ""},
      {"HEIC as libheif writes it", encodeHeic(solid), ""},
      {"HEIC nclx BT.709", encodeHeic(solid, 1, false, {.nclxPrimaries = 1, .nclxTransfer = 1}),
       ""},
      {"JPEG missing a part", jpegOf(solid, iccMarkers(adobe, 3, false, 2)), "2 of its 3 parts"},
      {"JPEG part numbered past the count",
       jpegOf(solid, {std::string("ICC_PROFILE\0\x03\x02", 14) + adobe}), "numbered"},
      {"JPEG profile cut short", jpegOf(solid, iccMarkers(truncated, 1)), "damaged"},
      {"JPEG CMYK profile on RGB", jpegOf(solid, iccMarkers(cmyk, 1)), "CMYK profile on an RGB"},
      {"PNG iCCP that does not inflate",
       pngWith(png, pngChunk("iCCP", std::string("ICC\0\0", 5) + "not zlib")), "damaged"},
      {"HEIC profile cut short", encodeHeic(solid, 1, false, {.icc = truncated}), "damaged"},
      {"HEIC PQ curve", encodeHeic(solid, 1, false, {.nclxPrimaries = 9, .nclxTransfer = 16}),
       "HDR"},
  };
  for (const auto& [what, file, problem] : rows) {
    if (!file) continue;
    const DecodedImage managed = decodedOrFail(decodeImage(*file, fullSize));
    EXPECT_EQ(managed.pixels.argb,
              decodedOrFail(decodeImage(*file, fullSize, unmanaged)).pixels.argb)
        << what;
    EXPECT_EQ(managed.colourProblem.empty(), problem.empty()) << what;
    EXPECT_NE(managed.colourProblem.find(problem), std::string::npos)
        << what << ": \"" << managed.colourProblem << "\"";
    const std::string said = describeImageColours(*file).value_or("");
    EXPECT_EQ(said.find("ignored") != std::string::npos, !problem.empty()) << what << ": " << said;
  }
  // A profile damaged past its header may still open; the file must decode either way.
  std::string scrambled = adobe;
  for (std::size_t at = 128; at < scrambled.size(); at += 7) scrambled[at] = '\x5A';
  decodedOrFail(decodeImage(pngWith(png, iccpChunk(scrambled)), fullSize));
}

}  // namespace
}  // namespace brivora
