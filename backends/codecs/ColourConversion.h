#pragma once

// Converting decoded rows from a file's colours to the target's, with LittleCMS.
#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "backends/codecs/ColourTag.h"
#include "backends/codecs/ColourTarget.h"

namespace brivora {

// How a decoder lays out the samples of one row it hands over. Alpha is straight (not
// premultiplied); 16-bit samples are native words over the full range 0...65535.
enum class SampleLayout {
  argb8,          // ImagePixels words, converted in place
  rgba8,          // R, G, B, A bytes
  rgba16,         // R, G, B, A words
  gray8,          // one byte a pixel, opaque
  graya8,         // gray, alpha bytes
  graya16,        // gray, alpha words
  cmyk8,          // C, M, Y, K bytes, 0 for no ink
  cmyk8Inverted,  // the same with 255 for no ink, as Photoshop writes CMYK JPEGs
};

struct CompiledTransform;

// Turns rows in a file's colours into premultiplied ARGB words in the target's colours. The
// transform is built once per profile, target and layout and shared (LittleCMS work happens
// here, on the decoding thread). A tag that cannot be used (a damaged profile, a profile for
// another kind of image, an HDR transfer) is ignored: the rows are taken as sRGB, and
// `problem()` says why. Rows without a tag, or said to be sRGB, going to sRGB are only
// repacked. Thread-safe once made.
class RowConverter {
 public:
  RowConverter(const ColourTag& tag, SampleLayout layout, const ColourTarget& target);

  // Converts one row of `argb.size()` pixels; for argb8, `samples` may be `argb.data()`.
  void convert(const void* samples, std::span<std::uint32_t> argb) const;

  // Whether the numbers change on the way (false when only repacked).
  bool converts() const { return transform_ != nullptr; }

  // Why the file's tag was ignored; empty when it was used or there was none.
  const std::string& problem() const { return problem_; }

 private:
  SampleLayout layout_;
  std::shared_ptr<const CompiledTransform> transform_;
  std::string problem_;
};

// What a decoder found of an image's colours from its header: the tag, and the layout it would
// hand rows over in.
struct ImageColour {
  ColourTag tag;
  SampleLayout layout = SampleLayout::argb8;
};

// The ICC profile's colour space signature ("RGB ", "GRAY", "CMYK"), from its header.
std::string_view iccColourSpace(std::string_view icc);

// What `tag` says, in a few words for people: "ICC profile \"Display P3\" (colr prof)",
// "sRGB (sRGB)", "untagged, shown as sRGB", "Adobe RGB (EXIF colour space)"; an ignored tag
// says why.
std::string describeColourTag(const ColourTag& tag);

// What `colour` says, with the reason when its tag cannot be used for its layout.
std::string describeImageColour(const ImageColour& colour);

}  // namespace brivora
