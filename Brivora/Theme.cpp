#include "Brivora/Theme.h"

#include "Brivora/JsonResource.h"
#include "Brivora/ThemeFields.h"
#include "platform/UnicodeText.h"

namespace brivora {

const Theme& Theme::fallback() {
  static const Theme defaults;
  return defaults;
}

Theme Theme::load(const Bundle& bundle) {
  std::optional<JsonValue> object = readJsonObjectResource(bundle, "theme");
  if (!object) return fallback();
  return themeFromJson(*object);
}

FontWeight Theme::nsFontWeight() const {
  return fontWeightNamed(unicode::lowercased(clockWeight)).value_or(FontWeight::regular);
}

FontDesign Theme::clockDesign() const {
  const std::string word = unicode::lowercased(clockFamily);
  if (word == "serif") return FontDesign::serif;
  if (word == "rounded") return FontDesign::rounded;
  return FontDesign::standard;
}

}  // namespace brivora
