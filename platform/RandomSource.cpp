#include "platform/RandomSource.h"

#include <limits>

namespace brivora {

std::uint64_t SeededRandomSource::entropySeed() {
  std::random_device device;
  return (std::uint64_t{device()} << 32) ^ device();
}

std::uint64_t SeededRandomSource::uniformInteger(std::uint64_t n) {
  if (n == 0) return 0;
  // Reject the top partial block of the 64-bit range so every residue is equally likely.
  const std::uint64_t limit =
      std::numeric_limits<std::uint64_t>::max() - std::numeric_limits<std::uint64_t>::max() % n;
  std::uint64_t draw = engine_();
  while (draw >= limit) draw = engine_();
  return draw % n;
}

double SeededRandomSource::uniformDouble(double low, double high) {
  if (!(high > low)) return low;
  // 53 random bits give every double in [0, 1) that is a multiple of 2^-53.
  const double unit = static_cast<double>(engine_() >> 11) * 0x1.0p-53;
  const double value = low + (high - low) * unit;
  // Rounding can land exactly on `high` for wide ranges; the range is half-open.
  return value < high ? value : low;
}

}  // namespace brivora
