#include "platform/Text.h"

#include <cassert>

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
  // Text is measured by the context's fonts: a layout built on a zero size would be silently
  // wrong, so measuring outside a drawing pass is a mistake debug builds stop at.
  assert(context && "text measured with no current graphics context");
  return context ? context->measureText(*this) : Size{};
}

void AttributedString::drawAt(Point point) const {
  if (GraphicsContext* context = GraphicsContext::current()) {
    context->drawText(*this, point);
  }
}

}  // namespace brivora
