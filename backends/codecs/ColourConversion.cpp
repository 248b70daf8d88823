#include "backends/codecs/ColourConversion.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <optional>
#include <vector>

#include <lcms2.h>

#include "backends/codecs/ArgbWords.h"
#include "backends/codecs/MatrixShaper.h"

namespace brivora {

namespace {

// Transforms kept for the profiles seen most recently; a slideshow has only a few.
constexpr std::size_t transformCacheSize = 16;
// Grid steps of the colours a fast or skipped conversion is checked on, per channel.
constexpr int checkSteps = 17;
// How far a fast conversion may stray from LittleCMS's own, and a skipped one from the input,
// in 8-bit steps.
constexpr int fastTolerance = 1;
constexpr int identityTolerance = 1;

// ImagePixels words in memory: B, G, R, A bytes on a little-endian machine.
constexpr cmsUInt32Number argbWordFormat =
    std::endian::native == std::endian::little ? TYPE_BGRA_8 : TYPE_ARGB_8;

struct ProfileClose {
  void operator()(void* profile) const { cmsCloseProfile(profile); }
};
using Profile = std::unique_ptr<void, ProfileClose>;

struct ToneCurveFree {
  void operator()(cmsToneCurve* curve) const { cmsFreeToneCurve(curve); }
};
using ToneCurve = std::unique_ptr<cmsToneCurve, ToneCurveFree>;

struct TransformDelete {
  void operator()(void* transform) const { cmsDeleteTransform(transform); }
};
using Transform = std::unique_ptr<void, TransformDelete>;

struct LayoutFormat {
  cmsUInt32Number format;
  cmsColorSpaceSignature space;
  bool alpha;
};

LayoutFormat formatOf(SampleLayout layout) {
  switch (layout) {
    case SampleLayout::argb8:
      return {argbWordFormat, cmsSigRgbData, true};
    case SampleLayout::rgba8:
      return {TYPE_RGBA_8, cmsSigRgbData, true};
    case SampleLayout::rgba16:
      return {TYPE_RGBA_16, cmsSigRgbData, true};
    case SampleLayout::gray8:
      return {TYPE_GRAY_8, cmsSigGrayData, false};
    case SampleLayout::graya8:
      return {TYPE_GRAYA_8, cmsSigGrayData, true};
    case SampleLayout::graya16:
      return {TYPE_GRAYA_16, cmsSigGrayData, true};
    case SampleLayout::cmyk8:
      return {TYPE_CMYK_8, cmsSigCmykData, false};
    case SampleLayout::cmyk8Inverted:
      break;
  }
  return {TYPE_CMYK_8_REV, cmsSigCmykData, false};
}

std::string_view spaceName(cmsColorSpaceSignature space) {
  switch (space) {
    case cmsSigRgbData:
      return "an RGB";
    case cmsSigGrayData:
      return "a gray";
    case cmsSigCmykData:
      return "a CMYK";
    default:
      return "another kind of";
  }
}

std::uint64_t hashBytes(std::string_view bytes, std::uint64_t hash = 0xcbf29ce484222325u) {
  for (const char byte : bytes) {
    hash = (hash ^ static_cast<std::uint8_t>(byte)) * 0x100000001b3u;
  }
  return hash;
}

ToneCurve srgbCurve() {
  const cmsFloat64Number parameters[5] = {2.4, 1 / 1.055, 0.055 / 1.055, 1 / 12.92, 0.04045};
  return ToneCurve(cmsBuildParametricToneCurve(nullptr, 4, parameters));
}

Profile profileFromPrimaries(const Chromaticities& c, double gamma) {
  const cmsCIExyY white{c.whiteX, c.whiteY, 1};
  const cmsCIExyYTRIPLE primaries{
      {c.redX, c.redY, 1}, {c.greenX, c.greenY, 1}, {c.blueX, c.blueY, 1}};
  const ToneCurve curve = gamma > 0 ? ToneCurve(cmsBuildGamma(nullptr, gamma)) : srgbCurve();
  if (!curve) return nullptr;
  cmsToneCurve* curves[3] = {curve.get(), curve.get(), curve.get()};
  return Profile(cmsCreateRGBProfile(&white, &primaries, curves));
}

// The profile a tag stands for, or why there is none.
Profile openProfile(const ColourTag& tag, std::string& problem) {
  if (tag.kind == ColourTag::Kind::icc) {
    Profile profile(
        cmsOpenProfileFromMem(tag.icc.data(), static_cast<cmsUInt32Number>(tag.icc.size())));
    if (!profile) problem = "the profile is damaged";
    return profile;
  }
  Profile profile = profileFromPrimaries(tag.chromaticities, tag.gamma);
  if (!profile) problem = "its primaries or curve cannot make a profile";
  return profile;
}

Profile targetProfile(const ColourTarget& target) {
  if (target.displayProfile) {
    const std::string& icc = *target.displayProfile;
    if (Profile display{
            cmsOpenProfileFromMem(icc.data(), static_cast<cmsUInt32Number>(icc.size()))}) {
      return display;
    }
  }
  return Profile(cmsCreate_sRGBProfile());
}

Transform createTransform(void* source, cmsUInt32Number inputFormat, void* target, bool copyAlpha) {
  // No cache: one transform is used by several threads at once.
  cmsUInt32Number flags = cmsFLAGS_NOCACHE;
  if (copyAlpha) flags |= cmsFLAGS_COPY_ALPHA;
  return Transform(
      cmsCreateTransform(source, inputFormat, target, argbWordFormat, INTENT_PERCEPTUAL, flags));
}

// Every colour of a coarse grid as R, G, B bytes.
std::vector<std::uint8_t> gridColours() {
  std::vector<std::uint8_t> colours;
  for (int r = 0; r < checkSteps; ++r) {
    for (int g = 0; g < checkSteps; ++g) {
      for (int b = 0; b < checkSteps; ++b) {
        for (const int v : {r, g, b}) {
          colours.push_back(static_cast<std::uint8_t>(std::min(255, v * 256 / (checkSteps - 1))));
        }
      }
    }
  }
  return colours;
}

int largestDifference(std::span<const std::uint32_t> a, std::span<const std::uint32_t> b) {
  int largest = 0;
  for (std::size_t i = 0; i < a.size(); ++i) {
    for (int shift = 0; shift < 24; shift += 8) {
      const int difference =
          static_cast<int>((a[i] >> shift) & 0xFF) - static_cast<int>((b[i] >> shift) & 0xFF);
      largest = std::max(largest, std::abs(difference));
    }
  }
  return largest;
}

// The grid through LittleCMS, and as it would be without any conversion.
struct GridCheck {
  std::vector<std::uint8_t> rgba;
  std::vector<std::uint32_t> converted;
  std::vector<std::uint32_t> unchanged;
};

GridCheck checkGrid(void* source, void* target) {
  GridCheck check;
  const std::vector<std::uint8_t> rgb = gridColours();
  const std::size_t count = rgb.size() / 3;
  check.rgba.resize(count * 4, 255);
  check.unchanged.resize(count);
  for (std::size_t i = 0; i < count; ++i) {
    std::memcpy(&check.rgba[i * 4], &rgb[i * 3], 3);
    check.unchanged[i] = packArgb(255, rgb[i * 3], rgb[i * 3 + 1], rgb[i * 3 + 2]);
  }
  check.converted.assign(count, 0xFF000000u);
  if (const Transform transform = createTransform(source, TYPE_RGBA_8, target, false)) {
    cmsDoTransform(transform.get(), check.rgba.data(), check.converted.data(),
                   static_cast<cmsUInt32Number>(count));
  }
  return check;
}

const cmsCIEXYZ* colorant(void* profile, cmsTagSignature tag) {
  return static_cast<const cmsCIEXYZ*>(cmsReadTag(profile, tag));
}

const cmsToneCurve* curveTag(void* profile, cmsTagSignature tag) {
  return static_cast<const cmsToneCurve*>(cmsReadTag(profile, tag));
}

// The colorants as columns of a matrix from light to XYZ; none when a tag is missing.
std::optional<std::array<double, 9>> colorantMatrix(void* profile) {
  const cmsCIEXYZ* columns[3] = {colorant(profile, cmsSigRedColorantTag),
                                 colorant(profile, cmsSigGreenColorantTag),
                                 colorant(profile, cmsSigBlueColorantTag)};
  if (!columns[0] || !columns[1] || !columns[2]) return std::nullopt;
  std::array<double, 9> matrix{};
  for (std::size_t c = 0; c < 3; ++c) {
    matrix[c] = columns[c]->X;
    matrix[3 + c] = columns[c]->Y;
    matrix[6 + c] = columns[c]->Z;
  }
  return matrix;
}

std::optional<std::array<double, 9>> inverted(const std::array<double, 9>& m) {
  const double det = m[0] * (m[4] * m[8] - m[5] * m[7]) - m[1] * (m[3] * m[8] - m[5] * m[6]) +
                     m[2] * (m[3] * m[7] - m[4] * m[6]);
  if (!std::isfinite(det) || std::fabs(det) < 1e-9) return std::nullopt;
  return std::array<double, 9>{(m[4] * m[8] - m[5] * m[7]) / det, (m[2] * m[7] - m[1] * m[8]) / det,
                               (m[1] * m[5] - m[2] * m[4]) / det, (m[5] * m[6] - m[3] * m[8]) / det,
                               (m[0] * m[8] - m[2] * m[6]) / det, (m[2] * m[3] - m[0] * m[5]) / det,
                               (m[3] * m[7] - m[4] * m[6]) / det, (m[1] * m[6] - m[0] * m[7]) / det,
                               (m[0] * m[4] - m[1] * m[3]) / det};
}

// The fixed-point path between two matrix-shaper profiles, when both are and it agrees with
// LittleCMS on the grid.
std::optional<MatrixShaper> fastPath(void* source, void* target, const GridCheck& check) {
  if (!cmsIsMatrixShaper(source) || !cmsIsMatrixShaper(target) ||
      cmsGetColorSpace(source) != cmsSigRgbData || cmsGetColorSpace(target) != cmsSigRgbData) {
    return std::nullopt;
  }
  const auto toXyz = colorantMatrix(source);
  const auto targetToXyz = colorantMatrix(target);
  const auto fromXyz = targetToXyz ? inverted(*targetToXyz) : std::nullopt;
  const cmsTagSignature curveTags[3] = {cmsSigRedTRCTag, cmsSigGreenTRCTag, cmsSigBlueTRCTag};
  std::array<std::array<double, 256>, 3> toLight{};
  std::array<ToneCurve, 3> toValue;
  for (std::size_t c = 0; c < 3; ++c) {
    const cmsToneCurve* in = curveTag(source, curveTags[c]);
    const cmsToneCurve* out = curveTag(target, curveTags[c]);
    if (!in || !out) return std::nullopt;
    for (std::size_t v = 0; v < 256; ++v) {
      toLight[c][v] =
          cmsEvalToneCurveFloat(in, static_cast<cmsFloat32Number>(static_cast<double>(v) / 255));
    }
    toValue[c].reset(cmsReverseToneCurve(out));
    if (!toValue[c]) return std::nullopt;
  }
  if (!toXyz || !fromXyz) return std::nullopt;
  std::array<double, 9> matrix{};
  for (std::size_t row = 0; row < 3; ++row) {
    double magnitude = 0;
    for (std::size_t column = 0; column < 3; ++column) {
      for (std::size_t k = 0; k < 3; ++k) {
        matrix[row * 3 + column] += (*fromXyz)[row * 3 + k] * (*toXyz)[k * 3 + column];
      }
      magnitude += std::fabs(matrix[row * 3 + column]);
    }
    if (!(magnitude < MatrixShaper::largestRowSum)) return std::nullopt;
  }
  MatrixShaper shaper(toLight, matrix, [&](int c, double light) {
    return cmsEvalToneCurveFloat(toValue[static_cast<std::size_t>(c)].get(),
                                 static_cast<cmsFloat32Number>(light));
  });
  std::vector<std::uint32_t> fast(check.converted.size());
  shaper.convert(check.rgba.data(), fast.data(), fast.size(), true);
  if (largestDifference(fast, check.converted) > fastTolerance) return std::nullopt;
  return shaper;
}

void premultiplyInPlace(std::span<std::uint32_t> argb) {
  for (std::uint32_t& word : argb) {
    const std::uint32_t alpha = word >> 24;
    if (alpha == 255) continue;
    word = packArgb(alpha, premultiplied((word >> 16) & 0xFF, alpha),
                    premultiplied((word >> 8) & 0xFF, alpha), premultiplied(word & 0xFF, alpha));
  }
}

std::uint32_t to8(std::uint16_t sample) {
  return (std::uint32_t{sample} * 255 + 32767) / 65535;
}

// Packs samples into premultiplied ARGB words as they are: no conversion at all.
void repack(const void* samples, SampleLayout layout, std::span<std::uint32_t> argb) {
  const auto* bytes = static_cast<const std::uint8_t*>(samples);
  const auto* words = static_cast<const std::uint16_t*>(samples);
  for (std::size_t x = 0; x < argb.size(); ++x) {
    switch (layout) {
      case SampleLayout::argb8:
        break;
      case SampleLayout::rgba8:
        argb[x] =
            premultipliedArgb(bytes[x * 4], bytes[x * 4 + 1], bytes[x * 4 + 2], bytes[x * 4 + 3]);
        break;
      case SampleLayout::rgba16:
        argb[x] = premultipliedArgb(to8(words[x * 4]), to8(words[x * 4 + 1]), to8(words[x * 4 + 2]),
                                    to8(words[x * 4 + 3]));
        break;
      case SampleLayout::gray8:
        argb[x] = packArgb(255, bytes[x], bytes[x], bytes[x]);
        break;
      case SampleLayout::graya8:
        argb[x] = premultipliedArgb(bytes[x * 2], bytes[x * 2], bytes[x * 2], bytes[x * 2 + 1]);
        break;
      case SampleLayout::graya16: {
        const std::uint32_t gray = to8(words[x * 2]);
        argb[x] = premultipliedArgb(gray, gray, gray, to8(words[x * 2 + 1]));
        break;
      }
      case SampleLayout::cmyk8:
      case SampleLayout::cmyk8Inverted: {
        // How much light each ink lets through, 255 where there is none of it.
        std::uint32_t light[4];
        for (std::size_t c = 0; c < 4; ++c) {
          const std::uint32_t sample = bytes[x * 4 + c];
          light[c] = layout == SampleLayout::cmyk8Inverted ? sample : 255u - sample;
        }
        argb[x] = packArgb(255, premultiplied(light[0], light[3]),
                           premultiplied(light[1], light[3]), premultiplied(light[2], light[3]));
        break;
      }
    }
  }
  if (layout == SampleLayout::argb8) premultiplyInPlace(argb);
}

std::string profileDescription(const std::string& icc) {
  const Profile profile(
      cmsOpenProfileFromMem(icc.data(), static_cast<cmsUInt32Number>(icc.size())));
  if (!profile) return {};
  char text[256] = {};
  cmsGetProfileInfoASCII(profile.get(), cmsInfoDescription, "en", "US", text, sizeof text);
  return text;
}

}  // namespace

struct CompiledTransform {
  Transform lcms;
  std::optional<MatrixShaper> fast;
};

namespace {

// What the cache keeps for one profile, target and layout: the transform, or none (nothing to
// convert, or the profile cannot be used and `problem` says why).
struct CachedTransform {
  std::uint64_t key = 0;
  std::shared_ptr<const CompiledTransform> transform;
  std::string problem;
};

std::uint64_t keyOf(const ColourTag& tag, SampleLayout layout, const ColourTarget& target) {
  std::uint64_t key =
      hashBytes(tag.kind == ColourTag::Kind::icc ? std::string_view(tag.icc) : std::string_view{});
  if (tag.kind == ColourTag::Kind::primaries) {
    const double numbers[9] = {
        tag.chromaticities.whiteX, tag.chromaticities.whiteY, tag.chromaticities.redX,
        tag.chromaticities.redY,   tag.chromaticities.greenX, tag.chromaticities.greenY,
        tag.chromaticities.blueX,  tag.chromaticities.blueY,  tag.gamma};
    key = hashBytes(std::string_view(reinterpret_cast<const char*>(numbers), sizeof numbers), key);
  }
  const char kinds[2] = {static_cast<char>(tag.kind), static_cast<char>(layout)};
  key = hashBytes(std::string_view(kinds, 2), key);
  return target.displayProfile ? hashBytes(*target.displayProfile, key) : key;
}

CachedTransform compile(const ColourTag& tag, SampleLayout layout, const ColourTarget& target) {
  CachedTransform compiled;
  const LayoutFormat format = formatOf(layout);
  const Profile source = openProfile(tag, compiled.problem);
  if (!source) return compiled;
  if (cmsGetColorSpace(source.get()) != format.space) {
    compiled.problem = "it is " + std::string(spaceName(cmsGetColorSpace(source.get()))) +
                       " profile on " + std::string(spaceName(format.space)) + " image";
    return compiled;
  }
  const Profile destination = targetProfile(target);
  auto transform = std::make_shared<CompiledTransform>();
  transform->lcms = createTransform(source.get(), format.format, destination.get(), format.alpha);
  if (!transform->lcms) {
    compiled.problem = "the profile is damaged or of a kind LittleCMS cannot convert with";
    return compiled;
  }
  if (format.space == cmsSigRgbData) {
    const GridCheck check = checkGrid(source.get(), destination.get());
    // A profile that changes nothing (an embedded sRGB one, say) is not applied at all.
    if (largestDifference(check.converted, check.unchanged) <= identityTolerance) return compiled;
    if (layout == SampleLayout::argb8 || layout == SampleLayout::rgba8) {
      transform->fast = fastPath(source.get(), destination.get(), check);
    }
  }
  compiled.transform = std::move(transform);
  return compiled;
}

CachedTransform cachedTransform(const ColourTag& tag, SampleLayout layout,
                                const ColourTarget& target) {
  static std::mutex mutex;
  static std::vector<CachedTransform> cache;  // most recently used last
  const std::uint64_t key = keyOf(tag, layout, target);
  {
    const std::lock_guard lock(mutex);
    const auto found = std::find_if(cache.begin(), cache.end(),
                                    [key](const CachedTransform& each) { return each.key == key; });
    if (found != cache.end()) {
      std::rotate(found, found + 1, cache.end());
      return cache.back();
    }
  }
  // Built without the lock: another thread may build the same one, which costs only time.
  CachedTransform compiled = compile(tag, layout, target);
  compiled.key = key;
  const std::lock_guard lock(mutex);
  if (cache.size() >= transformCacheSize) cache.erase(cache.begin());
  cache.push_back(compiled);
  return compiled;
}

}  // namespace

RowConverter::RowConverter(const ColourTag& tag, SampleLayout layout, const ColourTarget& target)
    : layout_(layout), problem_(tag.problem) {
  if (!target.managed) return;
  const bool tagged = tag.kind == ColourTag::Kind::icc || tag.kind == ColourTag::Kind::primaries;
  if (tagged && problem_.empty()) {
    CachedTransform cached = cachedTransform(tag, layout, target);
    transform_ = std::move(cached.transform);
    problem_ = std::move(cached.problem);
    if (problem_.empty()) return;
  }
  // Untagged, said to be sRGB, or the tag ignored: sRGB, which only a display profile changes.
  if (!target.displayProfile || formatOf(layout).space != cmsSigRgbData) return;
  ColourTag srgb;
  srgb.kind = ColourTag::Kind::primaries;
  transform_ = cachedTransform(srgb, layout, target).transform;
}

void RowConverter::convert(const void* samples, std::span<std::uint32_t> argb) const {
  if (!transform_) {
    repack(samples, layout_, argb);
    return;
  }
  const bool alpha = formatOf(layout_).alpha;
  if (transform_->fast) {
    transform_->fast->convert(samples, argb.data(), argb.size(), layout_ == SampleLayout::rgba8);
  } else {
    // LittleCMS leaves the alpha byte alone where the input has none.
    if (!alpha) std::fill(argb.begin(), argb.end(), 0xFF000000u);
    cmsDoTransform(transform_->lcms.get(), samples, argb.data(),
                   static_cast<cmsUInt32Number>(argb.size()));
  }
  if (alpha) premultiplyInPlace(argb);
}

std::string_view iccColourSpace(std::string_view icc) {
  constexpr std::size_t spaceOffset = 16;
  return icc.size() >= spaceOffset + 4 ? icc.substr(spaceOffset, 4) : std::string_view{};
}

std::string describeImageColour(const ImageColour& colour) {
  ColourTag tag = colour.tag;
  tag.problem = RowConverter(colour.tag, colour.layout, ColourTarget{}).problem();
  return describeColourTag(tag);
}

std::string describeColourTag(const ColourTag& tag) {
  const std::string where = tag.origin.empty() ? "" : " (" + tag.origin + ")";
  if (!tag.problem.empty()) return "untagged, shown as sRGB: ignored" + where + ": " + tag.problem;
  switch (tag.kind) {
    case ColourTag::Kind::untagged:
      return "untagged, shown as sRGB";
    case ColourTag::Kind::srgb:
      return "sRGB" + where;
    case ColourTag::Kind::icc: {
      const std::string name = profileDescription(tag.icc);
      return "ICC profile" + (name.empty() ? "" : " \"" + name + "\"") + where;
    }
    case ColourTag::Kind::primaries:
      break;
  }
  if (!tag.name.empty()) return tag.name + where;
  const Chromaticities& c = tag.chromaticities;
  char text[200];
  std::snprintf(text, sizeof text,
                "primaries R %.4g,%.4g G %.4g,%.4g B %.4g,%.4g, white %.4g,%.4g, ", c.redX, c.redY,
                c.greenX, c.greenY, c.blueX, c.blueY, c.whiteX, c.whiteY);
  char curve[40];
  std::snprintf(curve, sizeof curve, "gamma %.3g", tag.gamma);
  return text + (tag.gamma > 0 ? std::string(curve) : std::string("sRGB curve")) + where;
}

}  // namespace brivora
