#pragma once

#include <string>
#include <string_view>

namespace brivora::testing {

struct ShellResult {
  int status = -1;  // the exit status; -1 when the command did not exit normally
  std::string out;
};

// Runs a shell command line and gives its exit status and stdout.
ShellResult runShell(const std::string& command);

// `text` in single quotes for the shell, with any single quote inside kept.
std::string shellQuoted(std::string_view text);

}  // namespace brivora::testing
