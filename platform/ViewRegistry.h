#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "platform/Bundle.h"
#include "platform/Geometry.h"

namespace brivora {

class Clock;
class RandomSource;
class ScreenSaverView;
class WallpaperClaims;

// What a host hands a view it creates: the module's bundle, where time and chance come from
// and, where the host shows several views side by side, the wallpapers its views claim, so
// that no two show the same one. Everything referred to outlives the view.
struct ViewEnvironment {
  Bundle bundle;
  Clock& clock;
  RandomSource& random;
  WallpaperClaims* claims = nullptr;
};

// Makes a view; null when it cannot be created.
using ViewFactory = std::function<std::unique_ptr<ScreenSaverView>(
    Rect frame, bool isPreview, const ViewEnvironment& environment)>;

// Registers a view class under its principal class name, as a module does when it is linked
// in. Returns true, so that it can initialise a static.
bool registerViewClass(std::string name, ViewFactory factory);

// Creates a view of the class registered as `name`; null when no class has that name or the
// class yields no view.
std::unique_ptr<ScreenSaverView> createView(std::string_view name, Rect frame, bool isPreview,
                                            const ViewEnvironment& environment);

}  // namespace brivora
