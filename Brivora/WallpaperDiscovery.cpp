#include "Brivora/WallpaperDiscovery.h"

#include <algorithm>
#include <string>

#include "platform/UnicodeText.h"

namespace brivora {

std::string_view pathExtension(std::string_view fileName) {
  std::size_t dot = fileName.rfind('.');
  if (dot == std::string_view::npos || dot == 0) return {};
  return fileName.substr(dot + 1);
}

bool hasWallpaperExtension(std::string_view fileName) {
  std::string_view extension = pathExtension(fileName.substr(fileName.rfind('/') + 1));
  if (extension.empty()) return false;
  std::string lowered = unicode::lowercased(extension);
  return std::find(wallpaperExtensions.begin(), wallpaperExtensions.end(), lowered) !=
         wallpaperExtensions.end();
}

std::vector<std::filesystem::path> collectImages(const Bundle& bundle) {
  std::optional<FolderListing> listing = bundle.listFolder(wallpapersFolderName);
  if (!listing) return {};

  struct Entry {
    std::string sortKey;  // NFC, so that byte order is code-point order
    std::string name;
  };
  std::vector<Entry> kept;
  for (std::string& entry : listing->entries) {
    // An entry may be a path into a sub-folder: its own name decides, its path sorts.
    if (hasWallpaperExtension(entry)) kept.push_back({unicode::nfc(entry), std::move(entry)});
  }
  std::stable_sort(kept.begin(), kept.end(),
                   [](const Entry& a, const Entry& b) { return a.sortKey < b.sortKey; });

  std::vector<std::filesystem::path> images;
  images.reserve(kept.size());
  for (const Entry& entry : kept) images.push_back(listing->folder / entry.name);
  return images;
}

}  // namespace brivora
