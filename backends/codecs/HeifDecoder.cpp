#include "backends/codecs/HeifDecoder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include <libheif/heif.h>

#include "backends/codecs/ColourConversion.h"
#include "backends/codecs/CoverSize.h"
#include "backends/codecs/PixelReduction.h"

namespace brivora {

namespace {

// libheif's own guard on the image size: enough for any image under maxImagePixels, whose check
// here is the one that counts.
constexpr int heifSizeLimit = 1 << 17;
// Room beyond twice the image's longer side for whole coding blocks and grid tiles.
constexpr int codedSlack = 1024;
constexpr int eightBits = 8;
constexpr int sixteenBits = 16;
constexpr std::size_t rgbaBytes = 4;

struct ContextFree {
  void operator()(heif_context* context) const { heif_context_free(context); }
};
struct HandleRelease {
  void operator()(heif_image_handle* handle) const { heif_image_handle_release(handle); }
};
struct ImageRelease {
  void operator()(heif_image* image) const { heif_image_release(image); }
};
struct OptionsFree {
  void operator()(heif_decoding_options* options) const { heif_decoding_options_free(options); }
};
struct NclxFree {
  void operator()(heif_color_profile_nclx* nclx) const { heif_nclx_color_profile_free(nclx); }
};

// libheif registers its codecs on heif_init and drops them when the last heif_init is matched
// by heif_deinit; one reference held for the life of the process keeps them for the decoder.
void keepLibheifInitialised() {
  static const bool initialised = [] {
    heif_init(nullptr);
    return true;
  }();
  static_cast<void>(initialised);
}

DecodeFailure failureOf(const heif_error& error) {
  if (error.subcode == heif_suberror_Security_limit_exceeded) return DecodeFailure::tooLarge;
  switch (error.code) {
    case heif_error_Unsupported_filetype:
    case heif_error_Unsupported_feature:
    case heif_error_Plugin_loading_error:
      return DecodeFailure::unsupported;
    default:
      return DecodeFailure::corrupt;
  }
}

// The file's primary image, opened; it reads from the bytes in place, so both must outlive it.
struct PrimaryImage {
  std::unique_ptr<heif_context, ContextFree> context;
  std::unique_ptr<heif_image_handle, HandleRelease> handle;
  PixelSize natural;
};

// Opens the primary image of a file `read` hands to a fresh context.
template <typename Read>
std::variant<PrimaryImage, DecodeFailure> openPrimaryImage(Read read) {
  keepLibheifInitialised();
  PrimaryImage opened;
  opened.context.reset(heif_context_alloc());
  if (!opened.context) return DecodeFailure::corrupt;
  heif_context_set_maximum_image_size_limit(opened.context.get(), heifSizeLimit);
  heif_error error = read(opened.context.get());
  if (error.code != heif_error_Ok) return failureOf(error);
  heif_image_handle* primary = nullptr;
  error = heif_context_get_primary_image_handle(opened.context.get(), &primary);
  opened.handle.reset(primary);
  if (error.code != heif_error_Ok || !opened.handle) return failureOf(error);

  // The handle's size is the one shown, after rotation and crop (the 'ispe' size is before).
  opened.natural = PixelSize{heif_image_handle_get_width(opened.handle.get()),
                             heif_image_handle_get_height(opened.handle.get())};
  if (opened.natural.width <= 0 || opened.natural.height <= 0) return DecodeFailure::corrupt;
  if (opened.natural.area() > maxImagePixels) return DecodeFailure::tooLarge;
  return opened;
}

std::variant<PrimaryImage, DecodeFailure> openPrimaryImage(std::string_view bytes) {
  return openPrimaryImage([bytes](heif_context* context) {
    return heif_context_read_from_memory_without_copy(context, bytes.data(), bytes.size(), nullptr);
  });
}

// A regular file read with pread where libheif asks, so that parsing its boxes reads only them.
struct FileReading {
  int descriptor = -1;
  std::int64_t size = 0;
  std::int64_t position = 0;

