#include "tests/support/ChildProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <thread>

#include "tests/support/TempBundle.h"

namespace brivora::testing {

ChildProcess::ChildProcess(const Launch& launch) {
  pid_ = fork();
  if (pid_ != 0) return;
  for (const std::string& change : launch.environment) {
    const std::size_t equals = change.find('=');
    if (equals == std::string::npos) {
      unsetenv(change.c_str());
    } else {
      setenv(change.substr(0, equals).c_str(), change.c_str() + equals + 1, 1);
    }
  }
  const int out = launch.output.empty()
                      ? open("/dev/null", O_WRONLY)
                      : open(launch.output.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
  dup2(open("/dev/null", O_RDONLY), STDIN_FILENO);
  dup2(out, STDOUT_FILENO);
  dup2(launch.errors.empty() ? out
                             : open(launch.errors.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644),
       STDERR_FILENO);
  std::vector<char*> argv;
  for (const std::string& word : launch.argv) argv.push_back(const_cast<char*>(word.c_str()));
  argv.push_back(nullptr);
  execvp(argv[0], argv.data());
  _exit(127);
}

ChildProcess::~ChildProcess() {
  if (pid_ > 0 && !status()) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
}

std::string brivoraProgram() {
  const char* other = std::getenv("BRIVORA_TEST_PROGRAM");
  return other && *other ? other : BRIVORA_EXECUTABLE;
}

Launch ChildProcess::brivora(const std::vector<std::string>& arguments,
                             const std::string& display) {
  Launch launch{{brivoraProgram()}};
  launch.argv.insert(launch.argv.end(), arguments.begin(), arguments.end());
  launch.environment = {"XSCREENSAVER_WINDOW", display.empty() ? "DISPLAY" : "DISPLAY=" + display};
  return launch;
}

void ChildProcess::ended(int waitStatus, long peakMemoryKiB) {
  status_ = WIFEXITED(waitStatus) ? WEXITSTATUS(waitStatus) : 128 + WTERMSIG(waitStatus);
  peakMemoryKiB_ = peakMemoryKiB;
}

std::optional<int> ChildProcess::status() {
  int waitStatus = 0;
  rusage usage{};
  if (status_ || pid_ <= 0) return status_;
  const pid_t waited = wait4(pid_, &waitStatus, WNOHANG, &usage);
  if (waited == pid_) ended(waitStatus, usage.ru_maxrss);
  // Collected elsewhere (a test that adopts orphans waits for every child): ended, status unknown.
  if (waited < 0 && errno == ECHILD) status_ = -1;
  return status_;
}

std::optional<int> ChildProcess::waitFor(std::chrono::milliseconds limit) {
  const auto until = std::chrono::steady_clock::now() + limit;
  while (!status() && std::chrono::steady_clock::now() < until) {
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  if (status()) return status_;
  kill(pid_, SIGKILL);
  int waitStatus = 0;
  rusage usage{};
  wait4(pid_, &waitStatus, 0, &usage);
  ended(waitStatus, usage.ru_maxrss);
  return std::nullopt;
}

void ChildProcess::signal(int number) const {
  kill(pid_, number);
}

Finished runToEnd(Launch launch, std::chrono::milliseconds limit) {
  const TempBundle scratch;
  launch.output = scratch.folder() / "stdout";
  launch.errors = scratch.folder() / "stderr";
  ChildProcess child(launch);
  const std::optional<int> status = child.waitFor(limit);
  return {status, child.peakMemoryKiB(), readText(launch.output), readText(launch.errors)};
}

}  // namespace brivora::testing
