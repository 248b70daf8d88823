#include "backends/codecs/MatrixShaper.h"

#include <algorithm>
#include <cstring>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define BRIVORA_MATRIX_SHAPER_AVX2 1
#endif

namespace brivora {

namespace {

constexpr int pixelsPerVector = 8;
constexpr std::uint32_t alphaMask = 0xFF000000u;

// Where red and blue sit in a word: ARGB words hold red at bit 16, RGBA bytes read as a
// little-endian word hold it at bit 0.
int redShift(bool rgbaBytes) {
  return rgbaBytes ? 0 : 16;
}
int blueShift(bool rgbaBytes) {
  return rgbaBytes ? 16 : 0;
}

}  // namespace

void MatrixShaper::convertPlain(const std::uint8_t* in, std::uint32_t* out, std::size_t count,
                                bool rgbaBytes) const {
  const int red = redShift(rgbaBytes);
  const int blue = blueShift(rgbaBytes);
  for (std::size_t at = 0; at < count; ++at) {
    std::uint32_t word;
    std::memcpy(&word, in + at * 4, sizeof word);
    const std::int32_t light[3] = {toLight_[0][(word >> red) & 0xFF],
                                   toLight_[1][(word >> 8) & 0xFF],
                                   toLight_[2][(word >> blue) & 0xFF]};
    std::uint32_t result = word & alphaMask;
    for (int c = 0; c < 3; ++c) {
      const std::int32_t* row = &matrix_[static_cast<std::size_t>(c) * 3];
      const std::int32_t mixed =
          (row[0] * light[0] + row[1] * light[1] + row[2] * light[2] + (1 << (matrixBits - 1))) >>
          matrixBits;
      const std::size_t index = static_cast<std::size_t>(std::clamp(mixed, 0, lightOne));
      result |= std::uint32_t{toValue_[static_cast<std::size_t>(c) * tableStride + index]}
                << (16 - 8 * c);
    }
    out[at] = result;
  }
}

#ifdef BRIVORA_MATRIX_SHAPER_AVX2
__attribute__((target("avx2"))) void MatrixShaper::convertAvx2(const std::uint8_t* in,
                                                               std::uint32_t* out,
                                                               std::size_t count,
                                                               bool rgbaBytes) const {
  const __m256i byteMask = _mm256_set1_epi32(0xFF);
  const __m256i zero = _mm256_setzero_si256();
  const __m256i one = _mm256_set1_epi32(lightOne);
  const __m256i half = _mm256_set1_epi32(1 << (matrixBits - 1));
  const __m256i alpha = _mm256_set1_epi32(static_cast<int>(alphaMask));
  const __m128i red = _mm_cvtsi32_si128(redShift(rgbaBytes));
  const __m128i blue = _mm_cvtsi32_si128(blueShift(rgbaBytes));
  __m256i matrix[9];
  for (std::size_t i = 0; i < 9; ++i) matrix[i] = _mm256_set1_epi32(matrix_[i]);
  const int* toValue[3];
  for (std::size_t c = 0; c < 3; ++c) {
    toValue[c] = reinterpret_cast<const int*>(toValue_.data() + c * tableStride);
  }
  std::size_t at = 0;
  for (; at + pixelsPerVector <= count; at += pixelsPerVector) {
    const __m256i words = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + at * 4));
    const __m256i light[3] = {
        _mm256_i32gather_epi32(toLight_[0].data(),
                               _mm256_and_si256(_mm256_srl_epi32(words, red), byteMask), 4),
        _mm256_i32gather_epi32(toLight_[1].data(),
                               _mm256_and_si256(_mm256_srli_epi32(words, 8), byteMask), 4),
        _mm256_i32gather_epi32(toLight_[2].data(),
                               _mm256_and_si256(_mm256_srl_epi32(words, blue), byteMask), 4)};
    __m256i result = _mm256_and_si256(words, alpha);
    for (int c = 0; c < 3; ++c) {
      const __m256i* row = &matrix[c * 3];
      __m256i mixed = _mm256_add_epi32(_mm256_mullo_epi32(row[0], light[0]),
                                       _mm256_mullo_epi32(row[1], light[1]));
      mixed = _mm256_add_epi32(mixed, _mm256_add_epi32(_mm256_mullo_epi32(row[2], light[2]), half));
      mixed = _mm256_min_epi32(_mm256_max_epi32(_mm256_srai_epi32(mixed, matrixBits), zero), one);
      // A 32-bit gather at byte offsets into the byte table, keeping the low byte.
      const __m256i value =
          _mm256_and_si256(_mm256_i32gather_epi32(toValue[c], mixed, 1), byteMask);
      result = _mm256_or_si256(result, _mm256_sll_epi32(value, _mm_cvtsi32_si128(16 - 8 * c)));
    }
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + at), result);
  }
  convertPlain(in + at * 4, out + at, count - at, rgbaBytes);
}
#endif

void MatrixShaper::convert(const void* in, std::uint32_t* out, std::size_t count,
                           bool rgbaBytes) const {
  const auto* bytes = static_cast<const std::uint8_t*>(in);
#ifdef BRIVORA_MATRIX_SHAPER_AVX2
  static const bool hasAvx2 = __builtin_cpu_supports("avx2");
  if (hasAvx2) {
    convertAvx2(bytes, out, count, rgbaBytes);
    return;
  }
#endif
  convertPlain(bytes, out, count, rgbaBytes);
}

}  // namespace brivora
