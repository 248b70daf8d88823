#include "platform/WallpaperClaims.h"

#include <algorithm>

namespace brivora {

WallpaperClaims::Holder WallpaperClaims::join() {
  const Holder holder = nextHolder_++;
  claims_[holder];
  return holder;
}

void WallpaperClaims::leave(Holder holder) {
  claims_.erase(holder);
}

void WallpaperClaims::claim(Holder holder, std::vector<std::filesystem::path> wallpapers) {
  claims_[holder] = std::move(wallpapers);
}

bool WallpaperClaims::claimedByOthers(Holder holder, const std::filesystem::path& wallpaper) const {
  return std::any_of(claims_.begin(), claims_.end(), [&](const auto& entry) {
    return entry.first != holder &&
           std::find(entry.second.begin(), entry.second.end(), wallpaper) != entry.second.end();
  });
}

}  // namespace brivora
