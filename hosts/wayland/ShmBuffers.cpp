#include "hosts/wayland/ShmBuffers.h"

#include <sys/mman.h>
#include <unistd.h>

#include "backends/cairo/CairoGraphicsContext.h"

namespace brivora {

namespace {

void released(void* data, wl_buffer*) {
  static_cast<ShmBuffers::Buffer*>(data)->busy = false;
}
const wl_buffer_listener bufferListener{released};

}  // namespace

ShmBuffers::~ShmBuffers() {
  release();
}

void ShmBuffers::release() {
  for (Buffer& buffer : buffers_) {
    if (buffer.buffer) wl_buffer_destroy(buffer.buffer);
    buffer = Buffer{};
  }
  if (pool_) wl_shm_pool_destroy(pool_);
  pool_ = nullptr;
  if (memory_) munmap(memory_, bytes_);
  memory_ = nullptr;
  bytes_ = 0;
}

void ShmBuffers::resize(int width, int height) {
  release();
  width_ = std::max(1, width);
  height_ = std::max(1, height);
  stride_ = CairoGraphicsContext::strideFor(width_);
}

bool ShmBuffers::mapPool() {
  const std::size_t frameBytes =
      static_cast<std::size_t>(stride_) * static_cast<std::size_t>(height_);
  bytes_ = frameBytes * bufferCount;
  const int file = memfd_create("brivora-frames", MFD_CLOEXEC | MFD_ALLOW_SEALING);
  if (file < 0) return false;
  if (ftruncate(file, static_cast<off_t>(bytes_)) != 0) {
    close(file);
    return false;
  }
  void* mapped = mmap(nullptr, bytes_, PROT_READ | PROT_WRITE, MAP_SHARED, file, 0);
  if (mapped == MAP_FAILED) {
    close(file);
    return false;
  }
  memory_ = static_cast<std::uint8_t*>(mapped);
  pool_ = wl_shm_create_pool(shm_, file, static_cast<std::int32_t>(bytes_));
  close(file);  // the compositor has its own descriptor now
  return pool_ != nullptr;
}

ShmBuffers::Buffer* ShmBuffers::freeBuffer() {
  if (!pool_ && width_ > 0 && !mapPool()) {
    release();
    return nullptr;
  }
  const std::size_t frameBytes =
      static_cast<std::size_t>(stride_) * static_cast<std::size_t>(height_);
  for (std::size_t at = 0; at < bufferCount; ++at) {
    Buffer& buffer = buffers_[at];
    if (buffer.busy) continue;
    if (!buffer.buffer) {
      buffer.pixels = memory_ + at * frameBytes;
      buffer.buffer = wl_shm_pool_create_buffer(pool_, static_cast<std::int32_t>(at * frameBytes),
                                                width_, height_, stride_, WL_SHM_FORMAT_XRGB8888);
      wl_buffer_add_listener(buffer.buffer, &bufferListener, &buffer);
    }
    return &buffer;
  }
  return nullptr;
}

}  // namespace brivora
