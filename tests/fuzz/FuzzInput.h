#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace brivora::fuzzing {

// Splits a fuzz input into leading control bytes and the payload after them. Reading past
// the end gives zeros, so every input, however short, is usable.
class FuzzInput {
 public:
  explicit FuzzInput(std::string_view bytes) : bytes_(bytes) {}

  std::uint8_t byte() {
    if (bytes_.empty()) return 0;
    const auto value = static_cast<std::uint8_t>(bytes_.front());
    bytes_.remove_prefix(1);
    return value;
  }

  // Everything not yet read.
  std::string_view rest() const { return bytes_; }

 private:
  std::string_view bytes_;
};

// Stops the process on a broken invariant, so that libFuzzer saves the input and the
// regression test fails.
inline void requireThat(bool holds, const char* invariant) {
  if (holds) return;
  std::fprintf(stderr, "fuzz invariant broken: %s\n", invariant);
  std::abort();
}

}  // namespace brivora::fuzzing
