#include "tests/support/VirtualDisplay.h"

#include <X11/Xlib.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "tests/support/WaitUntil.h"

namespace brivora::testing {

using namespace std::chrono_literals;

VirtualDisplay::VirtualDisplay(const std::vector<std::string>& extraArguments) {
  const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
  // Display numbers are tried from a place that depends on the process, so tests running
  // side by side rarely collide; a server that finds its number taken exits and the next
  // number is tried.
  for (int attempt = 0; attempt < 20; ++attempt) {
    const int number = 100 + (getpid() * 7 + attempt * 13) % 800;
    std::string candidate = ":";  // appended, as GCC 12 misreads ":" + a string as overlapping
    candidate += std::to_string(number);
    if (access(("/tmp/.X" + std::to_string(number) + "-lock").c_str(), F_OK) == 0) continue;
    // A black root, so that any lit pixel on the screen is one the host drew.
    Launch launch{{"Xvfb", candidate, "-screen", "0", screen, "-br", "-nolisten", "tcp"}};
    launch.argv.insert(launch.argv.end(), extraArguments.begin(), extraArguments.end());
    server_ = std::make_unique<ChildProcess>(launch);
    bool answered = false;
    waitUntil(
        [&] {
          if (server_->status()) return true;
          if (Display* probe = XOpenDisplay(candidate.c_str())) {
            XCloseDisplay(probe);
            answered = true;
          }
          return answered;
        },
        3s);
    if (server_->status() == 127) {  // no Xvfb here
      server_.reset();
      return;
    }
    // Another test's server may have answered while ours was giving up on the number.
    std::this_thread::sleep_for(100ms);
    if (answered && !server_->status()) {
      display = candidate;
      return;
    }
    server_.reset();
  }
}

VirtualDisplay::~VirtualDisplay() {
  // Asked to end, so that it removes its lock file.
  if (server_ && !server_->status()) {
    server_->signal(SIGTERM);
    server_->waitFor(5s);
  }
}

}  // namespace brivora::testing
