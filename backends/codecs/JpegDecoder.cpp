#include "backends/codecs/JpegDecoder.h"

#include <bit>
#include <csetjmp>
#include <cstdio>
#include <optional>
#include <vector>

#include <jerror.h>
#include <jpeglib.h>

#include "backends/codecs/ColourConversion.h"
#include "backends/codecs/CoverSize.h"
#include "backends/codecs/DecodeCancellation.h"
#include "backends/codecs/ExifColourSpace.h"
#include "backends/codecs/ExifOrientation.h"
#include "backends/codecs/IccSegments.h"
#include "backends/codecs/PixelReduction.h"
#include "backends/codecs/SparseCoefficients.h"

namespace brivora {

namespace {

// libjpeg scales in eighths while decoding, from 1/8 to 8/8.
constexpr int dctScaleDenominator = 8;
// A progressive file with more scans than this is hostile: each scan redoes the whole image.
constexpr int maxProgressiveScans = 500;
constexpr int markerExif = JPEG_APP0 + 1;
constexpr int markerIcc = JPEG_APP0 + 2;
constexpr unsigned int maxMarkerBytes = 0xFFFF;

// libjpeg's error manager with the place to jump back to; libjpeg sees the first member.
struct JpegErrors {
  jpeg_error_mgr manager;
  std::jmp_buf jump;
};

[[noreturn]] void abandonDecoding(j_common_ptr info) {
  std::longjmp(reinterpret_cast<JpegErrors*>(info->err)->jump, 1);
}

// Warnings (level -1) pass silently, except data ending early: the file was cut short.
void onMessage(j_common_ptr info, int level) {
  if (level < 0 && info->err->msg_code == JWRN_JPEG_EOF) abandonDecoding(info);
}

void printNothing(j_common_ptr) {}

// libjpeg calls it for every row and every progressive scan: the place to give up early.
void watchProgress(j_common_ptr info) {
  if (reinterpret_cast<j_decompress_ptr>(info)->input_scan_number > maxProgressiveScans ||
      decodeCancelled()) {
    abandonDecoding(info);
  }
}

bool claimsTooManyPixels(const jpeg_decompress_struct& info) {
  return PixelSize{static_cast<int>(info.image_width), static_cast<int>(info.image_height)}.area() >
         maxImagePixels;
}

std::string_view payloadOf(const jpeg_marker_struct& marker) {
  return {reinterpret_cast<const char*>(marker.data), marker.data_length};
}

std::string_view exifPayload(const jpeg_decompress_struct& info) {
  for (jpeg_saved_marker_ptr marker = info.marker_list; marker; marker = marker->next) {
    if (marker->marker == markerExif &&
        payloadOf(*marker).starts_with(std::string_view("Exif\0\0", 6))) {
      return payloadOf(*marker);
    }
  }
  return {};
}

// The colours the file says it holds: an ICC profile in APP2 markers, else EXIF's colour space;
// and how rows come out of libjpeg for them. Gray stays gray only for a gray profile, and CMYK
// files written by Photoshop (with an Adobe marker) store their inks inverted.
ImageColour savedColour(const jpeg_decompress_struct& info) {
  std::vector<std::string_view> app2;
  for (jpeg_saved_marker_ptr marker = info.marker_list; marker; marker = marker->next) {
    if (marker->marker == markerIcc) app2.push_back(payloadOf(*marker));
  }
  ImageColour colour{iccFromJpegSegments(app2)};
  if (colour.tag.kind == ColourTag::Kind::untagged && colour.tag.problem.empty()) {
    colour.tag = colourTagFromExif(exifPayload(info));
  }
  if (info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK) {
    colour.layout = info.saw_Adobe_marker ? SampleLayout::cmyk8Inverted : SampleLayout::cmyk8;
  } else if (info.jpeg_color_space == JCS_GRAYSCALE && colour.tag.kind == ColourTag::Kind::icc &&
             iccColourSpace(colour.tag.icc) == "GRAY") {
    colour.layout = SampleLayout::gray8;
  }
  return colour;
}

// Everything that must outlive a longjmp out of libjpeg lives here, outside the frame that
// calls setjmp, and is released by the destructor on every way out.
struct JpegSession {
  JpegErrors errors{};
  jpeg_progress_mgr progress{};
  jpeg_decompress_struct info{};
  bool created = false;
  ExifOrientation orientation = ExifOrientation::topLeft;
  ImageColour colour;
  PixelSize naturalSize;
  std::optional<RowConverter> converter;
  std::optional<AreaReducer> reducer;
  std::vector<std::uint32_t> row;
  std::vector<JSAMPLE> samples;     // for gray and CMYK rows; others come out as ARGB words
  SparseCoefficients coefficients;  // released after libjpeg, which points into it

