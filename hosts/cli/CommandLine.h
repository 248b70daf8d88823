#pragma once

#include <ostream>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

namespace brivora::cli {

// A mistake in how the command was called: reported in one line, exit status 2.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A failure of the environment (a bundle folder that is not there): one line, exit status 2.
class EnvironmentError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

enum ExitStatus : int { exitSuccess = 0, exitProblems = 1, exitUsage = 2 };

// The streams a command writes to, so that tests can run commands in-process.
struct Output {
  std::ostream& out;
  std::ostream& err;
};

// Runs the `brivora` command line (without the program name) and gives its exit status.
// Usage and environment errors are thrown for the caller to report.
int runCommandLine(std::span<const std::string> arguments, Output output);

}  // namespace brivora::cli
