// `brivora check` on the wallpapers folder: files that will not show, and why.
#include <algorithm>
#include <array>

#include "Brivora/WallpaperDiscovery.h"
#include "hosts/cli/CheckSupport.h"
#include "platform/Files.h"

namespace brivora::cli {

namespace {

// Enough bytes to tell the three image formats apart by their signatures.
constexpr std::size_t signatureBytes = 32;

bool looksLikeImage(std::string_view head) {
  const bool jpeg = head.starts_with("\xFF\xD8\xFF");
  const bool png = head.starts_with("\x89PNG\r\n\x1A\n");
  // HEIF files open with an "ftyp" box naming a HEIF brand.
  bool heif = false;
  if (head.size() >= 12 && head.substr(4, 4) == "ftyp") {
    static constexpr std::array<std::string_view, 8> brands = {"heic", "heix", "heim", "heis",
                                                               "hevc", "hevx", "mif1", "msf1"};
    heif = std::find(brands.begin(), brands.end(), head.substr(8, 4)) != brands.end();
  }
  return jpeg || png || heif;
}

std::string wallpaperProblem(const std::filesystem::path& path) {
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
  FileContents head = readFileHead(path, signatureBytes);
  if (!head.bytes) return "cannot be read: " + std::string(describeReadFailure(head.failure));
  if (head.bytes->empty()) return "is empty";
  if (!looksLikeImage(*head.bytes)) {
    return "is not a JPEG, PNG or HEIC image";
  }
  return {};
}

}  // namespace

void checkWallpapers(const Bundle& bundle, std::span<const std::filesystem::path> wallpapers,
                     Problems& problems) {
  const std::string folderLabel(wallpapersFolderName);
  const std::filesystem::path folder = *bundle.resourceURL() / wallpapersFolderName;
  const std::string emptyPackage = "the screen saver shows \"No wallpapers in this package\"";
  std::optional<std::vector<std::string>> names = listDirectory(folder);
  if (!names) {
    problems.push_back({folderLabel, fileKind(folder) == FileKind::missing
                                         ? "there is no wallpapers folder; " + emptyPackage
                                         : "the folder cannot be listed; " + emptyPackage});
    return;
  }
  std::sort(names->begin(), names->end());
  for (const std::string& name : *names) {
    const std::string label = folderLabel + "/" + name;
    const std::filesystem::path path = folder / name;
    if (hasWallpaperExtension(name)) continue;
    if (fileKind(path) == FileKind::directory) {
      problems.push_back({label, "is a folder; folders inside wallpapers are not searched"});
    } else if (!name.starts_with(".")) {
      problems.push_back({label, "is not shown: only .jpg, .jpeg, .png and .heic files are"});
    }
  }
  if (wallpapers.empty()) {
    problems.push_back({folderLabel, "holds no .jpg, .jpeg, .png or .heic file; " + emptyPackage});
  }
  for (const std::filesystem::path& wallpaper : wallpapers) {
    std::string problem = wallpaperProblem(wallpaper);
    if (!problem.empty()) {
      problems.push_back({folderLabel + "/" + wallpaper.filename().string(),
                          problem + "; it shows as black when its turn comes"});
    }
  }
}

}  // namespace brivora::cli
