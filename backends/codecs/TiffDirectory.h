#pragma once

// Reading the directories of an EXIF block's TIFF data, in either byte order, refusing every
// read past its end.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace brivora {

// The TIFF data of an EXIF block: what follows the "Exif\0\0" header that JPEG's APP1 segment
// and HEIF's Exif item may put before it.
inline std::string_view exifTiffData(std::string_view exif) {
  constexpr std::string_view header{"Exif\0\0", 6};
  if (exif.starts_with(header)) exif.remove_prefix(header.size());
  return exif;
}

class TiffReader {
 public:
  static constexpr std::uint16_t shortType = 3;
  static constexpr std::uint16_t longType = 4;
  static constexpr std::size_t entryBytes = 12;

  // Reads the byte-order mark and magic number; none when `tiff` does not start with them.
  static std::optional<TiffReader> open(std::string_view tiff) {
    bool bigEndian = false;
    if (tiff.starts_with("MM")) {
      bigEndian = true;
    } else if (!tiff.starts_with("II")) {
      return std::nullopt;
    }
    const TiffReader reader(tiff, bigEndian);
    if (reader.read(2, 2) != 42) return std::nullopt;
    return reader;
  }

  // The integer of `width` bytes at `offset`, in the block's byte order.
  std::optional<std::uint32_t> read(std::size_t offset, std::size_t width) const {
    if (offset > bytes_.size() || bytes_.size() - offset < width) return std::nullopt;
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < width; ++i) {
      const auto byte =
          static_cast<std::uint8_t>(bytes_[offset + (bigEndian_ ? i : width - 1 - i)]);
      value = value << 8 | byte;
    }
    return value;
  }

  // Where the first directory starts.
  std::optional<std::uint32_t> firstDirectory() const { return read(4, 4); }

  // Where the entry for `tag` starts in the directory at `directory`; none when it has none or
  // the directory runs past the end.
  std::optional<std::size_t> findEntry(std::size_t directory, std::uint16_t tag) const {
    const std::optional<std::uint32_t> entryCount = read(directory, 2);
    if (!entryCount) return std::nullopt;
    for (std::uint32_t i = 0; i < *entryCount; ++i) {
      const std::size_t entry = directory + 2 + i * entryBytes;
      const std::optional<std::uint32_t> found = read(entry, 2);
      if (!found) return std::nullopt;  // a count larger than the block
      if (*found == tag) return entry;
    }
    return std::nullopt;
  }

  // A SHORT or LONG value of the entry at `entry`, which sits at the start of its value field
  // in its own width.
  std::optional<std::uint32_t> numberAt(std::size_t entry) const {
    const std::optional<std::uint32_t> type = read(entry + 2, 2);
    if (type == shortType) return read(entry + 8, 2);
    if (type == longType) return read(entry + 8, 4);
    return std::nullopt;
  }

  // The bytes of the value field itself (up to four bytes of inline data).
  std::string_view inlineValue(std::size_t entry) const {
    return entry + 12 <= bytes_.size() ? bytes_.substr(entry + 8, 4) : std::string_view{};
  }

 private:
  TiffReader(std::string_view bytes, bool bigEndian) : bytes_(bytes), bigEndian_(bigEndian) {}

  std::string_view bytes_;
  bool bigEndian_;
};

}  // namespace brivora
