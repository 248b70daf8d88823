#include "backends/recording/DrawListJson.h"

#include <nlohmann/json.hpp>

#include "platform/FontWeight.h"

namespace brivora {

namespace {

// Keys stay in the order written, "op" first, so the list reads like the calls.
using json = nlohmann::ordered_json;

json rectJson(Rect rect) {
  return json::array({rect.minX(), rect.minY(), rect.width(), rect.height()});
}

json colorJson(Color color) {
  return json::array({color.r, color.g, color.b, color.a});
}

json fontJson(const Font& font) {
  return json{{"size", font.size},
              {"weight", std::string(fontWeightName(font.weight))},
              {"design", std::string(fontDesignName(font.design))},
              {"italic", font.italic},
              {"monospacedDigits", font.monospacedDigits}};
}

json shadowJson(const std::optional<Shadow>& shadow) {
  if (!shadow) return nullptr;
  return json{{"color", colorJson(shadow->color)},
              {"blur", shadow->blurRadius},
              {"offset", json::array({shadow->offset.width, shadow->offset.height})}};
}

json callJson(const FillRectCall& call) {
  return json{{"op", "fillRect"}, {"rect", rectJson(call.rect)}, {"color", colorJson(call.color)}};
}

json callJson(const ImageCall& call) {
  return json{{"op", "image"},
              {"file", call.file},
              {"rect", rectJson(call.rect)},
              {"fraction", call.fraction}};
}

json callJson(const GradientCall& call) {
  return json{{"op", "gradient"},
              {"rect", rectJson(call.rect)},
              {"colors", json::array({colorJson(call.start), colorJson(call.end)})},
              {"angle", call.angleDegrees}};
}

json callJson(const RoundedRectCall& call) {
  return json{{"op", "roundedRect"},
              {"rect", rectJson(call.rect)},
              {"radius", call.radius},
              {"color", colorJson(call.color)}};
}

json callJson(const TextCall& call) {
  const AttributedString& text = call.text;
  return json{{"op", "text"},
              {"text", text.string},
              {"point", json::array({call.point.x, call.point.y})},
              {"size", json::array({call.measuredSize.width, call.measuredSize.height})},
              {"font", text.font ? fontJson(*text.font) : json(nullptr)},
              {"color", text.color ? colorJson(*text.color) : json(nullptr)},
              {"kern", text.kern},
              {"shadow", shadowJson(text.shadow)}};
}

}  // namespace

std::string drawListJson(std::span<const DrawCall> calls) {
  // One call per line reads like the sequence of calls it is.
  std::string text = "[";
  for (std::size_t at = 0; at < calls.size(); ++at) {
    const json each = std::visit([](const auto& call) { return callJson(call); }, calls[at]);
    text += at == 0 ? "\n  " : ",\n  ";
    // Invalid UTF-8 in a text is replaced rather than refused: the list is always written.
    text += each.dump(-1, ' ', false, json::error_handler_t::replace);
  }
  text += calls.empty() ? "]\n" : "\n]\n";
  return text;
}

}  // namespace brivora
