#include "hosts/cli/BundleChoice.h"

#include <unistd.h>

#include <system_error>

#include "Brivora/WallpaperDiscovery.h"
#include "hosts/cli/CommandLine.h"
#include "platform/Files.h"

namespace brivora::cli {

namespace {

std::filesystem::path programFolder() {
  std::error_code error;
  std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::filesystem::path() : self.parent_path();
}

}  // namespace

bool takeBundleOption(OptionReader& reader, BundleChoice& choice) {
  if (reader.name() == "--bundle") {
    choice.bundle = reader.value();
  } else if (reader.name() == "--images") {
    choice.images = reader.value();
  } else if (reader.word() == "--images-recursive") {
    choice.imagesRecursive = true;
  } else {
    return false;
  }
  return true;
}

std::filesystem::path bundleFolder(const std::optional<std::string>& option) {
  std::error_code error;
  if (option) {
    std::filesystem::path chosen(*option);
    if (!std::filesystem::is_directory(chosen, error)) {
      throw EnvironmentError("bundle folder not found: " + *option);
    }
    return chosen;
  }
  const std::filesystem::path installed = programFolder() / "../share/brivora";
  if (std::filesystem::is_directory(installed, error)) return installed.lexically_normal();
  const std::filesystem::path source = BRIVORA_SOURCE_RESOURCES;
  if (std::filesystem::is_directory(source, error)) return source;
  throw EnvironmentError("no bundle found beside the program (" + installed.string() +
                         "); name one with --bundle DIR");
}

ChosenBundle openBundle(const BundleChoice& choice) {
  const std::filesystem::path folder = bundleFolder(choice.bundle);
  ChosenBundle chosen{Bundle(folder), folder.string()};
  const FolderDepth depth = choice.imagesRecursive ? FolderDepth::recursive : FolderDepth::shallow;
  if (!choice.images) {
    // Alone, --images-recursive searches the bundle's own wallpapers folder.
    if (choice.imagesRecursive) {
      chosen.bundle.replaceFolder(std::string(wallpapersFolderName), folder / wallpapersFolderName,
                                  depth);
    }
    return chosen;
  }
  const std::filesystem::path images(*choice.images);
  if (fileKind(images) != FileKind::directory) {
    throw EnvironmentError("images folder not found: " + *choice.images);
  }
  if (!listDirectory(images)) {
    throw EnvironmentError("images folder cannot be read: " + *choice.images);
  }
  chosen.bundle.replaceFolder(std::string(wallpapersFolderName), images, depth);
  chosen.label += " with the images in " + *choice.images;
  return chosen;
}

}  // namespace brivora::cli
