#pragma once

#include <filesystem>
#include <functional>
#include <memory>

#include "platform/Geometry.h"
#include "platform/ImagePixels.h"

namespace brivora {

// A wallpaper loaded from a file: its natural size and the pixels to draw it with.
class Image {
 public:
  // `naturalSize` is the file's own size after its orientation is applied; `pixels` may be
  // smaller (decoded for the largest size the view shows) or absent (a recording host).
  Image(std::filesystem::path path, Size naturalSize, std::shared_ptr<const ImagePixels> pixels);

  // Loads `path` with the host's image loader. `coverBox` is the largest box the view will
  // cover with the image (aspect fill, zoom included), so the loader need not keep more
  // pixels than that. None when no loader is installed or the file does not decode.
  static std::unique_ptr<Image> load(const std::filesystem::path& path, Size coverBox);

  // The natural size, in points: the file's pixel size, oriented.
  Size size() const { return naturalSize_; }

  const std::filesystem::path& path() const { return path_; }

  // The decoded pixels, or null when the loader kept none.
  const ImagePixels* pixels() const { return pixels_.get(); }

  // Draws the whole image scaled into `rect` over what is there, at opacity `fraction`, on
  // the current graphics context; nothing without one.
  void drawIn(Rect rect, double fraction) const;

 private:
  std::filesystem::path path_;
  Size naturalSize_;
  std::shared_ptr<const ImagePixels> pixels_;
};

// How a host decodes image files: given a path and the cover box of `Image::load`, an image
// or none. Called on the thread that loads.
using ImageLoader =
    std::function<std::unique_ptr<Image>(const std::filesystem::path&, Size coverBox)>;

// Installs the loader every later `Image::load` uses, process-wide; an empty one makes every
// load fail. Hosts call it once before creating views; tests may swap it.
void setImageLoader(ImageLoader loader);

}  // namespace brivora
