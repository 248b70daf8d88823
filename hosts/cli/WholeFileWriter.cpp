#include "hosts/cli/WholeFileWriter.h"

#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstring>

#include "hosts/cli/CommandLine.h"

namespace brivora::cli {

namespace {

// The temporary file being written, for the signal handler; empty when there is none.
char pendingPath[4096];
std::atomic<bool> pending{false};

void removePendingAndDie(int signal) {
  if (pending.load()) unlink(pendingPath);
  std::signal(signal, SIG_DFL);
  std::raise(signal);
}

void removePendingOnInterrupt() {
  static const bool installed = [] {
    for (const int signal : {SIGINT, SIGTERM}) std::signal(signal, removePendingAndDie);
    return true;
  }();
  (void)installed;
}

}  // namespace

void writeWholeFile(
    const std::filesystem::path& path,
    const std::function<bool(const std::filesystem::path& temporary, std::string& error)>& write) {
  removePendingOnInterrupt();
  std::filesystem::path temporary = path;
  temporary += ".partial-" + std::to_string(getpid());
  const std::string& text = temporary.native();
  if (text.size() >= sizeof pendingPath) throw EnvironmentError("the path is too long: " + text);
  std::memcpy(pendingPath, text.c_str(), text.size() + 1);
  pending = true;
  std::string error;
  const bool written = write(temporary, error);
  std::error_code renameError;
  if (written) std::filesystem::rename(temporary, path, renameError);
  if (!written || renameError) std::filesystem::remove(temporary, renameError);
  pending = false;
  if (!written) throw EnvironmentError(error.empty() ? "cannot write " + path.string() : error);
  if (renameError) {
    throw EnvironmentError("cannot write " + path.string() + ": " + renameError.message());
  }
}

}  // namespace brivora::cli
