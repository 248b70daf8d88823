#include "hosts/common/BundleWatcher.h"

#include <gtest/gtest.h>

#include <functional>

#include "tests/support/TempBundle.h"

namespace brivora {
namespace {

using namespace std::chrono_literals;
using testing::TempBundle;

// A bundle with its files, and a folder of pictures with one in a sub-folder.
struct WatchedFiles {
  WatchedFiles() {
    bundle.write("theme.json", "{}");
    bundle.write("meta.json", "{}");
    bundle.write("notes.txt", "");
    bundle.write("wallpapers/a.jpg", "");
    bundle.makeFolder("wallpapers/sub");
    photos.write("sub/x.jpg", "");
  }
  TempBundle bundle, photos;
};

// Whether the watcher reports a settled change after `change`, on a clock it is handed: not
// before the quiet spell, once after it, and not again.
bool noticed(BundleWatcher& watcher, const std::function<void()>& change) {
  change();
  const SteadyTime start = std::chrono::steady_clock::now();
  const bool early = watcher.changesSettled(start);
  return !early && watcher.changesSettled(start + BundleWatcher::settleTime) &&
         !watcher.changesSettled(start + 2 * BundleWatcher::settleTime);
}

TEST(BundleWatcher, NoticesChangesToWhatTheViewReadsAndNothingElse) {
  struct Row {
    std::string what;
    std::optional<FolderDepth> photos;  // the folder of pictures served as the wallpapers
    std::function<void(const WatchedFiles&)> change;
    bool noticed;
  };
  const Row rows[] = {
      {"theme.json edited", {}, [](auto& f) { f.bundle.write("theme.json", "{ "); }, true},
      {"meta.json edited", {}, [](auto& f) { f.bundle.write("meta.json", "{ "); }, true},
      {"wallpaper added", {}, [](auto& f) { f.bundle.write("wallpapers/b.jpg", ""); }, true},
      {"other file", {}, [](auto& f) { f.bundle.write("notes.txt", "x"); }, false},
      {"own sub-folder", {}, [](auto& f) { f.bundle.write("wallpapers/sub/c.jpg", ""); }, false},
      {"picture added", FolderDepth::shallow, [](auto& f) { f.photos.write("y.jpg", ""); }, true},
      {"picture in a sub-folder", FolderDepth::shallow,
       [](auto& f) { f.photos.write("sub/y.jpg", ""); }, false},
      {"bundle wallpaper, pictures served", FolderDepth::shallow,
       [](auto& f) { f.bundle.write("wallpapers/b.jpg", ""); }, false},
  };
  for (const Row& row : rows) {
    WatchedFiles files;
    Bundle bundle = files.bundle.bundle();
    if (row.photos) bundle.replaceFolder("wallpapers", files.photos.folder(), *row.photos);
    BundleWatcher watcher(bundle, "wallpapers");
    ASSERT_TRUE(watcher.isWatching());
    EXPECT_EQ(noticed(watcher, [&] { row.change(files); }), row.noticed) << row.what;
  }
}

TEST(BundleWatcher, WatchesFoldersMadeWhileRunning) {
  WatchedFiles files;
  const std::filesystem::path wallpapers = files.bundle.folder() / "wallpapers";
  Bundle bundle = files.bundle.bundle();
  BundleWatcher own(bundle, "wallpapers");
  EXPECT_TRUE(noticed(own, [&] { std::filesystem::remove_all(wallpapers); }));
  EXPECT_TRUE(noticed(own, [&] { files.bundle.makeFolder("wallpapers"); }));
  EXPECT_TRUE(noticed(own, [&] { files.bundle.write("wallpapers/c.jpg", ""); }));

  bundle.replaceFolder("wallpapers", files.photos.folder(), FolderDepth::recursive);
  BundleWatcher photos(bundle, "wallpapers");

  // Pictures copied into a new sub-folder belong to the same burst as the folder.
  files.photos.makeFolder("2026");
  const SteadyTime start = std::chrono::steady_clock::now();
  EXPECT_FALSE(photos.changesSettled(start));
  files.photos.write("2026/a.jpg", "");
  EXPECT_FALSE(photos.changesSettled(start + 200ms));
  EXPECT_FALSE(photos.changesSettled(start + 300ms));
  EXPECT_TRUE(photos.changesSettled(start + 500ms));
}

}  // namespace
}  // namespace brivora
