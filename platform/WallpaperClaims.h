#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <vector>

namespace brivora {

// The wallpapers each view of one host shows or brings in next, so that views side by side
// (one per monitor) can each pick one that no other shows. The host owns it and outlives its
// views; used on the drawing thread only.
class WallpaperClaims {
 public:
  using Holder = std::uint64_t;

  // A new holder with no claims, for a view being created.
  Holder join();

  // Drops `holder` and everything it claimed, as its view goes.
  void leave(Holder holder);

  // Replaces what `holder` claims with `wallpapers`.
  void claim(Holder holder, std::vector<std::filesystem::path> wallpapers);

  // Whether a holder other than `holder` claims `wallpaper`.
  bool claimedByOthers(Holder holder, const std::filesystem::path& wallpaper) const;

 private:
  Holder nextHolder_ = 1;
  std::map<Holder, std::vector<std::filesystem::path>> claims_;
};

// One view's place among the claims of its host, left when it goes; without claims (a view
// alone) it claims nothing and finds nothing taken.
class WallpaperClaimant {
 public:
  explicit WallpaperClaimant(WallpaperClaims* claims)
      : claims_(claims), holder_(claims ? claims->join() : 0) {}
  ~WallpaperClaimant() {
    if (claims_) claims_->leave(holder_);
  }
  WallpaperClaimant(const WallpaperClaimant&) = delete;
  WallpaperClaimant& operator=(const WallpaperClaimant&) = delete;

  // Whether another view of the host shows or brings in `wallpaper`.
  bool isTakenByOthers(const std::filesystem::path& wallpaper) const {
    return claims_ && claims_->claimedByOthers(holder_, wallpaper);
  }

  // Makes `wallpapers` what this view shows and brings in, in place of what it claimed.
  void claim(std::vector<std::filesystem::path> wallpapers) {
    if (claims_) claims_->claim(holder_, std::move(wallpapers));
  }

 private:
  WallpaperClaims* claims_;
  WallpaperClaims::Holder holder_;
};

}  // namespace brivora
