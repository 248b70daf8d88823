#include "Brivora/Meta.h"

#include <array>

#include "Brivora/JsonResource.h"
#include "platform/UnicodeText.h"

namespace brivora {

namespace {

std::string textOrEmpty(const JsonValue* value) {
  const std::string* text = value ? value->asText() : nullptr;
  return text ? *text : std::string();
}

bool allObjects(const std::vector<JsonValue>& elements) {
  for (const JsonValue& element : elements) {
    if (!element.isObject()) return false;
  }
  return true;
}

std::vector<MetaPattern> patternsFromJson(const JsonValue* list) {
  std::vector<MetaPattern> patterns;
  // One element of another kind voids the whole list.
  if (!list || !list->isArray() || !allObjects(list->elements())) return patterns;
  for (const JsonValue& element : list->elements()) {
    const JsonValue* matchValue = element.member("match");
    const std::string* match = matchValue ? matchValue->asText() : nullptr;
    if (element.members().empty() || !match) continue;
    MetaPattern pattern{*match, {}};
    for (const JsonMember& member : element.members()) {
      const std::string* line = member.value.asText();
      if (member.key != "match" && line) pattern.overrides.emplace_back(member.key, *line);
    }
    patterns.push_back(std::move(pattern));
  }
  return patterns;
}

const std::string* overrideFor(const MetaPattern& pattern, std::string_view line) {
  for (const auto& [key, value] : pattern.overrides) {
    if (key == line) return &value;
  }
  return nullptr;
}

}  // namespace

const Meta& Meta::empty() {
  static const Meta nothing;
  return nothing;
}

Meta metaFromJson(const JsonValue& object) {
  static const JsonValue noDefault = JsonValue::object({});
  const JsonValue* defaults = object.member("default");
  if (!defaults || !defaults->isObject()) defaults = &noDefault;
  PlayerMeta defaultPlayer{textOrEmpty(defaults->member("name")),
                           textOrEmpty(defaults->member("subtitle")),
                           textOrEmpty(defaults->member("fact"))};
  return Meta{std::move(defaultPlayer), patternsFromJson(object.member("patterns"))};
}

Meta Meta::load(const Bundle& bundle) {
  std::optional<JsonValue> object = readJsonObjectResource(bundle, "meta");
  if (!object) return empty();
  return metaFromJson(*object);
}

PlayerMeta Meta::resolve(std::string_view filename) const {
  PlayerMeta caption = defaultPlayer;
  const std::array<std::pair<std::string_view, std::string*>, 3> lines = {{
      {"name", &caption.name},
      {"subtitle", &caption.subtitle},
      {"fact", &caption.fact},
  }};
  for (const MetaPattern& pattern : patterns) {
    if (pattern.overrides.empty() || !unicode::contains(filename, pattern.match)) continue;
    for (const auto& [key, line] : lines) {
      if (const std::string* replacement = overrideFor(pattern, key)) *line = *replacement;
    }
  }
  return caption;
}

}  // namespace brivora
