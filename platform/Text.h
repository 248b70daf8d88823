#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/Color.h"
#include "platform/FontWeight.h"
#include "platform/Geometry.h"

namespace brivora {

// The system typeface's designs.
enum class FontDesign { standard, rounded, serif };

// "default", "rounded" or "serif".
std::string_view fontDesignName(FontDesign design);

// The system font as a value; the text backend resolves it to an installed family.
struct Font {
  double size = 12;
  FontWeight weight = FontWeight::regular;
  FontDesign design = FontDesign::standard;
  bool italic = false;
  bool monospacedDigits = false;

  friend bool operator==(const Font&, const Font&) = default;
};

// A drop shadow under text. The offset is in view coordinates (a negative height moves the
// shadow down); the blur radius is in points.
struct Shadow {
  Color color{0, 0, 0, 1.0 / 3.0};
  double blurRadius = 0;
  Size offset;

  friend bool operator==(const Shadow&, const Shadow&) = default;
};

// Text with one set of attributes. An absent font means the 12-point system font; an absent
// colour means black.
struct AttributedString {
  std::string string;
  std::optional<Font> font = std::nullopt;
  std::optional<Color> color = std::nullopt;
  double kern = 0;
  std::optional<Shadow> shadow = std::nullopt;

  // The measured size of the text on the current graphics context. Call it only inside a
  // drawing pass: without a context debug builds assert, and release builds give zero.
  Size size() const;

  // Draws the text with the lower-left corner of its measured box at `point`, on the current
  // graphics context; nothing without one.
  void drawAt(Point point) const;
};

}  // namespace brivora
