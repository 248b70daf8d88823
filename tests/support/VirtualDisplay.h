#pragma once

#include <memory>
#include <string>
#include <vector>

#include "tests/support/ChildProcess.h"

namespace brivora::testing {

// A private Xvfb server for the object's lifetime: one screen of `width` x `height` at 24 bits,
// with a black root, started with `extraArguments` too ("-extension", "MIT-SHM" to go without
// shared memory). `display` is empty when Xvfb is not installed.
class VirtualDisplay {
 public:
  static constexpr int width = 640;
  static constexpr int height = 480;

  explicit VirtualDisplay(const std::vector<std::string>& extraArguments = {});
  VirtualDisplay(const VirtualDisplay&) = delete;
  VirtualDisplay& operator=(const VirtualDisplay&) = delete;
  ~VirtualDisplay();

  // Kills the server at once, as a crash would.
  void kill() { server_.reset(); }

  std::string display;

 private:
  std::unique_ptr<ChildProcess> server_;
};

}  // namespace brivora::testing
