#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace brivora {

// Sub-folder levels entered below the top folder, and names taken in all, by a tree walk.
inline constexpr int maxTreeDepth = 32;
inline constexpr std::size_t maxTreeEntries = 100'000;

// What a walk down a folder found, as paths relative to it with "/" between names.
struct DirectoryTree {
  std::vector<std::string> files;    // every entry that is not a folder, hidden ones included
  std::vector<std::string> folders;  // the sub-folders entered
};

// Lists `folder` and its sub-folders, each in the order the file system lists it. Links to
// folders are followed, but no folder is entered twice (by device and inode), so link loops
// and bind mounts end; nothing deeper than maxTreeDepth and nothing past maxTreeEntries names
// is taken. FIFOs, sockets and devices count as files and are never opened. A sub-folder that
// cannot be listed is passed over; none when `folder` itself cannot be listed.
std::optional<DirectoryTree> listDirectoryTree(const std::filesystem::path& folder);

}  // namespace brivora
