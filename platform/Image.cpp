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

Image::Image(std::filesystem::path path, Size naturalSize,
             std::shared_ptr<const ImagePixels> pixels)
    : path_(std::move(path)), naturalSize_(naturalSize), pixels_(std::move(pixels)) {}

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
