#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "hosts/cli/OptionReader.h"
#include "platform/Bundle.h"

namespace brivora::cli {

// Where the view's files come from: `--bundle DIR`, `--images DIR` for a folder of pictures
// shown in place of the bundle's wallpapers, and `--images-recursive` to take pictures from
// the sub-folders of that folder (or of the bundle's wallpapers folder) too.
struct BundleChoice {
  std::optional<std::string> bundle;
  std::optional<std::string> images;
  bool imagesRecursive = false;
};

// Takes the reader's present word, and its value, when it is one of those options.
bool takeBundleOption(OptionReader& reader, BundleChoice& choice);

// The bundle folder: `--bundle DIR` when given, else the installed bundle beside the program,
// else the sample resources of the source tree. Throws EnvironmentError when the folder is
// not a directory.
std::filesystem::path bundleFolder(const std::optional<std::string>& option);

// A bundle as chosen, and how messages name it.
struct ChosenBundle {
  Bundle bundle;
  std::string label;  // the bundle folder, and the images folder when there is one
};

// The chosen bundle, with the images folder serving as its wallpapers. Throws EnvironmentError
// when a folder is missing or cannot be listed.
ChosenBundle openBundle(const BundleChoice& choice);

}  // namespace brivora::cli
