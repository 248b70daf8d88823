#pragma once

#include <array>
#include <string_view>

namespace brivora {

// The position words each overlay understands after lower-casing; any other word puts the
// overlay at its default place, the first word of each list.
inline constexpr std::array<std::string_view, 7> clockPositionWords = {
    "bottom-center", "top-left",     "top-center", "top-right",
    "bottom-left",   "bottom-right", "center"};
inline constexpr std::array<std::string_view, 6> countdownPositionWords = {
    "bottom-center", "top-left", "top-center", "top-right", "bottom-left", "bottom-right"};
inline constexpr std::array<std::string_view, 4> playerOverlayPositionWords = {
    "top-left", "top-right", "bottom-left", "bottom-right"};
inline constexpr std::array<std::string_view, 8> creditPositionWords = {
    "bottom-right", "bottom-left", "bottom-center",   "top-right",
    "top-left",     "under-clock", "under-countdown", "inside-countdown"};

// The clock design words: "rounded" and "serif"; anything else is the default design.
inline constexpr std::array<std::string_view, 3> clockFamilyWords = {"default", "rounded", "serif"};

}  // namespace brivora
