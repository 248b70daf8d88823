#pragma once

#include <sys/types.h>

#include <string>

namespace brivora::testing {

// A private Xvfb server for the object's lifetime: one screen of `width` x `height` at 24 bits,
// with a black root. `display` is empty when Xvfb is not installed.
class VirtualDisplay {
 public:
  static constexpr int width = 640;
  static constexpr int height = 480;

  VirtualDisplay();
  VirtualDisplay(const VirtualDisplay&) = delete;
  VirtualDisplay& operator=(const VirtualDisplay&) = delete;
  ~VirtualDisplay();

  std::string display;

 private:
  pid_t server_ = -1;
};

}  // namespace brivora::testing