  FileReading() = default;
  FileReading(const FileReading&) = delete;
  FileReading& operator=(const FileReading&) = delete;
  ~FileReading() {
    if (descriptor >= 0) close(descriptor);
  }
};

FileReading& readingOf(void* userdata) {
  return *static_cast<FileReading*>(userdata);
}

std::int64_t readerPosition(void* userdata) {
  return readingOf(userdata).position;
}

int readerRead(void* data, std::size_t count, void* userdata) {
  FileReading& file = readingOf(userdata);
  if (count > static_cast<std::size_t>(file.size - file.position)) return 1;
  auto* into = static_cast<char*>(data);
  while (count > 0) {
    const ssize_t got = pread(file.descriptor, into, count, file.position);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return 1;
    into += got;
    count -= static_cast<std::size_t>(got);
    file.position += got;
  }
  return 0;
}

int readerSeek(std::int64_t position, void* userdata) {
  FileReading& file = readingOf(userdata);
  if (position < 0 || position > file.size) return 1;
  file.position = position;
  return 0;
}

heif_reader_grow_status readerWait(std::int64_t target, void* userdata) {
  return target <= readingOf(userdata).size ? heif_reader_grow_status_size_reached
                                            : heif_reader_grow_status_size_beyond_eof;
}

constexpr heif_reader fileReader{.reader_api_version = 1,
                                 .get_position = readerPosition,
                                 .read = readerRead,
                                 .seek = readerSeek,
                                 .wait_for_file_size = readerWait};

// The colours an nclx box names. The BT.709 family of curves counts as sRGB's, as displays show
// such pictures; HDR curves (PQ, HLG) cannot be shown as meant and are ignored.
ColourTag nclxTag(const heif_color_profile_nclx& nclx) {
  const std::string origin = "colr nclx";
  const int transfer = nclx.transfer_characteristics;
  if (transfer == heif_transfer_characteristic_ITU_R_BT_2100_0_PQ ||
      transfer == heif_transfer_characteristic_ITU_R_BT_2100_0_HLG) {
    return ignoredColourTag(origin, "its HDR transfer curve (PQ or HLG) is not supported");
  }
  ColourTag tag;
  tag.origin = origin;
  tag.kind = ColourTag::Kind::primaries;
  if (transfer == heif_transfer_characteristic_linear) tag.gamma = 1;
  if (transfer == heif_transfer_characteristic_ITU_R_BT_470_6_System_M) tag.gamma = 2.2;
  if (transfer == heif_transfer_characteristic_ITU_R_BT_470_6_System_B_G) tag.gamma = 2.8;
  const int primaries = nclx.color_primaries;
  if (primaries != heif_color_primaries_ITU_R_BT_709_5 &&
      primaries != heif_color_primaries_unspecified) {
    tag.chromaticities = {nclx.color_primary_white_x, nclx.color_primary_white_y,
                          nclx.color_primary_red_x,   nclx.color_primary_red_y,
                          nclx.color_primary_green_x, nclx.color_primary_green_y,
                          nclx.color_primary_blue_x,  nclx.color_primary_blue_y};
  }
  if (tag.gamma == 0 && tag.chromaticities == srgbChromaticities) {
    tag.kind = ColourTag::Kind::srgb;
  } else {
    tag.name = primaries == heif_color_primaries_SMPTE_EG_432_1 ? "Display P3"
               : primaries == heif_color_primaries_ITU_R_BT_2020_2_and_2100_0
                   ? "BT.2020"
                   : "primaries " + std::to_string(primaries);
    tag.name += ", transfer " + std::to_string(transfer);
  }
  return tag;
}

// What the primary image's colr boxes say, an ICC profile before nclx.
ColourTag heifColourTag(const heif_image_handle* handle) {
  const heif_color_profile_type type = heif_image_handle_get_color_profile_type(handle);
  if (type == heif_color_profile_type_prof || type == heif_color_profile_type_rICC) {
    ColourTag tag;
    tag.kind = ColourTag::Kind::icc;
    tag.origin = type == heif_color_profile_type_prof ? "colr prof" : "colr rICC";
    tag.icc.resize(heif_image_handle_get_raw_color_profile_size(handle));
    if (tag.icc.empty() ||
        heif_image_handle_get_raw_color_profile(handle, tag.icc.data()).code != heif_error_Ok) {
      return ignoredColourTag(tag.origin, "the profile cannot be read");
    }
    return tag;
  }
  heif_color_profile_nclx* read = nullptr;
  if (heif_image_handle_get_nclx_color_profile(handle, &read).code != heif_error_Ok || !read) {
    return {};
  }
  const std::unique_ptr<heif_color_profile_nclx, NclxFree> nclx(read);
  return nclxTag(*nclx);
}

// Widens samples of `bits` bits to the full 16-bit range, as the colour conversion takes them.
void widenSamples(const std::uint16_t* from, std::uint16_t* to, std::size_t count, int bits) {
  const int up = sixteenBits - bits;
  const int down = bits - up;
  const int top = (1 << bits) - 1;
  for (std::size_t i = 0; i < count; ++i) {
    const int sample = std::min<int>(from[i], top);  // libheif fills alpha with 0xFFFF
    to[i] = static_cast<std::uint16_t>(sample << up | (down > 0 ? sample >> down : 0));
  }
}

// Straight alpha from premultiplied 8-bit RGBA, as the colour conversion takes it.
void unpremultiply(std::uint8_t* rgba, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i, rgba += rgbaBytes) {
    const unsigned alpha = rgba[3];
    if (alpha == 255 || alpha == 0) continue;
    for (int c = 0; c < 3; ++c) {
      rgba[c] = static_cast<std::uint8_t>(std::min(255u, (rgba[c] * 255u + alpha / 2) / alpha));
    }
  }
}

}  // namespace

