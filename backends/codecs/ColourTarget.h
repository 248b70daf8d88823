#pragma once

// The colours decoded pixels are converted to, chosen per pane by the host that shows them.
#include <memory>
#include <string>

namespace brivora {

struct ColourTarget {
  // False: no conversion at all; every file's numbers are drawn as they are stored.
  bool managed = true;
  // The display's ICC profile; null for sRGB.
  std::shared_ptr<const std::string> displayProfile;

  // The display's profile when it can take conversions (an RGB profile that LittleCMS opens and
  // can convert to); sRGB otherwise.
  static ColourTarget forDisplay(std::string iccProfile);
};

// Sets the target that loadImage gives the images loaded on this thread while it lives, and
// puts the previous one back when it ends. A host wraps each view's creation and ticks in one,
// so that each view's wallpapers are converted for the monitor it is on.
class ColourTargetScope {
 public:
  explicit ColourTargetScope(ColourTarget target);
  ~ColourTargetScope();
  ColourTargetScope(const ColourTargetScope&) = delete;
  ColourTargetScope& operator=(const ColourTargetScope&) = delete;

 private:
  ColourTarget previous_;
};

// The target of the innermost ColourTargetScope on this thread; sRGB outside any.
const ColourTarget& currentColourTarget();

}  // namespace brivora
