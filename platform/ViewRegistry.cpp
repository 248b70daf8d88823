#include "platform/ViewRegistry.h"

#include <map>
#include <utility>

#include "platform/ScreenSaverView.h"

namespace brivora {

namespace {

std::map<std::string, ViewFactory, std::less<>>& viewClasses() {
  static std::map<std::string, ViewFactory, std::less<>> classes;
  return classes;
}

}  // namespace

bool registerViewClass(std::string name, ViewFactory factory) {
  viewClasses()[std::move(name)] = std::move(factory);
  return true;
}

std::unique_ptr<ScreenSaverView> createView(std::string_view name, Rect frame, bool isPreview,
                                            const ViewEnvironment& environment) {
  const auto& classes = viewClasses();
  const auto found = classes.find(name);
  if (found == classes.end()) return nullptr;
  return found->second(frame, isPreview, environment);
}

}  // namespace brivora
