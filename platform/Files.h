#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brivora {

// The largest JSON file read; anything bigger counts as unreadable.
inline constexpr std::size_t maxJsonFileBytes = 16 * 1024 * 1024;

enum class ReadFailure { missing, notRegularFile, tooLarge, permissionDenied, ioError };

struct FileContents {
  std::optional<std::string> bytes;            // the whole file, when it could be read
  ReadFailure failure = ReadFailure::ioError;  // why not, when bytes is empty
};

// Reads a regular file whole, following links. Never blocks: FIFOs, sockets and devices
// are refused before and after opening, and a file over `maxBytes` (or one that grows past
// it while being read) is refused as too large.
FileContents readWholeFile(const std::filesystem::path& path, std::size_t maxBytes);

// Reads at most the first `count` bytes of a regular file, with the same refusals as
// readWholeFile except that a longer file is no failure.
FileContents readFileHead(const std::filesystem::path& path, std::size_t count);

// A short, lower-case reason for a failure: "it is not a regular file", ...
std::string_view describeReadFailure(ReadFailure failure);

// The names in a folder (hidden ones included, "." and ".." left out), in the order the
// file system lists them; none when the folder cannot be listed. Never enters sub-folders.
std::optional<std::vector<std::string>> listDirectory(const std::filesystem::path& folder);

enum class FileKind { missing, regular, directory, other };

// What lies at `path`, following links.
FileKind fileKind(const std::filesystem::path& path);

}  // namespace brivora
