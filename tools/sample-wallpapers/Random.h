#pragma once

// Seeded randomness and smooth noise, the same on every machine, so the files do not change
// from one run of the tool to the next.
#include <cmath>
#include <cstdint>
#include <vector>

namespace brivora::samples {

// splitmix64: tiny and fully specified, unlike the standard library's distributions.
class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed) {}

  std::uint64_t next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }

  // Uniform in [0, 1).
  double uniform() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }

  double between(double low, double high) { return low + (high - low) * uniform(); }

  // True with the given probability.
  bool chance(double probability) { return uniform() < probability; }

 private:
  std::uint64_t state_;
};

// One-dimensional value noise: smooth random values in [-1, 1], repeating every 256 units.
class Noise {
 public:
  explicit Noise(Random& random) : lattice_(256) {
    for (double& value : lattice_) value = random.between(-1.0, 1.0);
  }

  double at(double x) const {
    const double cell = std::floor(x);
    const double t = x - cell;
    const double smooth = t * t * (3.0 - 2.0 * t);
    const auto index = static_cast<std::size_t>(static_cast<std::int64_t>(cell) & 255);
    return lattice_[index] + (lattice_[(index + 1) & 255] - lattice_[index]) * smooth;
  }

  // Octaves of halving amplitude and doubling frequency, scaled back into about [-1, 1].
  double fractal(double x, int octaves, double roughness = 0.5) const {
    double sum = 0.0;
    double amplitude = 1.0;
    double total = 0.0;
    for (int octave = 0; octave < octaves; ++octave) {
      sum += amplitude * at(x + 31.7 * octave);
      total += amplitude;
      amplitude *= roughness;
      x *= 2.0;
    }
    return sum / total;
  }

 private:
  std::vector<double> lattice_;
};

}  // namespace brivora::samples
