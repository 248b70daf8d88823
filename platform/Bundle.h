#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brivora {

// How far a resource folder is listed: the folder alone, or with its sub-folders.
enum class FolderDepth { shallow, recursive };

// A resource folder's entries as the bundle lists it.
struct FolderListing {
  std::filesystem::path folder;
  // Every entry of the folder, hidden ones included, in listing order. Listed recursively:
  // the entries that are not folders, at every level, as paths relative to `folder` with "/"
  // between names.
  std::vector<std::string> entries;
  // Listed recursively: the sub-folders entered, relative to `folder`.
  std::vector<std::string> subfolders;
};

// A resource folder on disk: the host picks it (a command-line option or the installed
// default) and hands it to the view, which reads theme.json, meta.json and wallpapers/.
class Bundle {
 public:
  explicit Bundle(std::filesystem::path resourceFolder);

  // The resource folder itself, or none when the bundle has no folder.
  const std::optional<std::filesystem::path>& resourceURL() const { return resourceFolder_; }

  // Serves `folder`, listed to `depth`, as the resource folder `name` in place of the
  // bundle's own (a host showing a folder of the user's pictures as the wallpapers). One
  // folder at a time: a later call replaces an earlier one.
  void replaceFolder(std::string name, std::filesystem::path folder, FolderDepth depth);

  // The file "name.ext" in the resource folder when something by that name exists there,
  // else none. Does not open or check the file; readers report their own failures. A folder
  // given to replaceFolder answers its name (without extension).
  std::optional<std::filesystem::path> urlForResource(std::string_view name,
                                                      std::string_view ext) const;

  // Lists the resource folder `name`: the bundle's own folder of that name, alone, or the
  // folder that replaces it, to the depth given with it. None when it cannot be listed.
  std::optional<FolderListing> listFolder(std::string_view name) const;

 private:
  struct Replacement {
    std::string name;
    std::filesystem::path folder;
    FolderDepth depth;
  };

  std::optional<std::filesystem::path> resourceFolder_;
  std::optional<Replacement> replacement_;
};

}  // namespace brivora
