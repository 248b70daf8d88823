#pragma once

#include <optional>
#include <string_view>

#include "platform/Bundle.h"
#include "platform/JsonValue.h"

namespace brivora {

// The parsed top-level object of the bundle's resource "name.json", or none when the file is
// missing, unreadable, over the size cap, not valid JSON or not an object.
std::optional<JsonValue> readJsonObjectResource(const Bundle& bundle, std::string_view name);

}  // namespace brivora
