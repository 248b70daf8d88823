#include "backends/codecs/ColourTarget.h"

#include <utility>

#include <lcms2.h>

namespace brivora {

namespace {

thread_local ColourTarget threadTarget;

// Whether images can be converted to the profile: RGB, and usable as a conversion's output.
bool takesConversions(const std::string& icc) {
  cmsHPROFILE profile = cmsOpenProfileFromMem(icc.data(), static_cast<cmsUInt32Number>(icc.size()));
  if (!profile) return false;
  const bool usable = cmsGetColorSpace(profile) == cmsSigRgbData &&
                      cmsIsIntentSupported(profile, INTENT_PERCEPTUAL, LCMS_USED_AS_OUTPUT);
  cmsCloseProfile(profile);
  return usable;
}

}  // namespace

ColourTarget ColourTarget::forDisplay(std::string iccProfile) {
  ColourTarget target;
  if (!iccProfile.empty() && takesConversions(iccProfile)) {
    target.displayProfile = std::make_shared<const std::string>(std::move(iccProfile));
  }
  return target;
}

ColourTargetScope::ColourTargetScope(ColourTarget target) : previous_(std::move(threadTarget)) {
  threadTarget = std::move(target);
}

ColourTargetScope::~ColourTargetScope() {
  threadTarget = std::move(previous_);
}

const ColourTarget& currentColourTarget() {
  return threadTarget;
}

}  // namespace brivora
