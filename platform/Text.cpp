#include "platform/Text.h"

#include "platform/GraphicsContext.h"

namespace brivora {

std::string_view fontDesignName(FontDesign design) {
  switch (design) {
    case FontDesign::rounded:
      return "rounded";
    case FontDesign::serif:
      return "serif";
    case FontDesign::standard:
      break;
  }
  return "default";
}

Size AttributedString::size() const {
  GraphicsContext* context = GraphicsContext::current();
  return context ? context->measureText(*this) : Size{};
}

void AttributedString::drawAt(Point point) const {
  if (GraphicsContext* context = GraphicsContext::current()) {
    context->drawText(*this, point);
  }
}

}  // namespace brivora