ImageHeader probeHeifFile(const std::filesystem::path& path) {
  FileReading file;
  // Non-blocking, so a FIFO put in the file's place cannot stall; only regular files are read.
  file.descriptor = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  struct stat status {};
  if (file.descriptor < 0 || fstat(file.descriptor, &status) != 0 || !S_ISREG(status.st_mode) ||
      status.st_size <= 0 || static_cast<std::uint64_t>(status.st_size) > maxImageFileBytes) {
    return DecodeFailure::unreadable;
  }
  file.size = status.st_size;
  auto opened = openPrimaryImage([&file](heif_context* context) {
    return heif_context_read_from_reader(context, &fileReader, &file, nullptr);
  });
  if (const auto* failure = std::get_if<DecodeFailure>(&opened)) return *failure;
  const PixelSize natural = std::get<PrimaryImage>(opened).natural;
  return Size{static_cast<double>(natural.width), static_cast<double>(natural.height)};
}

ImageHeader probeHeif(std::string_view bytes) {
  auto opened = openPrimaryImage(bytes);
  if (const auto* failure = std::get_if<DecodeFailure>(&opened)) return *failure;
  const PixelSize natural = std::get<PrimaryImage>(opened).natural;
  return Size{static_cast<double>(natural.width), static_cast<double>(natural.height)};
}

std::optional<ImageColour> readHeifColour(std::string_view bytes) {
  auto opened = openPrimaryImage(bytes);
  if (std::holds_alternative<DecodeFailure>(opened)) return std::nullopt;
  const heif_image_handle* handle = std::get<PrimaryImage>(opened).handle.get();
  const bool deep = heif_image_handle_get_luma_bits_per_pixel(handle) > eightBits;
  return ImageColour{heifColourTag(handle), deep ? SampleLayout::rgba16 : SampleLayout::rgba8};
}

