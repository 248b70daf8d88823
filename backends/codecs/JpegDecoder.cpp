#include "backends/codecs/JpegDecoder.h"

#include <bit>
#include <csetjmp>
#include <cstdio>
#include <optional>
#include <vector>

#include <jerror.h>
#include <jpeglib.h>

#include "backends/codecs/ArgbWords.h"
#include "backends/codecs/CoverSize.h"
#include "backends/codecs/DecodeCancellation.h"
#include "backends/codecs/ExifOrientation.h"
#include "backends/codecs/PixelReduction.h"

namespace brivora {

namespace {

// libjpeg scales in eighths while decoding, from 1/8 to 8/8.
constexpr int dctScaleDenominator = 8;
// A progressive file with more scans than this is hostile: each scan redoes the whole image.
constexpr int maxProgressiveScans = 500;
constexpr int markerExif = JPEG_APP0 + 1;
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

ExifOrientation savedOrientation(const jpeg_decompress_struct& info) {
  for (jpeg_saved_marker_ptr marker = info.marker_list; marker; marker = marker->next) {
    const std::string_view payload(reinterpret_cast<const char*>(marker->data),
                                   marker->data_length);
    if (marker->marker == markerExif && payload.starts_with(std::string_view("Exif\0\0", 6))) {
      return orientationFromExif(payload);
    }
  }
  return ExifOrientation::topLeft;
}

// Photoshop, which writes most CMYK JPEGs, stores the channels inverted (and says so with an
// Adobe marker); converts either way to opaque ARGB words.
void cmykToArgb(const std::vector<JSAMPLE>& cmyk, bool inverted, std::vector<std::uint32_t>& row) {
  for (std::size_t x = 0; x < row.size(); ++x) {
    const JSAMPLE* sample = &cmyk[x * 4];
    // How much light each ink lets through, 255 where there is none of it.
    std::uint32_t light[4];
    for (int c = 0; c < 4; ++c) light[c] = inverted ? sample[c] : 255u - sample[c];
    row[x] = packArgb(255, premultiplied(light[0], light[3]), premultiplied(light[1], light[3]),
                      premultiplied(light[2], light[3]));
  }
}

// Everything that must outlive a longjmp out of libjpeg lives here, outside the frame that
// calls setjmp, and is released by the destructor on every way out.
struct JpegSession {
  JpegErrors errors{};
  jpeg_progress_mgr progress{};
  jpeg_decompress_struct info{};
  bool created = false;
  ExifOrientation orientation = ExifOrientation::topLeft;
  PixelSize naturalSize;
  std::optional<AreaReducer> reducer;
  std::vector<std::uint32_t> row;
  std::vector<JSAMPLE> cmykRow;

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
// so the jump back from an error skips no destructor.
// With `headerOnly` it stops once the natural size is known.
JpegOutcome runDecoder(JpegSession& session, std::string_view bytes, Size coverBox,
                       bool headerOnly) {
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
  jpeg_create_decompress(&info);
  session.created = true;
  session.progress.progress_monitor = watchProgress;
  info.progress = &session.progress;
  jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(bytes.data()),
               static_cast<unsigned long>(bytes.size()));
  jpeg_save_markers(&info, markerExif, maxMarkerBytes);
  if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK) return JpegOutcome::corrupt;
  if (claimsTooManyPixels(info)) return JpegOutcome::tooLarge;

  session.orientation = savedOrientation(info);
  const PixelSize storedSize{static_cast<int>(info.image_width),
                             static_cast<int>(info.image_height)};
  session.naturalSize = orientedSize(storedSize, session.orientation);
  if (headerOnly) return JpegOutcome::decoded;
  const PixelSize target =
      orientedSize(coverPixelSize(session.naturalSize, coverBox), session.orientation);
  chooseDctScale(info, target);
  const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
  // BGRA bytes are ARGB words on a little-endian machine, ARGB bytes on a big-endian one.
  info.out_color_space = cmyk                                         ? JCS_CMYK
                         : std::endian::native == std::endian::little ? JCS_EXT_BGRA
                                                                      : JCS_EXT_ARGB;
  jpeg_start_decompress(&info);

  const PixelSize output{static_cast<int>(info.output_width), static_cast<int>(info.output_height)};
  session.reducer.emplace(output, PixelSize{std::min(target.width, output.width),
                                            std::min(target.height, output.height)});
  session.row.resize(info.output_width);
  if (cmyk) session.cmykRow.resize(std::size_t{info.output_width} * 4);
  while (info.output_scanline < info.output_height) {
    JSAMPROW samples =
        cmyk ? session.cmykRow.data() : reinterpret_cast<JSAMPROW>(session.row.data());
    if (jpeg_read_scanlines(&info, &samples, 1) != 1) return JpegOutcome::corrupt;
    if (cmyk) cmykToArgb(session.cmykRow, info.saw_Adobe_marker, session.row);
    session.reducer->addRow(session.row);
  }
  // Whatever follows the last row (the end marker, trailing bytes) is not needed.
  return JpegOutcome::decoded;
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
  if (const auto failure = failureOf(runDecoder(session, bytes, Size{}, true))) return *failure;
  return Size{static_cast<double>(session.naturalSize.width),
              static_cast<double>(session.naturalSize.height)};
}

DecodeResult decodeJpeg(std::string_view bytes, Size coverBox) {
  JpegSession session;
  if (const auto failure = failureOf(runDecoder(session, bytes, coverBox, false))) {
    return *failure;
  }
  const Size naturalSize{static_cast<double>(session.naturalSize.width),
                         static_cast<double>(session.naturalSize.height)};
  return DecodedImage{naturalSize,
                      applyOrientation(session.reducer->finish(), session.orientation)};
}

}  // namespace brivora
