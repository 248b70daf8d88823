#include "tests/support/VirtualDisplay.h"

#include <X11/Xlib.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

namespace brivora::testing {

using namespace std::chrono_literals;

VirtualDisplay::VirtualDisplay(const std::vector<std::string>& extraArguments) {
  const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
  // Display numbers are tried from a place that depends on the process, so tests running
  // side by side rarely collide; a server that finds its number taken exits and the next
  // number is tried.
  for (int attempt = 0; attempt < 20; ++attempt) {
    const int number = 100 + (getpid() * 7 + attempt * 13) % 800;
    std::string candidate = ":";
    candidate += std::to_string(number);
    if (access(("/tmp/.X" + std::to_string(number) + "-lock").c_str(), F_OK) == 0) continue;
    server_ = fork();
    if (server_ == 0) {
      const int quiet = open("/dev/null", O_WRONLY);
      dup2(quiet, STDOUT_FILENO);
      dup2(quiet, STDERR_FILENO);
      // A black root, so that any lit pixel on the screen is one the host drew.
      std::vector<std::string> words{"Xvfb", candidate, "-screen",   "0",
                                     screen, "-br",     "-nolisten", "tcp"};
      words.insert(words.end(), extraArguments.begin(), extraArguments.end());
      std::vector<char*> argv;
      for (std::string& word : words) argv.push_back(word.data());
      argv.push_back(nullptr);
      execvp("Xvfb", argv.data());
      _exit(127);
    }
    for (int wait = 0; wait < 150; ++wait) {
      int status = 0;
      if (waitpid(server_, &status, WNOHANG) == server_) {
        server_ = -1;
        if (WIFEXITED(status) && WEXITSTATUS(status) == 127) return;  // no Xvfb here
        break;
      }
      if (Display* probe = XOpenDisplay(candidate.c_str())) {
        XCloseDisplay(probe);
        // Another test's server may have answered while ours was giving up on the number.
        std::this_thread::sleep_for(100ms);
        if (waitpid(server_, nullptr, WNOHANG) == 0) {
          display = candidate;
          return;
        }
        server_ = -1;
        break;
      }
      std::this_thread::sleep_for(20ms);
    }
    if (server_ > 0) {
      ::kill(server_, SIGKILL);
      waitpid(server_, nullptr, 0);
      server_ = -1;
    }
  }
}

void VirtualDisplay::kill() {
  if (server_ > 0) {
    ::kill(server_, SIGKILL);
    waitpid(server_, nullptr, 0);
    server_ = -1;
  }
}

VirtualDisplay::~VirtualDisplay() {
  if (server_ > 0) {
    ::kill(server_, SIGTERM);
    waitpid(server_, nullptr, 0);
  }
}

}  // namespace brivora::testing
