#pragma once

// The fast way through a conversion between two matrix-shaper profiles for 8-bit RGB: curves to
// light, one 3×3 matrix, curves back, in fixed point, as LittleCMS's own 8-bit optimisation does
// it, but over whole rows without a call per pixel (and eight pixels at a time with AVX2).
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace brivora {

class MatrixShaper {
 public:
  static constexpr int lightBits = 14;  // light from 0 to 1 in steps of 1/16384
  static constexpr std::int32_t lightOne = 1 << lightBits;
  static constexpr int matrixBits = 12;  // matrix entries in steps of 1/4096
  // The largest sum of a matrix row's magnitudes that cannot overflow 32 bits.
  static constexpr double largestRowSum = 7.9;

  // `toLight[c][v]` is the light of value v in channel c (0...1); `matrix` takes the source's
  // light to the target's, row by row; `toValue[c](light)` gives the target's value (0...1).
  template <typename ToValue>
  MatrixShaper(const std::array<std::array<double, 256>, 3>& toLight,
               const std::array<double, 9>& matrix, ToValue&& toValue) {
    for (std::size_t c = 0; c < 3; ++c) {
      for (std::size_t v = 0; v < 256; ++v) {
        toLight_[c][v] = static_cast<std::int32_t>(toLight[c][v] * lightOne + 0.5);
      }
    }
    for (std::size_t i = 0; i < 9; ++i) {
      const double scaled = matrix[i] * (1 << matrixBits);
      matrix_[i] = static_cast<std::int32_t>(scaled < 0 ? scaled - 0.5 : scaled + 0.5);
    }
    // Three bytes of padding let a 32-bit gather read the last entry.
    toValue_.assign(3 * tableStride, 0);
    for (std::size_t c = 0; c < 3; ++c) {
      for (std::int32_t light = 0; light <= lightOne; ++light) {
        const double value = toValue(static_cast<int>(c), static_cast<double>(light) / lightOne);
        const double clamped = value < 0 ? 0 : value > 1 ? 1 : value;
        toValue_[c * tableStride + static_cast<std::size_t>(light)] =
            static_cast<std::uint8_t>(clamped * 255 + 0.5);
      }
    }
  }

  // Converts `count` pixels from `in` to `out` (which may be the same): ARGB words, or with
  // `rgbaBytes` R, G, B, A bytes; alpha is carried over untouched.
  void convert(const void* in, std::uint32_t* out, std::size_t count, bool rgbaBytes) const;

 private:
  static constexpr std::size_t tableStride = lightOne + 4;

  void convertPlain(const std::uint8_t* in, std::uint32_t* out, std::size_t count,
                    bool rgbaBytes) const;
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
  void convertAvx2(const std::uint8_t* in, std::uint32_t* out, std::size_t count,
                   bool rgbaBytes) const;
#endif

  std::array<std::array<std::int32_t, 256>, 3> toLight_{};
  std::array<std::int32_t, 9> matrix_{};
  std::vector<std::uint8_t> toValue_;
};

}  // namespace brivora
