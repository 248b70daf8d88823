#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace brivora::testing {

// The `brivora` program the tests run: the one this build made, or another build's named by
// $BRIVORA_TEST_PROGRAM, so that the same tests can measure it.
std::string brivoraProgram();

// How to start a child: its program and arguments, changes to the environment ("NAME=value"
// sets, a bare "NAME" removes), a file that takes its stdout and stderr (none: /dev/null), and
// one that takes stderr apart from stdout (none: with stdout).
struct Launch {
  std::vector<std::string> argv;
  std::vector<std::string> environment = {};
  std::filesystem::path output = {};
  std::filesystem::path errors = {};
};

// A started program, killed when the object goes if it still runs.
class ChildProcess {
 public:
  explicit ChildProcess(const Launch& launch);
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // brivoraProgram() with `arguments`, on the X display `display` (none: unset) and outside any
  // XScreenSaver window.
  static Launch brivora(const std::vector<std::string>& arguments, const std::string& display = {});

  pid_t pid() const { return pid_; }

  // Its exit status (128 + the signal when a signal ended it) once it has ended; nothing while
  // it runs. Never waits.
  std::optional<int> status();

  // Waits up to `limit` for it to end: its status, or nothing when it still ran and was killed.
  std::optional<int> waitFor(std::chrono::milliseconds limit);

  void signal(int number) const;

  // The most memory it held, once it has ended.
  long peakMemoryKiB() const { return peakMemoryKiB_; }

 private:
  void ended(int waitStatus, long peakMemoryKiB);

  pid_t pid_ = -1;
  std::optional<int> status_;
  long peakMemoryKiB_ = 0;
};

// How a program run to its end went: its status (none when it ran past the limit and was
// killed), the most memory it held, and what it wrote on stdout and on stderr.
struct Finished {
  std::optional<int> status;
  long peakMemoryKiB = 0;
  std::string out;
  std::string err;
};

// Starts `launch` with its stdout and stderr taken into files apart and waits up to `limit`.
Finished runToEnd(Launch launch, std::chrono::milliseconds limit);

}  // namespace brivora::testing
