#pragma once

#include <condition_variable>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>

#include "platform/Geometry.h"
#include "platform/ImagePixels.h"

namespace brivora {

// Pixels another thread is still making: handed over once with `fulfil`, waited for by the
// drawing thread. Thread-safe.
class PixelsInProgress {
 public:
  virtual ~PixelsInProgress() = default;

  // Called once, by the thread that decodes: the pixels, or null when there are none to be had.
  void fulfil(std::shared_ptr<const ImagePixels> pixels);

  // Whether `fulfil` has been called; never waits.
  bool isReady() const;

  // Waits until `fulfil` has been called, then gives its pixels (null when there are none).
  // Gives null at once, without waiting on, once the process is ending.
  const ImagePixels* wait() const;

 private:
  mutable std::mutex mutex_;
  mutable std::condition_variable fulfilled_;
  bool ready_ = false;
  std::shared_ptr<const ImagePixels> pixels_;
};

// A wallpaper loaded from a file: its natural size and the pixels to draw it with.
class Image {
 public:
  // `naturalSize` is the file's own size after its orientation is applied; `pixels` may be
  // smaller (decoded for the largest size the view shows) or absent (a recording host).
  Image(std::filesystem::path path, Size naturalSize, std::shared_ptr<const ImagePixels> pixels);

  // An image whose pixels another thread is still decoding. Dropping the image tells that
  // thread they are no longer wanted (it holds only a weak reference until it starts).
  Image(std::filesystem::path path, Size naturalSize, std::shared_ptr<PixelsInProgress> pixels);

  // Loads `path` with the host's image loader. `coverBox` is the largest box the view will
  // cover with the image (aspect fill, zoom included), so the loader need not keep more
  // pixels than that. None when no loader is installed or the file is not an image; the
  // pixels may still be decoding when it returns.
  static std::unique_ptr<Image> load(const std::filesystem::path& path, Size coverBox);

  // The natural size, in points: the file's pixel size, oriented.
  Size size() const { return naturalSize_; }

  const std::filesystem::path& path() const { return path_; }

  // The decoded pixels, or null when the loader kept none or decoding failed. Waits for pixels
  // still being decoded, so every draw is the same as with loading that waited.
  const ImagePixels* pixels() const;

  // Whether `pixels()` would give its answer without waiting.
  bool isReady() const { return !inProgress_ || inProgress_->isReady(); }

  // Whether pixels were being decoded and none came of it: the file was damaged past its
  // header. Waits like `pixels()`. Such an image draws nothing, as if it had not loaded.
  bool failedToDecode() const { return inProgress_ && !inProgress_->wait(); }

  // Draws the whole image scaled into `rect` over what is there, at opacity `fraction`, on
  // the current graphics context; nothing without one.
  void drawIn(Rect rect, double fraction) const;

 private:
  std::filesystem::path path_;
  Size naturalSize_;
  std::shared_ptr<const ImagePixels> pixels_;
  std::shared_ptr<PixelsInProgress> inProgress_;
};

// How a host decodes image files: given a path and the cover box of `Image::load`, an image
// or none. Called on the thread that loads; should return soon, with pixels in progress.
using ImageLoader =
    std::function<std::unique_ptr<Image>(const std::filesystem::path&, Size coverBox)>;

// Installs the loader every later `Image::load` uses, process-wide; an empty one makes every
// load fail. Hosts call it once before creating views; tests may swap it.
void setImageLoader(ImageLoader loader);

}  // namespace brivora
