#include "hosts/cli/JsonOutput.h"

#include "Brivora/ThemeFields.h"

namespace brivora::cli {

namespace {

using nlohmann::ordered_json;

std::string dumpCompact(const ordered_json& value) {
  return value.dump(-1, ' ', false, ordered_json::error_handler_t::replace);
}

bool isNumberList(const ordered_json& value) {
  if (!value.is_array() || value.empty()) return false;
  for (const ordered_json& element : value) {
    if (!element.is_number()) return false;
  }
  return true;
}

void printIndented(std::ostream& out, const ordered_json& value, int depth) {
  const std::string indent(static_cast<std::size_t>(depth + 1) * 2, ' ');
  const std::string closingIndent(static_cast<std::size_t>(depth) * 2, ' ');
  if (isNumberList(value)) {
    out << '[';
    for (std::size_t i = 0; i < value.size(); ++i) out << (i ? ", " : "") << dumpCompact(value[i]);
    out << ']';
  } else if (value.is_object() && !value.empty()) {
    out << "{\n";
    std::size_t i = 0;
    for (const auto& [key, member] : value.items()) {
      out << indent << dumpCompact(ordered_json(key)) << ": ";
      printIndented(out, member, depth + 1);
      out << (++i < value.size() ? ",\n" : "\n");
    }
    out << closingIndent << '}';
  } else if (value.is_array() && !value.empty()) {
    out << "[\n";
    for (std::size_t i = 0; i < value.size(); ++i) {
      out << indent;
      printIndented(out, value[i], depth + 1);
      out << (i + 1 < value.size() ? ",\n" : "\n");
    }
    out << closingIndent << ']';
  } else {
    out << dumpCompact(value);
  }
}

}  // namespace

ordered_json themeJson(const Theme& theme) {
  ordered_json object = ordered_json::object();
  for (const ThemeField& field : themeFields()) {
    std::visit([&](auto member) { object[std::string(field.key)] = theme.*member; }, field.member);
  }
  return object;
}

ordered_json playerJson(const PlayerMeta& player) {
  return ordered_json{{"name", player.name}, {"subtitle", player.subtitle}, {"fact", player.fact}};
}

ordered_json metaJson(const Meta& meta) {
  ordered_json patterns = ordered_json::array();
  for (const MetaPattern& pattern : meta.patterns) {
    ordered_json overrides = ordered_json::object();
    for (const auto& [key, line] : pattern.overrides) overrides[key] = line;
    patterns.push_back(ordered_json{{"match", pattern.match}, {"overrides", overrides}});
  }
  return ordered_json{{"defaultPlayer", playerJson(meta.defaultPlayer)}, {"patterns", patterns}};
}

ordered_json colorJson(const std::optional<Color>& color) {
  if (!color) return nullptr;
  return ordered_json::array({color->r, color->g, color->b, color->a});
}

ordered_json dateJson(const std::optional<Date>& date) {
  if (!date) return nullptr;
  return formatInternetDateTime(*date);
}

void printJson(std::ostream& out, const ordered_json& value) {
  printIndented(out, value, 0);
  out << '\n';
}

}  // namespace brivora::cli
