// The X11 host as XScreenSaver and a desktop run it, on a private Xvfb server.
#include <gtest/gtest.h>

// Xlib's macros (None, Bool, Status) clash with names in gtest, so it comes second.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "tests/support/TempBundle.h"

namespace brivora {
namespace {

using namespace std::chrono_literals;

// A virtual X server for the test's lifetime; `display` is empty when Xvfb is not installed.
class VirtualDisplay {
 public:
  VirtualDisplay() {
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
        execlp("Xvfb", "Xvfb", candidate.c_str(), "-screen", "0", "640x480x24", "-br", "-nolisten",
               "tcp", static_cast<char*>(nullptr));
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
        kill(server_, SIGKILL);
        waitpid(server_, nullptr, 0);
        server_ = -1;
      }
    }
  }
  ~VirtualDisplay() {
    if (server_ > 0) {
      kill(server_, SIGTERM);
      waitpid(server_, nullptr, 0);
    }
  }
  std::string display;

 private:
  pid_t server_ = -1;
};

pid_t startBrivora(const std::string& display, const std::vector<std::string>& arguments) {
  const pid_t child = fork();
  if (child == 0) {
    setenv("DISPLAY", display.c_str(), 1);
    unsetenv("XSCREENSAVER_WINDOW");
    std::vector<char*> argv{const_cast<char*>(BRIVORA_EXECUTABLE)};
    for (const std::string& argument : arguments)
      argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    execv(BRIVORA_EXECUTABLE, argv.data());
    _exit(127);
  }
  return child;
}

// The child's exit status, or -1 when it has not ended within `limit`.
int waitFor(pid_t child, std::chrono::milliseconds limit) {
  const auto until = std::chrono::steady_clock::now() + limit;
  while (std::chrono::steady_clock::now() < until) {
    int status = 0;
    if (waitpid(child, &status, WNOHANG) == child) {
      return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    std::this_thread::sleep_for(5ms);
  }
  kill(child, SIGKILL);
  waitpid(child, nullptr, 0);
  return -1;
}

// How many pixels of `window` in rows [`top`, `bottom`) are lit.
int litPixels(Display* x, Window window, int width, int top, int bottom) {
  XImage* shot = XGetImage(x, window, 0, top, width, bottom - top, AllPlanes, ZPixmap);
  if (!shot) return 0;
  int lit = 0;
  for (int row = 0; row < bottom - top; ++row) {
    for (int column = 0; column < width; ++column)
      lit += (XGetPixel(shot, column, row) & 0xFF) > 60;
  }
  XDestroyImage(shot);
  return lit;
}

// Waits, up to `limit`, until more than `enough` pixels of those rows are lit: the host has
// shown its first frame, however long a loaded machine took to start it.
bool waitForFrame(Display* x, Window window, int width, int top, int bottom, int enough,
                  std::chrono::milliseconds limit) {
  const auto until = std::chrono::steady_clock::now() + limit;
  while (std::chrono::steady_clock::now() < until) {
    if (litPixels(x, window, width, top, bottom) > enough) return true;
    std::this_thread::sleep_for(20ms);
  }
  return false;
}

TEST(X11Host, OwnWindowEndsCleanlyOnTerminationSignals) {
  VirtualDisplay server;
  if (server.display.empty()) GTEST_SKIP() << "Xvfb is not installed";
  testing::TempBundle bundle;
  for (int signal : {SIGTERM, SIGINT}) {
    Display* x = XOpenDisplay(server.display.c_str());
    ASSERT_NE(x, nullptr);
    const pid_t child = startBrivora(server.display, {"run", "--bundle", bundle.folder().string(),
                                                      "-window", "-geometry", "320x200"});
    EXPECT_TRUE(waitForFrame(x, DefaultRootWindow(x), 640, 0, 480, 50, 20s)) << "signal " << signal;
    XCloseDisplay(x);
    kill(child, signal);
    EXPECT_EQ(waitFor(child, 500ms), 0) << "signal " << signal;
  }
}

TEST(X11Host, DrawsIntoAGivenWindowAndEndsWhenItIsDestroyed) {
  VirtualDisplay server;
  if (server.display.empty()) GTEST_SKIP() << "Xvfb is not installed";
  Display* x = XOpenDisplay(server.display.c_str());
  ASSERT_NE(x, nullptr);
  const Window window = XCreateSimpleWindow(x, DefaultRootWindow(x), 0, 0, 400, 200, 0, 0, 0);
  XMapWindow(x, window);
  XSync(x, False);
  testing::TempBundle bundle;
  char id[32];
  std::snprintf(id, sizeof id, "0x%lx", window);
  const pid_t child =
      startBrivora(server.display, {"--bundle", bundle.folder().string(), "-window-id", id});
  // The empty bundle's message stands just above the middle of the window.
  EXPECT_TRUE(waitForFrame(x, window, 400, 70, 100, 50, 20s));
  XDestroyWindow(x, window);
  XSync(x, False);
  EXPECT_EQ(waitFor(child, 500ms), 0);
  XCloseDisplay(x);
}

TEST(X11Host, MissingWindowOrDisplayIsAnEnvironmentError) {
  VirtualDisplay server;
  if (server.display.empty()) GTEST_SKIP() << "Xvfb is not installed";
  testing::TempBundle bundle;
  EXPECT_EQ(waitFor(startBrivora(server.display,
                                 {"--bundle", bundle.folder().string(), "-window-id", "0x7fffff0"}),
                    3s),
            2);
  EXPECT_EQ(waitFor(startBrivora(":97531", {"--bundle", bundle.folder().string(), "-window"}), 3s),
            2);
}

}  // namespace
}  // namespace brivora
