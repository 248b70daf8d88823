#pragma once

#include <nlohmann/json.hpp>

#include <optional>
#include <ostream>

#include "Brivora/Meta.h"
#include "Brivora/Theme.h"
#include "platform/Color.h"
#include "platform/Date.h"

namespace brivora::cli {

// Every Theme field under its name, in record order.
nlohmann::ordered_json themeJson(const Theme& theme);
nlohmann::ordered_json playerJson(const PlayerMeta& player);
nlohmann::ordered_json metaJson(const Meta& meta);
// [r, g, b, a], or null.
nlohmann::ordered_json colorJson(const std::optional<Color>& color);
// "2026-06-11T16:00:00.000Z", or null.
nlohmann::ordered_json dateJson(const std::optional<Date>& date);

// Writes the value indented by two spaces, short arrays of numbers on one line, and a newline.
void printJson(std::ostream& out, const nlohmann::ordered_json& value);

}  // namespace brivora::cli
