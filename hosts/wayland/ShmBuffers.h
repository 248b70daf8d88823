#pragma once

#include <wayland-client.h>

#include <array>
#include <cstdint>
#include <memory>

namespace brivora {

// A surface's frames in shared memory: up to three wl_shm buffers of one size (Cairo's ARGB32
// layout, shown as XRGB8888: frames are opaque), each drawn into only while the compositor
// does not hold it.
class ShmBuffers {
 public:
  struct Buffer {
    wl_buffer* buffer = nullptr;
    std::uint8_t* pixels = nullptr;
    bool busy = false;  // attached and not yet released by the compositor
  };

  explicit ShmBuffers(wl_shm* shm) : shm_(shm) {}
  ~ShmBuffers();
  ShmBuffers(const ShmBuffers&) = delete;
  ShmBuffers& operator=(const ShmBuffers&) = delete;

  // Frees every buffer and makes later ones `width` × `height`.
  void resize(int width, int height);

  int width() const { return width_; }
  int height() const { return height_; }
  int stride() const { return stride_; }

  // A buffer free to draw into, made on first need; none while all three are held, or when
  // shared memory cannot be had.
  Buffer* freeBuffer();

 private:
  static constexpr std::size_t bufferCount = 3;

  // One memfd holds all the buffers; it is made with the first one needed.
  bool mapPool();
  void release();

  wl_shm* shm_;
  int width_ = 0;
  int height_ = 0;
  int stride_ = 0;
  wl_shm_pool* pool_ = nullptr;
  std::uint8_t* memory_ = nullptr;
  std::size_t bytes_ = 0;
  std::array<Buffer, bufferCount> buffers_{};
};

}  // namespace brivora
