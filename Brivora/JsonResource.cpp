#include "Brivora/JsonResource.h"

#include "platform/Files.h"

namespace brivora {

std::optional<JsonValue> readJsonObjectResource(const Bundle& bundle, std::string_view name) {
  std::optional<std::filesystem::path> location = bundle.urlForResource(name, "json");
  if (!location) return std::nullopt;
  FileContents contents = readWholeFile(*location, maxJsonFileBytes);
  if (!contents.bytes) return std::nullopt;
  JsonParseResult parsed = parseJson(*contents.bytes);
  if (!parsed.value || !parsed.value->isObject()) return std::nullopt;
  return std::move(parsed.value);
}

}  // namespace brivora
