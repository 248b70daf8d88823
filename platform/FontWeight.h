#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace brivora {

// The nine font weights, rising from ultra light to black.
enum class FontWeight { ultraLight, thin, light, regular, medium, semibold, bold, heavy, black };

inline constexpr std::array<FontWeight, 9> allFontWeights = {
    FontWeight::ultraLight, FontWeight::thin,   FontWeight::light,
    FontWeight::regular,    FontWeight::medium, FontWeight::semibold,
    FontWeight::bold,       FontWeight::heavy,  FontWeight::black};

// The weights' names, in the same order.
inline constexpr std::array<std::string_view, 9> fontWeightNames = {
    "ultralight", "thin", "light", "regular", "medium", "semibold", "bold", "heavy", "black"};

// The weight's name in lower case: "ultralight", "thin", ... "black".
std::string_view fontWeightName(FontWeight weight);

// The weight whose name equals `name` exactly (lower case), or none.
std::optional<FontWeight> fontWeightNamed(std::string_view name);

}  // namespace brivora
