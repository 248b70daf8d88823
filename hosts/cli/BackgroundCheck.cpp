#include "hosts/cli/BackgroundCheck.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace brivora::cli {

BackgroundCheck::BackgroundCheck(std::vector<std::string> arguments)
    : arguments_(std::move(arguments)) {}

BackgroundCheck::~BackgroundCheck() {
  stop();
}

void BackgroundCheck::stop() {
  if (child_ <= 0) return;
  // An earlier run that has ended is collected; one still going is no longer of use.
  if (waitpid(child_, nullptr, WNOHANG) == 0) {
    kill(child_, SIGKILL);
    waitpid(child_, nullptr, 0);
  }
  child_ = -1;
}

void BackgroundCheck::start() {
  stop();
  std::vector<std::string> words{"brivora", "check"};
  words.insert(words.end(), arguments_.begin(), arguments_.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  child_ = fork();
  if (child_ == 0) {
    // The report, problems and summary alike, goes where this program's messages go.
    dup2(STDERR_FILENO, STDOUT_FILENO);
    execv("/proc/self/exe", argv.data());
    _exit(127);
  }
}

}  // namespace brivora::cli
