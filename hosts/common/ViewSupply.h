#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <utility>

#include "hosts/common/FrameClock.h"
#include "hosts/common/MonitorMode.h"
#include "platform/Bundle.h"
#include "platform/Clock.h"
#include "platform/RandomSource.h"
#include "platform/ViewRegistry.h"
#include "platform/WallpaperClaims.h"

namespace brivora {

// What one view is handed at its creation, kept for as long as the view lives: its
// environment and, where it has one of its own, its random source.
class ViewSeat {
 public:
  // A seat sharing `random` with other views.
  ViewSeat(const Bundle& bundle, Clock& clock, RandomSource& random, WallpaperClaims* claims)
      : environment_{bundle, clock, random, claims} {}
  // A seat with a random source of its own, seeded with `seed`.
  ViewSeat(const Bundle& bundle, Clock& clock, std::uint64_t seed)
      : ownRandom_(std::in_place, seed), environment_{bundle, clock, *ownRandom_, nullptr} {}
  ViewSeat(const ViewSeat&) = delete;
  ViewSeat& operator=(const ViewSeat&) = delete;

  const ViewEnvironment& environment() const { return environment_; }

 private:
  std::optional<SeededRandomSource> ownRandom_;
  ViewEnvironment environment_;
};

// Where a host's views get their time and chance, as its monitor mode asks:
// - each: one random source for all, and the claims that keep any two views from showing the
//   same wallpaper;
// - same: a source of their own, all seeded alike, and a clock that stands still through a
//   frame, so that views made together choose and move in step;
// - span: one random source and the system's clock, as a single view has.
class ViewSupply {
 public:
  ViewSupply(Bundle bundle, MonitorMode mode, Clock& clock, std::uint64_t seed);
  ViewSupply(const ViewSupply&) = delete;
  ViewSupply& operator=(const ViewSupply&) = delete;

  MonitorMode mode() const { return mode_; }

  // Call at the start of every frame, before any view ticks.
  void beginFrame() { frameClock_.latch(); }

  // The seat for one more view. In `same` every seat until the next `startGroup` is seeded
  // alike.
  std::unique_ptr<ViewSeat> seat();

  // In `same`, views seated from now on form a new group with a seed of its own; call before
  // making every view anew. Nothing in the other modes.
  void startGroup();

 private:
  Bundle bundle_;
  MonitorMode mode_;
  Clock& clock_;
  FrameClock frameClock_;
  SeededRandomSource random_;
  WallpaperClaims claims_;
  std::uint64_t groupSeed_ = 0;
};

}  // namespace brivora
