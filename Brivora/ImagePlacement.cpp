#include "Brivora/ImagePlacement.h"

namespace brivora {

std::optional<Rect> placeImage(Size imageSize, Rect bounds, double progress, Point pan,
                               double zoom) {
  if (!(imageSize.width > 0) || !(imageSize.height > 0)) return std::nullopt;
  const double imageAspect = imageSize.width / imageSize.height;
  const double viewAspect = bounds.width() / bounds.height();
  double width = 0;
  double height = 0;
  if (viewAspect >= imageAspect) {
    width = bounds.width();
    height = bounds.width() / imageAspect;
  } else {
    width = imageAspect * bounds.height();
    height = bounds.height();
  }
  const double scale = 1 + progress * (zoom - 1);
  width *= scale;
  height *= scale;
  const double x = bounds.midX() - width * 0.5 + progress * (pan.x * bounds.width());
  const double y = bounds.midY() - height * 0.5 + progress * (pan.y * bounds.height());
  return Rect{x, y, width, height};
}

}  // namespace brivora
