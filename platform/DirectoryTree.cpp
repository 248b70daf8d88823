#include "platform/DirectoryTree.h"

#include <sys/stat.h>

#include <deque>
#include <set>
#include <utility>

#include "platform/Files.h"

namespace brivora {

namespace {

struct Folder {
  std::filesystem::path path;
  std::string relative;  // "" for the top
  int depth;
};

class TreeWalk {
 public:
  std::optional<DirectoryTree> run(const std::filesystem::path& top) {
    if (!enter(Folder{top, "", 0})) return std::nullopt;
    // Folders reached through links come after every real one, so that a folder found both
    // ways keeps its own path.
    while (!linked_.empty()) {
      const Folder next = std::move(linked_.front());
      linked_.pop_front();
      if (isNew(next.path)) {
        tree_.folders.push_back(next.relative);
        enter(next);
      }
    }
    return std::move(tree_);
  }

 private:
  static std::optional<std::pair<dev_t, ino_t>> identity(const std::filesystem::path& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return std::nullopt;
    return std::pair{info.st_dev, info.st_ino};
  }

  bool isNew(const std::filesystem::path& folder) const {
    const auto id = identity(folder);
    return id && !entered_.contains(*id);
  }

  // Lists a folder not entered before; false when it cannot be listed.
  bool enter(const Folder& folder) {
    const auto id = identity(folder.path);
    if (!id || !entered_.insert(*id).second) return false;
    std::optional<std::vector<std::string>> names = listDirectory(folder.path);
    if (!names) return false;
    for (const std::string& name : *names) {
      if (taken_ == maxTreeEntries) break;
      ++taken_;
      Folder entry{folder.path / name,
                   folder.relative.empty() ? name : folder.relative + "/" + name, folder.depth + 1};
      // lstat and stat look without opening, so FIFOs and devices never block the walk.
      struct stat link {};
      const bool isLink = ::lstat(entry.path.c_str(), &link) == 0 && S_ISLNK(link.st_mode);
      if (!identity(entry.path)) {
        tree_.files.push_back(std::move(entry.relative));  // a dangling link is a file too
      } else if (entry.depth > maxTreeDepth) {
        continue;
      } else if (isLink) {
        linked_.push_back(std::move(entry));
      } else if (isNew(entry.path)) {
        tree_.folders.push_back(entry.relative);
        enter(entry);
      }
    }
    return true;
  }

  DirectoryTree tree_;
  std::set<std::pair<dev_t, ino_t>> entered_;
  std::deque<Folder> linked_;
  std::size_t taken_ = 0;
};

}  // namespace

std::optional<DirectoryTree> listDirectoryTree(const std::filesystem::path& folder) {
  return TreeWalk().run(folder);
}

}  // namespace brivora
