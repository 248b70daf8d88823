#include "platform/GraphicsContext.h"

namespace brivora {

namespace {

// Drawing happens on one thread; a host drawing views on several would give each its own.
thread_local GraphicsContext* currentContext = nullptr;

}  // namespace

GraphicsContext* GraphicsContext::current() {
  return currentContext;
}

CurrentGraphicsContext::CurrentGraphicsContext(GraphicsContext& context)
    : previous_(currentContext) {
  currentContext = &context;
}

CurrentGraphicsContext::~CurrentGraphicsContext() {
  currentContext = previous_;
}

void Gradient::drawIn(Rect rect, double angleDegrees) const {
  if (GraphicsContext* context = GraphicsContext::current()) {
    context->drawGradient(rect, start, end, angleDegrees);
  }
}

}  // namespace brivora
