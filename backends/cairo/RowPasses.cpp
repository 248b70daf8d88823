#include "backends/cairo/RowPasses.h"

#include <algorithm>
#include <cstddef>
#include <utility>

namespace brivora {

void RowPasses::add(Pass pass) {
  const auto [top, bottom] = std::visit(
      [](const auto& each) {
        return std::pair{each.top(), each.bottom()};
      },
      pass);
  top_ = passes_.empty() ? top : std::min(top_, top);
  bottom_ = passes_.empty() ? bottom : std::max(bottom_, bottom);
  passes_.push_back(std::move(pass));
}

void RowPasses::blendRow(int y, std::uint32_t* row) const {
  if (y < top_ || y >= bottom_) return;
  for (const Pass& pass : passes_) {
    if (const auto* gradient = std::get_if<GradientRows>(&pass)) {
      gradient->blendRow(y, reinterpret_cast<std::uint8_t*>(row));
    } else {
      std::get<MaskRows>(pass).blendRow(y, row);
    }
  }
}

void RowPasses::blendAll(cairo_surface_t* frame) const {
  if (passes_.empty()) return;
  cairo_surface_flush(frame);
  unsigned char* data = cairo_image_surface_get_data(frame);
  const int stride = cairo_image_surface_get_stride(frame);
  const int top = std::max(top_, 0);
  const int bottom = std::min(bottom_, cairo_image_surface_get_height(frame));
  if (!data || top >= bottom) return;
  for (int y = top; y < bottom; ++y) {
    blendRow(y, reinterpret_cast<std::uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * stride));
  }
  cairo_surface_mark_dirty_rectangle(frame, 0, top, cairo_image_surface_get_width(frame),
                                     bottom - top);
}

}  // namespace brivora
