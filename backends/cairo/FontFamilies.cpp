#include "backends/cairo/FontFamilies.h"

namespace brivora {

const char* fontFamilies(FontDesign design) {
  switch (design) {
    case FontDesign::standard:
      break;
    case FontDesign::rounded:
      return "Comfortaa, Quicksand, M PLUS Rounded 1c, Inter, DejaVu Sans, sans-serif";
    case FontDesign::serif:
      return "Noto Serif, DejaVu Serif, serif";
  }
  return "Inter, DejaVu Sans, sans-serif";
}

}  // namespace brivora
