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
// sets, a bare "NAME" removes), and a file that takes its stdout and stderr (none: /dev/null).
struct Launch {
  std::vector<std::string> argv;
  std::vector<std::string> environment = {};
  std::filesystem::path output = {};
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

 private:
  pid_t pid_ = -1;
  std::optional<int> status_;
};

}  // namespace brivora::testing
