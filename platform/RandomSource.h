#pragma once

#include <cstdint>
#include <random>

namespace brivora {

// Where the view draws chance. Called on the drawing thread.
class RandomSource {
 public:
  virtual ~RandomSource() = default;

  // An integer drawn uniformly from [0, n), without modulo bias; 0 when n is 0.
  virtual std::uint64_t uniformInteger(std::uint64_t n) = 0;

  // A number drawn uniformly from [low, high); `low` when the range is empty.
  virtual double uniformDouble(double low, double high) = 0;
};

// A Mersenne Twister with its own range reductions, so one seed gives the same draws on every
// standard library.
class SeededRandomSource final : public RandomSource {
 public:
  explicit SeededRandomSource(std::uint64_t seed) : engine_(seed) {}

  // Seeded from the operating system's entropy.
  static SeededRandomSource fromEntropy() { return SeededRandomSource(entropySeed()); }

  // A seed drawn from the operating system's entropy.
  static std::uint64_t entropySeed();

  std::uint64_t uniformInteger(std::uint64_t n) override;
  double uniformDouble(double low, double high) override;

 private:
  std::mt19937_64 engine_;
};

}  // namespace brivora
