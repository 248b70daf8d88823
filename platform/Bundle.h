#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

namespace brivora {

// A resource folder on disk: the host picks it (a command-line option or the installed
// default) and hands it to the view, which reads theme.json, meta.json and wallpapers/.
class Bundle {
 public:
  explicit Bundle(std::filesystem::path resourceFolder);

  // The resource folder itself, or none when the bundle has no folder.
  const std::optional<std::filesystem::path>& resourceURL() const { return resourceFolder_; }

  // The file "name.ext" in the resource folder when something by that name exists there,
  // else none. Does not open or check the file; readers report their own failures.
  std::optional<std::filesystem::path> urlForResource(std::string_view name,
                                                      std::string_view ext) const;

 private:
  std::optional<std::filesystem::path> resourceFolder_;
};

}  // namespace brivora
