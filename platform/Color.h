#pragma once

namespace brivora {

// A colour in the sRGB colour space; every component runs from 0 to 1.
struct Color {
  double r = 0;
  double g = 0;
  double b = 0;
  double a = 1;

  static constexpr Color white() { return {1, 1, 1, 1}; }
  static constexpr Color black() { return {0, 0, 0, 1}; }
  static constexpr Color clear() { return {0, 0, 0, 0}; }

  // The same colour with its alpha replaced.
  constexpr Color withAlphaComponent(double alpha) const { return {r, g, b, alpha}; }

  friend bool operator==(const Color&, const Color&) = default;
};

}  // namespace brivora
