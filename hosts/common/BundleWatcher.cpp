#include "hosts/common/BundleWatcher.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>

namespace brivora {

namespace {

// Everything that can change what a view reads: contents, names, permissions, the folders.
constexpr std::uint32_t watchedEvents = IN_MODIFY | IN_CLOSE_WRITE | IN_ATTRIB | IN_CREATE |
                                        IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_DELETE_SELF |
                                        IN_MOVE_SELF | IN_ONLYDIR;

}  // namespace

bool ChangeSettling::settled(SteadyTime now) {
  if (!lastChange_ || now - *lastChange_ < quiet_) return false;
  lastChange_.reset();
  return true;
}

BundleWatcher::BundleWatcher(Bundle bundle, std::string wallpapersName,
                             std::chrono::milliseconds quiet)
    : bundle_(std::move(bundle)),
      wallpapersName_(std::move(wallpapersName)),
      settling_(quiet),
      inotify_(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
  if (inotify_ >= 0) renewWatches();
}

BundleWatcher::~BundleWatcher() {
  if (inotify_ >= 0) ::close(inotify_);
}

bool BundleWatcher::changesSettled(SteadyTime now) {
  if (inotify_ < 0) return false;
  if (readEvents()) settling_.changed(now);
  if (!settling_.settled(now)) return false;
  renewWatches();
  return true;
}

void BundleWatcher::renewWatches() {
  // Watching a folder again gives its old watch back, so only watches of folders no longer
  // wanted are removed, and no event falls between two watches.
  std::set<int> wanted;
  auto watch = [&](const std::filesystem::path& folder) {
    const int id = inotify_add_watch(inotify_, folder.c_str(), watchedEvents);
    if (id >= 0) wanted.insert(id);
    return id;
  };
  bundleWatch_ = bundle_.resourceURL() ? watch(*bundle_.resourceURL()) : -1;
  folderWatches_.clear();
  if (std::optional<FolderListing> listing = bundle_.listFolder(wallpapersName_)) {
    folderWatches_.insert(watch(listing->folder));
    for (const std::string& subfolder : listing->subfolders) {
      folderWatches_.insert(watch(listing->folder / subfolder));
    }
  }
  for (const int id : watches_) {
    if (!wanted.contains(id)) inotify_rm_watch(inotify_, id);
  }
  watches_ = std::move(wanted);
}

bool BundleWatcher::readEvents() {
  alignas(inotify_event) std::array<char, 16384> buffer;
  bool changed = false;
  bool folderMade = false;
  for (;;) {
    const ssize_t length = ::read(inotify_, buffer.data(), buffer.size());
    if (length < 0 && errno == EINTR) continue;
    if (length <= 0) break;
    for (ssize_t at = 0; at < length;) {
      inotify_event event;
      std::memcpy(&event, buffer.data() + at, sizeof event);
      const std::string_view name =
          event.len > 0 ? std::string_view(buffer.data() + at + sizeof event) : std::string_view();
      at += static_cast<ssize_t>(sizeof event + event.len);
      if (event.mask & IN_IGNORED) continue;  // a watch ended; its folder's own event came first
      const bool madeFolder = (event.mask & IN_ISDIR) && (event.mask & (IN_CREATE | IN_MOVED_TO));
      if (event.mask & IN_Q_OVERFLOW) {
        changed = true;
      } else if (folderWatches_.contains(event.wd)) {
        changed = true;
        folderMade = folderMade || madeFolder;
      } else if (event.wd == bundleWatch_ &&
                 (name == "theme.json" || name == "meta.json" || name == wallpapersName_)) {
        changed = true;
        folderMade = folderMade || madeFolder;
      }
    }
  }
  // A new sub-folder is watched at once, so that files copied into it count as the same burst.
  if (folderMade) renewWatches();
  return changed;
}

}  // namespace brivora
