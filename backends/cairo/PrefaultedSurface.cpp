#include "backends/cairo/PrefaultedSurface.h"

#include <sys/mman.h>

#include <cstddef>

namespace brivora {

namespace {

struct Mapping {
  void* address;
  std::size_t length;
};

const cairo_user_data_key_t mappingKey{};

void unmap(void* data) {
  auto* mapping = static_cast<Mapping*>(data);
  munmap(mapping->address, mapping->length);
  delete mapping;
}

}  // namespace

CairoSurface makePrefaultedSurface(int width, int height) {
  if (width <= 0 || height <= 0) return nullptr;
  const int stride = cairo_format_stride_for_width(CAIRO_FORMAT_ARGB32, width);
  if (stride <= 0) return nullptr;
  const std::size_t length = static_cast<std::size_t>(stride) * static_cast<std::size_t>(height);
  // Anonymous memory is zeroed, so the surface starts clear.
  void* address = mmap(nullptr, length, PROT_READ | PROT_WRITE,
                       MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE, -1, 0);
  if (address == MAP_FAILED) return nullptr;
  auto* mapping = new Mapping{address, length};
  CairoSurface surface(cairo_image_surface_create_for_data(
      static_cast<unsigned char*>(address), CAIRO_FORMAT_ARGB32, width, height, stride));
  if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS ||
      cairo_surface_set_user_data(surface.get(), &mappingKey, mapping, unmap) !=
          CAIRO_STATUS_SUCCESS) {
    unmap(mapping);
    return nullptr;
  }
  return surface;
}

}  // namespace brivora
