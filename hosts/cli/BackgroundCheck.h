#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace brivora::cli {

// `brivora check` with `arguments` (after "check"), run as a child process that writes its
// report to this process's stderr, so that whoever waits for the check (a frame loop) does not:
// checking a folder of large photos decodes every one. Starting a run ends one still going.
class BackgroundCheck {
 public:
  explicit BackgroundCheck(std::vector<std::string> arguments);
  ~BackgroundCheck();
  BackgroundCheck(const BackgroundCheck&) = delete;
  BackgroundCheck& operator=(const BackgroundCheck&) = delete;

  void start();

 private:
  // Ends the run under way, if any, and collects it.
  void stop();

  std::vector<std::string> arguments_;
  pid_t child_ = -1;
};

}  // namespace brivora::cli