DecodeResult decodeHeif(std::string_view bytes, Size coverBox, const ColourTarget& colours) {
  auto opened = openPrimaryImage(bytes);
  if (const auto* failure = std::get_if<DecodeFailure>(&opened)) return *failure;
  const heif_image_handle* handle = std::get<PrimaryImage>(opened).handle.get();
  const PixelSize natural = std::get<PrimaryImage>(opened).natural;
  // A grid image is put together at the size its grid declares, which need not be the size
  // the image item says: a file of a few bytes can ask for gigabytes. Nothing decoded may be
  // much larger than the image shown (a crop may trim it, a turn swap its sides).
  heif_context_set_maximum_image_size_limit(
      std::get<PrimaryImage>(opened).context.get(),
      std::min(heifSizeLimit, 2 * std::max(natural.width, natural.height) + codedSlack));

  // More than 8 bits are kept up to the colour conversion, when there is one.
  const ColourTag tag = heifColourTag(handle);
  std::optional<RowConverter> converter;
  if (heif_image_handle_get_luma_bits_per_pixel(handle) > eightBits) {
    converter.emplace(tag, SampleLayout::rgba16, colours);
    if (!converter->converts()) converter.reset();
  }
  const bool deep = converter.has_value();
  if (!deep) converter.emplace(tag, SampleLayout::rgba8, colours);

  const std::unique_ptr<heif_decoding_options, OptionsFree> options(heif_decoding_options_alloc());
  if (!options) return DecodeFailure::corrupt;
  options->convert_hdr_to_8bit = deep ? 0 : 1;
  heif_image* decodedImage = nullptr;
  const heif_error error = heif_decode_image(
      handle, &decodedImage, heif_colorspace_RGB,
      deep ? heif_chroma_interleaved_RRGGBBAA_LE : heif_chroma_interleaved_RGBA, options.get());
  const std::unique_ptr<heif_image, ImageRelease> image(decodedImage);
  if (error.code != heif_error_Ok || !image) return failureOf(error);

  const PixelSize decoded{heif_image_get_width(image.get(), heif_channel_interleaved),
                          heif_image_get_height(image.get(), heif_channel_interleaved)};
  int stride = 0;
  const std::uint8_t* plane =
      heif_image_get_plane_readonly(image.get(), heif_channel_interleaved, &stride);
  const int bits = heif_image_get_bits_per_pixel_range(image.get(), heif_channel_interleaved);
  const std::size_t sampleBytes = deep ? 2 : 1;
  if (!plane || decoded != natural ||
      stride < natural.width * static_cast<int>(rgbaBytes * sampleBytes) ||
      (deep ? bits <= eightBits || bits > sixteenBits : bits != eightBits)) {
    return DecodeFailure::corrupt;
  }

  const bool premultipliedAlready = heif_image_is_premultiplied_alpha(image.get()) != 0;
  AreaReducer reducer(natural, coverPixelSize(natural, coverBox));
  const std::size_t width = static_cast<std::size_t>(natural.width);
  std::vector<std::uint32_t> row(width);
  std::vector<std::uint8_t> samples(width * rgbaBytes * sampleBytes);
  std::vector<std::uint16_t> words(deep ? width * rgbaBytes : 0);
  for (std::size_t y = 0; y < static_cast<std::size_t>(natural.height); ++y) {
    const std::uint8_t* line = plane + y * static_cast<std::size_t>(stride);
    if (deep) {
      // Copied first: the plane's rows need not start on a 16-bit boundary.
      std::memcpy(words.data(), line, samples.size());
      widenSamples(words.data(), reinterpret_cast<std::uint16_t*>(samples.data()), words.size(),
                   bits);
    } else {
      std::memcpy(samples.data(), line, samples.size());
      if (premultipliedAlready) unpremultiply(samples.data(), width);
    }
    converter->convert(samples.data(), row);
    reducer.addRow(row);
  }
  return DecodedImage{Size{static_cast<double>(natural.width), static_cast<double>(natural.height)},
                      reducer.finish(), converter->problem()};
}

}  // namespace brivora
