#include "platform/Bundle.h"

#include <system_error>

#include "platform/DirectoryTree.h"
#include "platform/Files.h"

namespace brivora {

Bundle::Bundle(std::filesystem::path resourceFolder) {
  if (!resourceFolder.empty()) resourceFolder_ = std::move(resourceFolder);
}

void Bundle::replaceFolder(std::string name, std::filesystem::path folder, FolderDepth depth) {
  replacement_ = Replacement{std::move(name), std::move(folder), depth};
}

std::optional<std::filesystem::path> Bundle::urlForResource(std::string_view name,
                                                            std::string_view ext) const {
  std::filesystem::path candidate;
  if (replacement_ && ext.empty() && name == replacement_->name) {
    candidate = replacement_->folder;
  } else if (resourceFolder_) {
    std::string fileName(name);
    if (!ext.empty()) fileName.append(".").append(ext);
    candidate = *resourceFolder_ / fileName;
  } else {
    return std::nullopt;
  }
  std::error_code error;
  // symlink_status, so that a dangling link still counts as present and fails on reading.
  if (!std::filesystem::exists(std::filesystem::symlink_status(candidate, error))) {
    return std::nullopt;
  }
  return candidate;
}

std::optional<FolderListing> Bundle::listFolder(std::string_view name) const {
  const bool replaced = replacement_ && name == replacement_->name;
  if (!replaced && !resourceFolder_) return std::nullopt;
  FolderListing listing{replaced ? replacement_->folder : *resourceFolder_ / name, {}, {}};
  if (replaced && replacement_->depth == FolderDepth::recursive) {
    std::optional<DirectoryTree> tree = listDirectoryTree(listing.folder);
    if (!tree) return std::nullopt;
    listing.entries = std::move(tree->files);
    listing.subfolders = std::move(tree->folders);
    return listing;
  }
  std::optional<std::vector<std::string>> names = listDirectory(listing.folder);
  if (!names) return std::nullopt;
  listing.entries = std::move(*names);
  return listing;
}

}  // namespace brivora
