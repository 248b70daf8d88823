#include "backends/cairo/FontFamilies.h"

#include <array>
#include <string>

namespace brivora {

namespace {

constexpr std::array<std::string_view, 2> standardFamilies = {"Inter", "DejaVu Sans"};
constexpr std::array<std::string_view, 3> roundedFamilies = {"Comfortaa", "Quicksand",
                                                             "M PLUS Rounded 1c"};
constexpr std::array<std::string_view, 2> serifFamilies = {"Noto Serif", "DejaVu Serif"};

std::string familyList(FontDesign design) {
  std::string list;
  const auto add = [&](std::span<const std::string_view> families) {
    for (std::string_view family : families) list.append(family).append(", ");
  };
  if (design != FontDesign::standard) add(designFamilies(design));
  add(standardFamilies);
  return list + "sans-serif";
}

}  // namespace

std::span<const std::string_view> designFamilies(FontDesign design) {
  switch (design) {
    case FontDesign::standard:
      break;
    case FontDesign::rounded:
      return roundedFamilies;
    case FontDesign::serif:
      return serifFamilies;
  }
  return standardFamilies;
}

const char* fontFamilies(FontDesign design) {
  static const std::array<std::string, 3> lists = {familyList(FontDesign::standard),
                                                   familyList(FontDesign::rounded),
                                                   familyList(FontDesign::serif)};
  return lists[static_cast<std::size_t>(design)].c_str();
}

}  // namespace brivora
