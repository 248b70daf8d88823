#pragma once

#include <chrono>
#include <optional>
#include <set>
#include <string>

#include "platform/Bundle.h"

namespace brivora {

using SteadyTime = std::chrono::steady_clock::time_point;

// Tells when a burst of changes is over: once, at the first moment a quiet spell has passed
// since the burst's last change.
class ChangeSettling {
 public:
  explicit ChangeSettling(std::chrono::milliseconds quiet) : quiet_(quiet) {}

  // A change was seen at `at`; it starts the quiet spell afresh.
  void changed(SteadyTime at) { lastChange_ = at; }

  // True at the first call at least the quiet spell after the last change, then not again
  // until another change.
  bool settled(SteadyTime now);

 private:
  std::chrono::milliseconds quiet_;
  std::optional<SteadyTime> lastChange_;
};

// Notices, through inotify, changes to what a view reads from its bundle: theme.json,
// meta.json and the wallpapers folder (or the folder the bundle lists in its place, with the
// sub-folders it lists). Never blocks; a host asks it once a frame or so.
class BundleWatcher {
 public:
  // How long the files must stay unchanged before a change counts as done.
  static constexpr std::chrono::milliseconds settleTime{300};

  // Starts watching. Watches nothing when inotify cannot be had (see isWatching).
  BundleWatcher(Bundle bundle, std::string wallpapersName,
                std::chrono::milliseconds quiet = settleTime);
  ~BundleWatcher();
  BundleWatcher(const BundleWatcher&) = delete;
  BundleWatcher& operator=(const BundleWatcher&) = delete;

  bool isWatching() const { return inotify_ >= 0; }

  // Reads what inotify has noticed so far, as seen at `now`. True once the watched files have
  // been left unchanged for the quiet spell after changing; the watches are then renewed, as
  // folders may have been made, replaced or removed meanwhile.
  bool changesSettled(SteadyTime now);

 private:
  // Watches the bundle's folder and the wallpapers folders as they are now.
  void renewWatches();
  // Reads every pending event; true when one of them concerns a watched file.
  bool readEvents();

  Bundle bundle_;
  std::string wallpapersName_;
  ChangeSettling settling_;
  int inotify_ = -1;
  int bundleWatch_ = -1;
  std::set<int> folderWatches_;  // the wallpapers folder and its sub-folders
  std::set<int> watches_;        // all of them
};

}  // namespace brivora
