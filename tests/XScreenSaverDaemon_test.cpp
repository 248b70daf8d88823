// Brivora as a hack of the real XScreenSaver daemon, on a private Xvfb server: the daemon
// blanks the screen with it, it draws its frame, and it ends when the daemon unblanks.
#include <gtest/gtest.h>

// Xlib's macros (None, Bool, Status) clash with names in gtest, so it comes second.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/ChildProcess.h"
#include "tests/support/ScreenProbe.h"
#include "tests/support/TempBundle.h"
#include "tests/support/TestAccount.h"
#include "tests/support/TestImageFiles.h"
#include "tests/support/VirtualDisplay.h"

namespace brivora {
namespace {

using namespace std::chrono_literals;
using testing::findProgram;
using testing::MeanColour;
using testing::meanColour;
using testing::VirtualDisplay;
using Clock = std::chrono::steady_clock;

// Generous, for a loaded machine and the sanitizer build's slow start.
constexpr auto daemonStartLimit = 20s;
constexpr auto hackStartLimit = 20s;
constexpr auto firstFrameLimit = 30s;
constexpr auto commandLimit = 10s;
constexpr auto daemonExitLimit = 5s;
// How long Brivora may take to end once the daemon has unblanked.
constexpr auto hackEndLimit = 1s;
constexpr auto pollInterval = 50ms;

// Starts `argv` with stdin from /dev/null and stdout and stderr appended to `output`.
pid_t spawn(const std::vector<std::string>& argv, const std::filesystem::path& output) {
  const pid_t child = fork();
  if (child == 0) {
    const int in = open("/dev/null", O_RDONLY);
    const int out = open(output.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    dup2(in, STDIN_FILENO);
    dup2(out, STDOUT_FILENO);
    dup2(out, STDERR_FILENO);
    std::vector<char*> pointers;
    for (const std::string& word : argv) pointers.push_back(const_cast<char*>(word.c_str()));
    pointers.push_back(nullptr);
    execvp(pointers[0], pointers.data());
    _exit(127);
  }
  return child;
}

// Runs `argv` to its end; its exit status, or -1 when it ran past `limit` and was killed.
int runToEnd(const std::vector<std::string>& argv, const std::filesystem::path& output,
             std::chrono::milliseconds limit) {
  const pid_t child = spawn(argv, output);
  const auto until = Clock::now() + limit;
  while (Clock::now() < until) {
    int status = 0;
    if (waitpid(child, &status, WNOHANG) == child) {
      return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    std::this_thread::sleep_for(10ms);
  }
  kill(child, SIGKILL);
  waitpid(child, nullptr, 0);
  return -1;
}

// One line of /proc/PID/stat, as far as the tests need it.
struct ProcessEntry {
  pid_t pid = 0;
  pid_t parent = 0;
  char state = '?';
  unsigned long long startTicks = 0;  // tells a process from a later one given the same id
};

std::optional<ProcessEntry> processEntry(pid_t pid) {
  std::istringstream stat(testing::readText("/proc/" + std::to_string(pid) + "/stat"));
  std::string line;
  if (!std::getline(stat, line)) return std::nullopt;
  // The name in parentheses may hold spaces and parentheses itself; the fields follow the last.
  const std::size_t nameEnd = line.rfind(')');
  if (nameEnd == std::string::npos) return std::nullopt;
  std::istringstream fields(line.substr(nameEnd + 1));
  ProcessEntry entry;
  entry.pid = pid;
  fields >> entry.state >> entry.parent;
  std::string skipped;
  for (int field = 5; field < 22; ++field) fields >> skipped;
  fields >> entry.startTicks;
  if (!fields) return std::nullopt;
  return entry;
}

std::vector<ProcessEntry> processTable() {
  std::vector<ProcessEntry> table;
  std::error_code error;
  for (const auto& item : std::filesystem::directory_iterator("/proc", error)) {
    const std::string name = item.path().filename().string();
    if (name.find_first_not_of("0123456789") != std::string::npos) continue;
    if (auto entry = processEntry(std::stoi(name))) table.push_back(*entry);
  }
  return table;
}

// `root` and every process below it.
std::vector<ProcessEntry> processFamily(pid_t root) {
  const std::vector<ProcessEntry> table = processTable();
  std::vector<ProcessEntry> family;
  for (const ProcessEntry& entry : table) {
    if (entry.pid == root) family.push_back(entry);
  }
  for (std::size_t at = 0; at < family.size(); ++at) {
    for (const ProcessEntry& entry : table) {
      if (entry.parent == family[at].pid) family.push_back(entry);
    }
  }
  return family;
}

// The processes whose program is the file at `program`.
std::vector<pid_t> processesRunning(const std::filesystem::path& program) {
  std::vector<pid_t> found;
  for (const ProcessEntry& entry : processTable()) {
    std::error_code error;
    const auto executable =
        std::filesystem::read_symlink("/proc/" + std::to_string(entry.pid) + "/exe", error);
    if (!error && executable == program && entry.state != 'Z') found.push_back(entry.pid);
  }
  return found;
}

// How a process ended: `status` is known only where it ended as this test's child (the test
// adopts orphans), not where its own parent collected it.
struct Ending {
  bool ended = false;
  std::optional<int> status;
};

Ending endingOf(const ProcessEntry& process) {
  int status = 0;
  if (waitpid(process.pid, &status, WNOHANG) == process.pid) {
    return {true, WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status)};
  }
  const std::optional<ProcessEntry> now = processEntry(process.pid);
  const bool ended =
      !now || now->startTicks != process.startTicks || now->state == 'Z' || now->state == 'X';
  return {ended, std::nullopt};
}

// The XScreenSaver daemon on `display` as `account`, until the object ends; then it is asked
// to exit and whatever it started that is still running is killed. While it lives the test
// adopts orphaned processes, so that the hack's exit status reaches it.
class XScreenSaverDaemon {
 public:
  XScreenSaverDaemon(std::string display, const testing::TestAccount& account,
                     const std::filesystem::path& home, const std::vector<std::string>& environment,
                     std::filesystem::path log)
      : display_(std::move(display)), log_(std::move(log)) {
    prctl(PR_SET_CHILD_SUBREAPER, 1);
    // The daemon sets XSCREENSAVER_WINDOW for its hacks; one from outside would mislead them.
    std::vector<std::string> argv{"env", "-u", "XSCREENSAVER_WINDOW", "DISPLAY=" + display_,
                                  "HOME=" + home.string()};
    argv.insert(argv.end(), environment.begin(), environment.end());
    argv.insert(argv.end(), {findProgram("xscreensaver"), "--no-splash", "--verbose"});
    launcher_ = spawn(account.run(argv), log_);
  }
  XScreenSaverDaemon(const XScreenSaverDaemon&) = delete;
  XScreenSaverDaemon& operator=(const XScreenSaverDaemon&) = delete;
  ~XScreenSaverDaemon() {
    std::vector<ProcessEntry> family = processFamily(launcher_);
    command({"--exit"});
    waitUntilEnded(family, daemonExitLimit);
    for (const ProcessEntry& process : processFamily(launcher_)) family.push_back(process);
    for (const ProcessEntry& process : family) {
      if (!endingOf(process).ended) kill(process.pid, SIGKILL);
    }
    waitUntilEnded(family, daemonExitLimit);
    prctl(PR_SET_CHILD_SUBREAPER, 0);
  }

  // Runs xscreensaver-command with `options`; whether the daemon took the command.
  bool command(const std::vector<std::string>& options) const {
    std::vector<std::string> argv = {findProgram("xscreensaver-command"), "--display", display_};
    argv.insert(argv.end(), options.begin(), options.end());
    return runToEnd(argv, log_.parent_path() / "command.log", commandLimit) == 0;
  }

  // The end of what the daemon, its helpers and its hacks wrote, for failure messages.
  std::string logTail() const {
    constexpr std::size_t tailLength = 4000;
    const std::string log = testing::readText(log_);
    return "\n--- xscreensaver's output ---\n" +
           (log.size() > tailLength ? log.substr(log.size() - tailLength) : log);
  }

  std::string log() const { return testing::readText(log_); }

 private:
  // Collects the family's exit statuses where they come to this process.
  static void waitUntilEnded(const std::vector<ProcessEntry>& family,
                             std::chrono::milliseconds limit) {
    const auto until = Clock::now() + limit;
    for (const ProcessEntry& process : family) {
      while (!endingOf(process).ended && Clock::now() < until) std::this_thread::sleep_for(10ms);
    }
  }

  std::string display_;
  std::filesystem::path log_;
  pid_t launcher_ = -1;
};

// The sanitizer options in this process's environment, for the daemon's user: the files they
// name (leak suppressions) are copied into `folder`, since that user may not be able to read
// them where they are (a checkout in a private home, say).
std::vector<std::string> sanitizerEnvironment(const std::filesystem::path& folder) {
  std::vector<std::string> environment;
  for (const std::string variable : {"ASAN_OPTIONS", "LSAN_OPTIONS", "UBSAN_OPTIONS"}) {
    const char* value = std::getenv(variable.c_str());
    if (!value) continue;
    std::string rewritten;
    std::istringstream options(value);
    for (std::string option; std::getline(options, option, ':');) {
      if (option.starts_with("suppressions=")) {
        const std::filesystem::path copy = folder / (variable + "-suppressions.txt");
        std::filesystem::copy_file(option.substr(13), copy,
                                   std::filesystem::copy_options::overwrite_existing);
        option = "suppressions=" + copy.string();
      }
      rewritten += (rewritten.empty() ? "" : ":") + option;
    }
    environment.push_back(variable + "=" + rewritten);
  }
  return environment;
}

// A folder the daemon's user can read, made by the test wherever the checkout is: a copy of
// Brivora, a bundle with one wallpaper of four coloured quadrants, a home whose preferences
// run only Brivora, and the files the sanitizer options name.
struct HackSetup {
  HackSetup() {
    const std::filesystem::path& folder = scratch.folder();
    program = folder / "brivora";
    bundle = folder / "bundle";
    home = folder / "home";
    // A copy, so that the build folder need not be open to the daemon's user and so that this
    // test's hack is told from any other Brivora by its program file.
    std::filesystem::copy_file(testing::brivoraProgram(), program);
    environment = sanitizerEnvironment(folder);
    scratch.write("bundle/wallpapers/quadrants.png",
                  testing::encodePng(testing::quadrantPicture(
                      VirtualDisplay::width, VirtualDisplay::height, testing::quadrantColours)));
    scratch.write("bundle/theme.json",
                  R"({"clockPosition": "bottom-left", "playerOverlayEnabled": false})");
    // The daemon's own defaults fade, lock, show a splash and pick hacks at random; none of
    // that is wanted here, and a long timeout keeps it from blanking on its own.
    scratch.write("home/.xscreensaver",
                  "mode: one\n"
                  "selected: 0\n"
                  "timeout: 1:00:00\n"
                  "cycle: 0:00:00\n"
                  "lock: False\n"
                  "lockTimeout: 0:00:00\n"
                  "fade: False\n"
                  "unfade: False\n"
                  "splash: False\n"
                  "dpmsEnabled: False\n"
                  "dpmsQuickoffEnabled: False\n"
                  "grabDesktopImages: False\n"
                  "memoryLimit: 0\n"
                  "nice: 0\n"
                  // As the README has people write it.
                  "programs: \"Brivora\" " +
                      program.string() + " --root --bundle " + bundle.string() + " \\n\n");
    // Open to the daemon's user: folders can be entered, files read, the program run.
    testing::openToEveryone(folder);
    std::filesystem::permissions(program, std::filesystem::perms::others_exec,
                                 std::filesystem::perm_options::add);
  }

  // Whether the daemon's home now belongs to the account it runs as.
  bool handHomeTo(const testing::TestAccount& account) const {
    return chown(home.c_str(), account.uid, account.gid) == 0 &&
           chown((home / ".xscreensaver").c_str(), account.uid, account.gid) == 0;
  }

  // Not a bundle itself: the folder that holds everything, where every user can reach it.
  testing::TempBundle scratch{"/tmp"};
  std::filesystem::path program;
  std::vector<std::string> environment;  // for the daemon, and so for its hacks
  std::filesystem::path bundle;
  std::filesystem::path home;
};

struct ImageDeleter {
  void operator()(XImage* image) const { XDestroyImage(image); }
};
using Screenshot = std::unique_ptr<XImage, ImageDeleter>;

Screenshot takeScreenshot(Display* x) {
  return Screenshot(XGetImage(x, DefaultRootWindow(x), 0, 0, VirtualDisplay::width,
                              VirtualDisplay::height, AllPlanes, ZPixmap));
}

// Pixels of the block whose every channel is above `threshold`: white text on a dark ground.
int brightPixels(XImage* shot, int left, int top, int right, int bottom, unsigned threshold) {
  int count = 0;
  for (int y = top; y < bottom; ++y) {
    for (int x = left; x < right; ++x) {
      const unsigned long pixel = XGetPixel(shot, x, y);
      count += ((pixel >> 16) & 0xFF) > threshold && ((pixel >> 8) & 0xFF) > threshold &&
               (pixel & 0xFF) > threshold;
    }
  }
  return count;
}

std::string describe(const MeanColour& colour) {
  std::ostringstream text;
  text << "(" << static_cast<int>(colour.red) << ", " << static_cast<int>(colour.green) << ", "
       << static_cast<int>(colour.blue) << ")";
  return text.str();
}

// What on the screen differs from Brivora's frame of the quadrant wallpaper, one line each;
// empty when it shows that frame.
std::string frameDifferences(XImage* shot) {
  // The Ken Burns zoom and pan move the quadrants' edges by a few percent, so the blocks keep
  // well inside them; the lower blocks end above the scrim, which begins 40% from the bottom.
  struct Block {
    const char* name;
    int left, top, right, bottom;
    testing::Rgba expected;
  };
  constexpr int tolerance = 40;
  const Block blocks[] = {
      {"top left", 110, 70, 210, 170, testing::quadrantColours[0]},
      {"top right", 430, 70, 530, 170, testing::quadrantColours[1]},
      {"bottom left", 110, 265, 210, 285, testing::quadrantColours[2]},
      {"bottom right", 430, 265, 530, 285, testing::quadrantColours[3]},
  };
  std::string differences;
  for (const Block& block : blocks) {
    const MeanColour mean = meanColour(shot, block.left, block.top, block.right, block.bottom);
    if (!testing::isNear(mean, block.expected.red, block.expected.green, block.expected.blue,
                         tolerance)) {
      differences += std::string(block.name) + " quadrant shows " + describe(mean) + "\n";
    }
  }
  // The scrim darkens the white quadrant towards the bottom edge, without hiding it.
  const MeanColour dimmed = meanColour(shot, 430, 440, 530, 470);
  if (dimmed.red < 40 || dimmed.red > 200 || std::abs(dimmed.red - dimmed.blue) > tolerance) {
    differences += "the scrim over the white quadrant shows " + describe(dimmed) + "\n";
  }
  // The clock's white digits and date, bottom left, over the darkened blue quadrant, whose
  // red channel stays far below the threshold.
  constexpr int clockPixelsAtLeast = 200;
  const int clockPixels = brightPixels(shot, 0, 330, 320, VirtualDisplay::height, 180);
  if (clockPixels < clockPixelsAtLeast) {
    differences += "the clock's corner has " + std::to_string(clockPixels) + " white pixels\n";
  }
  return differences;
}

// Polls the screen until it shows Brivora's frame or `limit` passes; what still differs.
std::string waitForFrame(Display* x, std::chrono::milliseconds limit) {
  const auto until = Clock::now() + limit;
  std::string differences = "no screenshot could be taken";
  while (Clock::now() < until) {
    if (const Screenshot shot = takeScreenshot(x)) {
      differences = frameDifferences(shot.get());
      if (differences.empty()) return {};
    }
    std::this_thread::sleep_for(pollInterval);
  }
  return differences;
}

TEST(XScreenSaverDaemon, RunsBrivoraWhenBlankingAndEndsItWhenUnblanking) {
  for (const char* program : {"xscreensaver", "xscreensaver-command"}) {
    if (findProgram(program).empty()) {
      GTEST_SKIP() << program << " is not installed (Debian package xscreensaver)";
    }
  }
  VirtualDisplay server;
  if (server.display.empty()) GTEST_SKIP() << "Xvfb is not installed";
  const HackSetup setup;
  std::string whyNoAccount;
  const std::optional<testing::TestAccount> account =
      testing::ordinaryAccount(setup.scratch.folder(), whyNoAccount);
  if (!account) GTEST_SKIP() << whyNoAccount;
  ASSERT_TRUE(setup.handHomeTo(*account));

  const XScreenSaverDaemon daemon(server.display, *account, setup.home, setup.environment,
                                  setup.scratch.folder() / "daemon.log");
  // The daemon takes commands once it has announced itself on the root window.
  bool blanked = false;
  for (const auto until = Clock::now() + daemonStartLimit; !blanked && Clock::now() < until;) {
    blanked = daemon.command({"--select", "1"});
    if (!blanked) std::this_thread::sleep_for(200ms);
  }
  ASSERT_TRUE(blanked) << "the daemon took no --select command" << daemon.logTail();

  std::vector<pid_t> hacks;
  for (const auto until = Clock::now() + hackStartLimit; hacks.empty() && Clock::now() < until;) {
    std::this_thread::sleep_for(pollInterval);
    hacks = processesRunning(setup.program);
  }
  ASSERT_EQ(hacks.size(), 1u) << "the daemon did not start Brivora" << daemon.logTail();
  const std::optional<ProcessEntry> hack = processEntry(hacks.front());
  ASSERT_TRUE(hack.has_value());

  Display* x = XOpenDisplay(server.display.c_str());
  ASSERT_NE(x, nullptr);
  const std::string differences = waitForFrame(x, firstFrameLimit);
  XCloseDisplay(x);
  EXPECT_EQ(differences, "") << "the screen does not show Brivora's frame" << daemon.logTail();

  ASSERT_TRUE(daemon.command({"--deactivate"})) << daemon.logTail();
  const auto unblanked = Clock::now();
  Ending ending = endingOf(*hack);
  while (!ending.ended && Clock::now() - unblanked < hackEndLimit) {
    std::this_thread::sleep_for(5ms);
    ending = endingOf(*hack);
  }
  EXPECT_TRUE(ending.ended) << "Brivora still runs a second after the daemon unblanked"
                            << daemon.logTail();
  // Its status reaches the test when its parent, the daemon's graphics helper, ended first.
  if (ending.status) {
    EXPECT_EQ(*ending.status, 0) << daemon.logTail();
  }
  const std::string log = daemon.log();
  EXPECT_EQ(log.find("Sanitizer"), std::string::npos) << daemon.logTail();
  EXPECT_EQ(log.find("runtime error"), std::string::npos) << daemon.logTail();
}

}  // namespace
}  // namespace brivora