  JpegSession() = default;
  JpegSession(const JpegSession&) = delete;
  JpegSession& operator=(const JpegSession&) = delete;
  ~JpegSession() {
    if (created) jpeg_destroy_decompress(&info);
  }
};

// Picks the smallest eighth whose output still covers `target`.
void chooseDctScale(jpeg_decompress_struct& info, PixelSize target) {
  for (unsigned int eighths = 1; eighths <= dctScaleDenominator; ++eighths) {
    info.scale_num = eighths;
    info.scale_denom = dctScaleDenominator;
    jpeg_calc_output_dimensions(&info);
    if (static_cast<int>(info.output_width) >= target.width &&
        static_cast<int>(info.output_height) >= target.height) {
      return;
    }
  }
}

enum class JpegOutcome { decoded, tooLarge, corrupt, cancelled };

// The libjpeg calls; C++ objects are only touched through `session`, between libjpeg calls,
// so the jump back from an error skips no destructor. Without `colours` to convert to it stops
// once the natural size and colours are known.
[[gnu::noinline]] JpegOutcome readImage(JpegSession& session, std::string_view bytes, Size coverBox,
                                        const ColourTarget* colours) {
  jpeg_decompress_struct& info = session.info;
  jpeg_create_decompress(&info);
  session.created = true;
  session.progress.progress_monitor = watchProgress;
  info.progress = &session.progress;
  jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(bytes.data()),
               static_cast<unsigned long>(bytes.size()));
  jpeg_save_markers(&info, markerExif, maxMarkerBytes);
  jpeg_save_markers(&info, markerIcc, maxMarkerBytes);
  if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK) return JpegOutcome::corrupt;
  if (claimsTooManyPixels(info)) return JpegOutcome::tooLarge;

  const std::string_view exif = exifPayload(info);
  session.orientation = exif.empty() ? ExifOrientation::topLeft : orientationFromExif(exif);
  session.colour = savedColour(info);
  const PixelSize storedSize{static_cast<int>(info.image_width),
                             static_cast<int>(info.image_height)};
  session.naturalSize = orientedSize(storedSize, session.orientation);
  if (!colours) return JpegOutcome::decoded;
  const PixelSize target =
      orientedSize(coverPixelSize(session.naturalSize, coverBox), session.orientation);
  chooseDctScale(info, target);
  const SampleLayout layout = session.colour.layout;
  // BGRA bytes are ARGB words on a little-endian machine, ARGB bytes on a big-endian one.
  info.out_color_space = layout == SampleLayout::gray8                ? JCS_GRAYSCALE
                         : layout != SampleLayout::argb8              ? JCS_CMYK
                         : std::endian::native == std::endian::little ? JCS_EXT_BGRA
                                                                      : JCS_EXT_ARGB;
  session.converter.emplace(session.colour.tag, layout, *colours);
  // A progressive file is read whole before its first row comes out.
  session.coefficients.install(info);
  jpeg_start_decompress(&info);

  const PixelSize output{static_cast<int>(info.output_width), static_cast<int>(info.output_height)};
  session.reducer.emplace(output, PixelSize{std::min(target.width, output.width),
                                            std::min(target.height, output.height)});
  session.row.resize(info.output_width);
  const bool wordRows = layout == SampleLayout::argb8;
  session.samples.resize(std::size_t{info.output_width} *
                         static_cast<std::size_t>(info.output_components));
  while (info.output_scanline < info.output_height) {
    JSAMPROW samples =
        wordRows ? reinterpret_cast<JSAMPROW>(session.row.data()) : session.samples.data();
    if (jpeg_read_scanlines(&info, &samples, 1) != 1) return JpegOutcome::corrupt;
    session.converter->convert(samples, session.row);
    session.reducer->addRow(session.row);
  }
  // Whatever follows the last row (the end marker, trailing bytes) is not needed.
  return JpegOutcome::decoded;
}

// Runs readImage with the jump back from libjpeg's errors set up here, in a function that keeps
// no local a jump could leave stale (the compiler warns of those at some optimisation levels).
JpegOutcome runDecoder(JpegSession& session, std::string_view bytes, Size coverBox,
                       const ColourTarget* colours) {
  jpeg_decompress_struct& info = session.info;
  info.err = jpeg_std_error(&session.errors.manager);
  session.errors.manager.error_exit = abandonDecoding;
  session.errors.manager.emit_message = onMessage;
  session.errors.manager.output_message = printNothing;
  if (setjmp(session.errors.jump)) {
    if (decodeCancelled()) return JpegOutcome::cancelled;
    // A frame header read before the failure still decides: too large beats damaged.
    return claimsTooManyPixels(info) ? JpegOutcome::tooLarge : JpegOutcome::corrupt;
  }
  return readImage(session, bytes, coverBox, colours);
}

// Why the decoder stopped, when it did not finish.
std::optional<DecodeFailure> failureOf(JpegOutcome outcome) {
  switch (outcome) {
    case JpegOutcome::tooLarge:
      return DecodeFailure::tooLarge;
    case JpegOutcome::corrupt:
      return DecodeFailure::corrupt;
    case JpegOutcome::cancelled:
      return DecodeFailure::cancelled;
    case JpegOutcome::decoded:
      break;
  }
  return std::nullopt;
}

}  // namespace

ImageHeader probeJpeg(std::string_view bytes) {
  JpegSession session;
  if (const auto failure = failureOf(runDecoder(session, bytes, Size{}, nullptr))) return *failure;
  return Size{static_cast<double>(session.naturalSize.width),
              static_cast<double>(session.naturalSize.height)};
}

std::optional<ImageColour> readJpegColour(std::string_view bytes) {
  JpegSession session;
  if (failureOf(runDecoder(session, bytes, Size{}, nullptr))) return std::nullopt;
  return session.colour;
}

DecodeResult decodeJpeg(std::string_view bytes, Size coverBox, const ColourTarget& colours) {
  JpegSession session;
  if (const auto failure = failureOf(runDecoder(session, bytes, coverBox, &colours))) {
    return *failure;
  }
  const Size naturalSize{static_cast<double>(session.naturalSize.width),
                         static_cast<double>(session.naturalSize.height)};
  return DecodedImage{naturalSize, applyOrientation(session.reducer->finish(), session.orientation),
                      session.converter->problem()};
}

}  // namespace brivora
