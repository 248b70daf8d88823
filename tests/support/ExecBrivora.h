#pragma once

#include <unistd.h>

#include <string>
#include <vector>

namespace brivora::testing {

// In a forked child: replaces it with the built `brivora` program run with `arguments`; exits
// with 127 when that cannot start.
[[noreturn]] inline void execBrivora(const std::vector<std::string>& arguments) {
  std::vector<char*> argv{const_cast<char*>(BRIVORA_EXECUTABLE)};
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  execv(BRIVORA_EXECUTABLE, argv.data());
  _exit(127);
}

}  // namespace brivora::testing
