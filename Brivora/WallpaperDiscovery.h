#pragma once

#include <array>
#include <filesystem>
#include <string_view>
#include <vector>

#include "platform/Bundle.h"

namespace brivora {

// File extensions shown as wallpapers, compared in lower case.
inline constexpr std::array<std::string_view, 4> wallpaperExtensions = {"jpg", "jpeg", "png",
                                                                        "heic"};

// The folder of the bundle that holds the wallpapers.
inline constexpr std::string_view wallpapersFolderName = "wallpapers";

// The extension of a file name: the part after its last dot, or empty when the name has no
// dot other than a leading one (".jpg" is a hidden file without extension).
std::string_view pathExtension(std::string_view fileName);

// Whether a file name (the last name, in a path) has one of the wallpaper extensions, in any
// case.
bool hasWallpaperExtension(std::string_view fileName);

// The wallpapers of the bundle: the entries of its wallpapers folder (not its sub-folders;
// hidden entries included) with a wallpaper extension, in ascending order of their file
// names' NFC code points, stable. Never fails: any problem gives an empty list. The bundle
// lists the folder: a host may have it list a folder of its choice, sub-folders included,
// whose entries are then ordered by their paths relative to it, by the same rule.
std::vector<std::filesystem::path> collectImages(const Bundle& bundle);

}  // namespace brivora
