#include "platform/Bundle.h"

#include <string>
#include <system_error>

namespace brivora {

Bundle::Bundle(std::filesystem::path resourceFolder) {
  if (!resourceFolder.empty()) resourceFolder_ = std::move(resourceFolder);
}

std::optional<std::filesystem::path> Bundle::urlForResource(std::string_view name,
                                                            std::string_view ext) const {
  if (!resourceFolder_) return std::nullopt;
  std::string fileName(name);
  if (!ext.empty()) fileName.append(".").append(ext);
  std::filesystem::path candidate = *resourceFolder_ / fileName;
  std::error_code error;
  // symlink_status, so that a dangling link still counts as present and fails on reading.
  if (!std::filesystem::exists(std::filesystem::symlink_status(candidate, error))) {
    return std::nullopt;
  }
  return candidate;
}

}  // namespace brivora
