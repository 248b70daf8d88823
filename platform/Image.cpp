#include "platform/Image.h"

#include <chrono>
#include <utility>

#include "platform/GraphicsContext.h"
#include "platform/ProcessEnd.h"

namespace brivora {

namespace {

// How late a draw waiting for pixels notices that the process is ending.
constexpr std::chrono::milliseconds endCheckInterval{10};

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
  // A signal cannot wake the condition, so the wait looks at the process's end now and then.
  while (!fulfilled_.wait_for(lock, endCheckInterval, [this] { return ready_; })) {
    if (processEndRequested()) return nullptr;
  }
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
