#include "platform/Files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace brivora {

namespace {

ReadFailure failureFromErrno(int error) {
  switch (error) {
    case ENOENT:
    case ENOTDIR:
    case ELOOP:
      return ReadFailure::missing;
    case EACCES:
    case EPERM:
      return ReadFailure::permissionDenied;
    default:
      return ReadFailure::ioError;
  }
}

FileContents failed(ReadFailure failure) {
  return FileContents{std::nullopt, failure};
}

// Closes the descriptor on every way out of the reader.
class OpenFile {
 public:
  explicit OpenFile(int fd) : fd_(fd) {}
  OpenFile(const OpenFile&) = delete;
  OpenFile& operator=(const OpenFile&) = delete;
  ~OpenFile() {
    if (fd_ >= 0) ::close(fd_);
  }
  int fd() const { return fd_; }

 private:
  int fd_;
};

enum class BeyondLimit { refuse, stop };

FileContents readRegularFile(const std::filesystem::path& path, std::size_t maxBytes,
                             BeyondLimit beyond) {
  // Checked before opening, so that opening a device never happens at all.
  struct stat before {};
  if (::stat(path.c_str(), &before) != 0) return failed(failureFromErrno(errno));
  if (!S_ISREG(before.st_mode)) return failed(ReadFailure::notRegularFile);

  OpenFile file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  if (file.fd() < 0) return failed(failureFromErrno(errno));
  const int fd = file.fd();

  // Checked again on the open file: the path may have been swapped in between.
  struct stat opened {};
  if (::fstat(fd, &opened) != 0) return failed(ReadFailure::ioError);
  if (!S_ISREG(opened.st_mode)) return failed(ReadFailure::notRegularFile);
  const auto size = static_cast<std::size_t>(opened.st_size);
  if (size > maxBytes && beyond == BeyondLimit::refuse) return failed(ReadFailure::tooLarge);

  // One byte past the cap tells a file that grew too large while being read.
  const std::size_t ceiling = beyond == BeyondLimit::refuse ? maxBytes + 1 : maxBytes;
  std::string bytes;
  bytes.resize(std::min(size, maxBytes));
  std::size_t filled = 0;
  for (;;) {
    if (filled == bytes.size()) {
      if (filled == ceiling) break;
      bytes.resize(std::min(ceiling, std::max<std::size_t>(bytes.size() * 2, 4096)));
    }
    ssize_t count = ::read(fd, bytes.data() + filled, bytes.size() - filled);
    if (count < 0) {
      if (errno == EINTR) continue;
      return failed(ReadFailure::ioError);
    }
    if (count == 0) break;
    filled += static_cast<std::size_t>(count);
  }
  if (filled > maxBytes) return failed(ReadFailure::tooLarge);
  bytes.resize(filled);
  return FileContents{std::move(bytes), ReadFailure::ioError};
}

}  // namespace

FileContents readWholeFile(const std::filesystem::path& path, std::size_t maxBytes) {
  return readRegularFile(path, maxBytes, BeyondLimit::refuse);
}

FileContents readFileHead(const std::filesystem::path& path, std::size_t count) {
  return readRegularFile(path, count, BeyondLimit::stop);
}

std::string_view describeReadFailure(ReadFailure failure) {
  switch (failure) {
    case ReadFailure::missing:
      return "it does not exist";
    case ReadFailure::notRegularFile:
      return "it is not a regular file";
    case ReadFailure::tooLarge:
      return "it is too large";
    case ReadFailure::permissionDenied:
      return "permission denied";
    case ReadFailure::ioError:
      break;
  }
  return "a read error occurred";
}

std::optional<std::vector<std::string>> listDirectory(const std::filesystem::path& folder) {
  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr) return std::nullopt;
  std::vector<std::string> names;
  errno = 0;
  while (const dirent* entry = ::readdir(dir)) {
    std::string_view name = entry->d_name;
    if (name != "." && name != "..") names.emplace_back(name);
    errno = 0;
  }
  bool failedMidway = errno != 0;
  ::closedir(dir);
  if (failedMidway) return std::nullopt;
  return names;
}

FileKind fileKind(const std::filesystem::path& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return FileKind::missing;
  if (S_ISREG(info.st_mode)) return FileKind::regular;
  if (S_ISDIR(info.st_mode)) return FileKind::directory;
  return FileKind::other;
}

}  // namespace brivora
