#include "platform/Image.h"

#include <utility>

#include "platform/GraphicsContext.h"

namespace brivora {

namespace {

ImageLoader& installedLoader() {
  static ImageLoader loader;
  return loader;
}

}  // namespace

void PixelsInProgress::fulfil(std::shared_ptr<const ImagePixels> pixels) {
  {
    const std::lock_guard lock(mutex_);
    pixels_ = std::move(pixels);
    ready_ = true;
  }
  fulfilled_.notify_all();
}

bool PixelsInProgress::isReady() const {
  const std::lock_guard lock(mutex_);
  return ready_;
}

const ImagePixels* PixelsInProgress::wait() const {
  std::unique_lock lock(mutex_);
  fulfilled_.wait(lock, [this] { return ready_; });
  return pixels_.get();
}

Image::Image(std::filesystem::path path, Size naturalSize,
             std::shared_ptr<const ImagePixels> pixels)
    : path_(std::move(path)), naturalSize_(naturalSize), pixels_(std::move(pixels)) {}

Image::Image(std::filesystem::path path, Size naturalSize, std::shared_ptr<PixelsInProgress> pixels)
    : path_(std::move(path)), naturalSize_(naturalSize), inProgress_(std::move(pixels)) {}

const ImagePixels* Image::pixels() const {
  return inProgress_ ? inProgress_->wait() : pixels_.get();
}

std::unique_ptr<Image> Image::load(const std::filesystem::path& path, Size coverBox) {
  const ImageLoader& loader = installedLoader();
  if (!loader) return nullptr;
  return loader(path, coverBox);
}

void Image::drawIn(Rect rect, double fraction) const {
  if (GraphicsContext* context = GraphicsContext::current()) {
    context->drawImage(*this, rect, fraction);
  }
}

void setImageLoader(ImageLoader loader) {
  installedLoader() = std::move(loader);
}

}  // namespace brivora
