#include "tests/support/ShellCommand.h"

#include <sys/wait.h>

#include <cstdio>

namespace brivora::testing {

ShellResult runShell(const std::string& command) {
  ShellResult result;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return result;
  char buffer[4096];
  for (std::size_t count; (count = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
    result.out.append(buffer, count);
  }
  const int raw = ::pclose(pipe);
  result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  return result;
}

std::string shellQuoted(std::string_view text) {
  std::string quoted("'");
  for (const char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + '\'';
}

}  // namespace brivora::testing
