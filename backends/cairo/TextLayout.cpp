#include "backends/cairo/TextLayout.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <string_view>
#include <utility>

#include "backends/cairo/FontFamilies.h"
#include "backends/cairo/LruCache.h"

namespace brivora {

namespace {

// Kern beyond this many points a character only pushes text off any screen; the cap keeps
// the spacing within Pango's integer units.
constexpr double maxKern = 1000;

bool isFinite(const Shadow& shadow) {
  return isFinite(shadow.color) && std::isfinite(shadow.blurRadius) && isFinite(shadow.offset);
}

PangoAttrListHandle textAttributes(const AttributedString& text, const Font& font) {
  PangoAttrListHandle attributes(pango_attr_list_new());
  if (text.kern != 0) {
    const double kern = std::clamp(text.kern, -maxKern, maxKern);
    pango_attr_list_insert(
        attributes.get(),
        pango_attr_letter_spacing_new(static_cast<int>(std::lround(kern * PANGO_SCALE))));
  }
  if (font.monospacedDigits) {
    pango_attr_list_insert(attributes.get(), pango_attr_font_features_new("tnum 1"));
  }
  return attributes;
}

SurfaceRect inPoints(const PangoRectangle& rect) {
  constexpr double unitsPerPoint = PANGO_SCALE;
  return {rect.x / unitsPerPoint, rect.y / unitsPerPoint, rect.width / unitsPerPoint,
          rect.height / unitsPerPoint};
}

}  // namespace

Font fontOf(const AttributedString& text) {
  return text.font.value_or(Font{});
}

bool isLayoutable(const AttributedString& text) {
  const double size = fontOf(text).size;
  return size > 0 && size <= maxFontSize && std::isfinite(text.kern) &&
         (!text.color || isFinite(*text.color)) && (!text.shadow || isFinite(*text.shadow));
}

PangoWeight pangoWeight(FontWeight weight) {
  // By number: the system's ultra light is 100, which Pango calls thin.
  switch (weight) {
    case FontWeight::ultraLight:
      return PANGO_WEIGHT_THIN;
    case FontWeight::thin:
      return PANGO_WEIGHT_ULTRALIGHT;
    case FontWeight::light:
      return PANGO_WEIGHT_LIGHT;
    case FontWeight::regular:
      break;
    case FontWeight::medium:
      return PANGO_WEIGHT_MEDIUM;
    case FontWeight::semibold:
      return PANGO_WEIGHT_SEMIBOLD;
    case FontWeight::bold:
      return PANGO_WEIGHT_BOLD;
    case FontWeight::heavy:
      return PANGO_WEIGHT_ULTRABOLD;
    case FontWeight::black:
      return PANGO_WEIGHT_HEAVY;
  }
  return PANGO_WEIGHT_NORMAL;
}

PangoFontDescriptionHandle fontDescription(const Font& font) {
  PangoFontDescriptionHandle description(pango_font_description_new());
  pango_font_description_set_family(description.get(), fontFamilies(font.design));
  pango_font_description_set_weight(description.get(), pangoWeight(font.weight));
  pango_font_description_set_style(description.get(),
                                   font.italic ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
  pango_font_description_set_absolute_size(description.get(), font.size * PANGO_SCALE);
  return description;
}

PangoLayoutHandle makeTextLayout(PangoContext* context, const AttributedString& text) {
  const Font font = fontOf(text);
  PangoLayoutHandle layout(pango_layout_new(context));
  pango_layout_set_single_paragraph_mode(layout.get(), TRUE);
  pango_layout_set_width(layout.get(), -1);
  pango_layout_set_font_description(layout.get(), fontDescription(font).get());
  pango_layout_set_attributes(layout.get(), textAttributes(text, font).get());
  pango_layout_set_text(layout.get(), text.string.data(), static_cast<int>(text.string.size()));
  return layout;
}

ShapingKey ShapingKey::of(const AttributedString& text) {
  // Plus zero turns a negative zero kern into the positive zero it equals, for the hash.
  return {text.string, fontOf(text), text.kern + 0.0};
}

std::size_t ShapingKeyHash::operator()(const ShapingKey& key) const {
  const Font& font = key.font;
  std::size_t hash = std::hash<std::string_view>{}(key.string);
  hash = combineHash(hash, std::hash<double>{}(font.size));
  hash = combineHash(hash, static_cast<std::size_t>(font.weight));
  hash = combineHash(hash, static_cast<std::size_t>(font.design));
  hash = combineHash(hash, (font.italic ? 1u : 0u) | (font.monospacedDigits ? 2u : 0u));
  return combineHash(hash, std::hash<double>{}(key.kern));
}

ShapedText shapeText(PangoContext* context, const AttributedString& text, std::uint64_t serial) {
  PangoLayoutHandle layout = makeTextLayout(context, text);
  PangoRectangle ink;
  PangoRectangle logical;
  pango_layout_get_extents(layout.get(), &ink, &logical);
  return {std::move(layout), inPoints(logical), inPoints(ink), serial};
}

}  // namespace brivora
