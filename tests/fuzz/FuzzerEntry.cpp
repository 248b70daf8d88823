// The libFuzzer entry point of one target; the build names the target's body in
// BRIVORA_FUZZ_TARGET.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "tests/fuzz/FuzzTargets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  brivora::fuzzing::BRIVORA_FUZZ_TARGET(
      std::string_view(reinterpret_cast<const char*>(data), size));
  return 0;
}
