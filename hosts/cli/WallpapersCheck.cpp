// `brivora check` on the wallpapers folder: files that will not show, and why.
#include <algorithm>
#include <utility>

#include "Brivora/WallpaperDiscovery.h"
#include "backends/codecs/ImageCodecs.h"
#include "hosts/cli/CheckSupport.h"
#include "platform/Files.h"

namespace brivora::cli {

namespace {

// Small enough that a JPEG decodes at 1/8 scale, so check stays quick on large photos.
constexpr Size checkCoverBox{64, 64};

// Why the wallpaper will not show, or will not show as its file means it to.
struct WallpaperProblem {
  WallpaperProblem() = default;
  WallpaperProblem(std::string text, bool black = true)
      : what(std::move(text)), showsBlack(black) {}
  WallpaperProblem(const char* text) : what(text) {}

  std::string what;
  bool showsBlack = true;  // false: it shows, with its colours taken as sRGB
};

WallpaperProblem wallpaperProblem(const std::filesystem::path& path) {
  switch (fileKind(path)) {
    case FileKind::missing:
      return "cannot be opened (a broken link?)";
    case FileKind::directory:
      return "is a folder, not an image";
    case FileKind::other:
      return "is not a regular file";
    case FileKind::regular:
      break;
  }
  FileContents file = readWholeFile(path, maxImageFileBytes);
  if (!file.bytes) return "cannot be read: " + std::string(describeReadFailure(file.failure));
  if (file.bytes->empty()) return "is empty";
  const DecodeResult decoded = decodeImage(*file.bytes, checkCoverBox);
  if (const auto* image = std::get_if<DecodedImage>(&decoded)) {
    if (image->colourProblem.empty()) return {};
    return {"has a colour profile that is ignored (" + image->colourProblem + ")", false};
  }
  const DecodeFailure* failure = std::get_if<DecodeFailure>(&decoded);
  switch (*failure) {
    case DecodeFailure::notAnImage:
      return "is not a JPEG, PNG or HEIC image";
    case DecodeFailure::tooLarge:
      return "is larger than 100 megapixels";
    case DecodeFailure::unreadable:
    case DecodeFailure::unsupported:
    case DecodeFailure::corrupt:
    case DecodeFailure::cancelled:
      break;
  }
  return "does not decode: " + std::string(describeDecodeFailure(*failure));
}

}  // namespace

void checkWallpapers(const Bundle& bundle, std::span<const std::filesystem::path> wallpapers,
                     Problems& problems) {
  const std::string emptyPackage = "the screen saver shows \"No wallpapers in this package\"";
  std::optional<FolderListing> listing = bundle.listFolder(wallpapersFolderName);
  if (!listing) {
    const bool missing = !bundle.urlForResource(wallpapersFolderName, "");
    problems.push_back({std::string(wallpapersFolderName),
                        missing ? "there is no wallpapers folder; " + emptyPackage
                                : "the folder cannot be listed; " + emptyPackage});
    return;
  }
  // Problems name the bundle's own folder by its name, a folder of pictures by its path.
  const bool ownFolder =
      bundle.resourceURL() && listing->folder == *bundle.resourceURL() / wallpapersFolderName;
  const std::filesystem::path folderLabel =
      ownFolder ? std::filesystem::path(wallpapersFolderName) : listing->folder;
  std::sort(listing->entries.begin(), listing->entries.end());
  for (const std::string& entry : listing->entries) {
    const std::string label = (folderLabel / entry).string();
    const std::string_view name = std::string_view(entry).substr(entry.rfind('/') + 1);
    if (hasWallpaperExtension(name)) continue;
    if (fileKind(listing->folder / entry) == FileKind::directory) {
      problems.push_back({label, ownFolder
                                     ? "is a folder; folders inside wallpapers are not searched"
                                     : "is a folder; add --images-recursive to search it"});
    } else if (!name.starts_with(".")) {
      problems.push_back({label, "is not shown: only .jpg, .jpeg, .png and .heic files are"});
    }
  }
  if (wallpapers.empty()) {
    problems.push_back(
        {folderLabel.string(), "holds no .jpg, .jpeg, .png or .heic file; " + emptyPackage});
  }
  for (const std::filesystem::path& wallpaper : wallpapers) {
    const WallpaperProblem problem = wallpaperProblem(wallpaper);
    if (!problem.what.empty()) {
      problems.push_back(
          {(folderLabel / wallpaper.lexically_relative(listing->folder)).string(),
           problem.what + (problem.showsBlack ? "; it shows as black when its turn comes"
                                              : "; it shows with its colours taken as sRGB")});
    }
  }
}

}  // namespace brivora::cli
