// Brivora as a hack of the real XScreenSaver daemon, on a private Xvfb server: the daemon
// blanks the screen with it, it draws its frame, and it ends when the daemon unblanks.
#include "tests/support/ScreenProbe.h"

#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/TempBundle.h"
#include "tests/support/TestAccount.h"
#include "tests/support/WaitUntil.h"

namespace brivora {
namespace {

using namespace std::chrono_literals;
using testing::findProgram;
using testing::VirtualDisplay;

// Generous, for a loaded machine and the sanitizer build's slow start.
constexpr auto startLimit = 20s;  // for the daemon, and then for its hack
constexpr auto firstFrameLimit = 30s;
// How long Brivora may take to end once the daemon has unblanked.
constexpr auto hackEndLimit = 1s;

// The id of the process the daemon's graphics helper started for `program`, from its verbose
// log ("forked "PROGRAM ..." in pid N"); 0 while there is none.
pid_t hackId(const std::string& log, const std::filesystem::path& program) {
  const std::size_t forked = log.find("forked \"" + program.string());
  const std::size_t id = forked == std::string::npos ? forked : log.find(" in pid ", forked);
  return id == std::string::npos ? 0 : std::atoi(log.c_str() + id + 8);
}

// The XScreenSaver daemon on `display` as `account`, until the object ends; then it is asked
// to exit. While it lives the test adopts orphaned processes, so that the hack's exit status
// reaches it.
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
    launcher_ =
        std::make_unique<testing::ChildProcess>(testing::Launch{account.run(argv), {}, log_});
  }
  XScreenSaverDaemon(const XScreenSaverDaemon&) = delete;
  XScreenSaverDaemon& operator=(const XScreenSaverDaemon&) = delete;
  ~XScreenSaverDaemon() {
    // Whatever it leaves still connected ends with the server, after this object.
    command({"--exit"});
    launcher_->waitFor(5s);
    prctl(PR_SET_CHILD_SUBREAPER, 0);
  }

  // Runs xscreensaver-command with `options`; whether the daemon took the command.
  bool command(const std::vector<std::string>& options) const {
    std::vector<std::string> argv = {findProgram("xscreensaver-command"), "--display", display_};
    argv.insert(argv.end(), options.begin(), options.end());
    return testing::ChildProcess({argv, {}, log_.parent_path() / "command.log"}).waitFor(10s) == 0;
  }

  // What the daemon, its helpers and its hacks wrote, under a heading for failure messages.
  std::string log() const { return "\n--- xscreensaver's output ---\n" + testing::readText(log_); }

 private:
  std::string display_;
  std::filesystem::path log_;
  std::unique_ptr<testing::ChildProcess> launcher_;
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

TEST(XScreenSaverDaemon, RunsBrivoraWhenBlankingAndEndsItWhenUnblanking) {
  for (const char* program : {"xscreensaver", "xscreensaver-command"}) {
    if (findProgram(program).empty()) {
      GTEST_SKIP() << program << " is not installed (Debian package xscreensaver)";
    }
  }
  VirtualDisplay server;
  if (server.display.empty()) GTEST_SKIP() << "Xvfb is not installed";
  // A folder the daemon's user can read, wherever the checkout is: a bundle with one wallpaper
  // of four coloured quadrants, and beside its files a copy of Brivora, a home whose
  // preferences run only Brivora, and the files the sanitizer options name.
  const testing::TempBundle scratch{"/tmp"};
  const std::filesystem::path folder = scratch.folder();
  const std::filesystem::path program = folder / "brivora";
  const std::filesystem::path home = folder / "home";
  // A copy, so that the build folder need not be open to the daemon's user and so that this
  // test's hack is told from any other Brivora by its program file.
  std::filesystem::copy_file(testing::brivoraProgram(), program);
  const std::vector<std::string> environment = sanitizerEnvironment(folder);
  testing::writeQuadrantBundle(scratch);
  // The daemon's own defaults fade, lock, show a splash and pick hacks at random; none of that
  // is wanted here, and a long timeout keeps it from blanking on its own.
  scratch.write("home/.xscreensaver",
                "mode: one\nselected: 0\ntimeout: 1:00:00\ncycle: 0:00:00\nlock: False\n"
                "lockTimeout: 0:00:00\nfade: False\nunfade: False\nsplash: False\n"
                "dpmsEnabled: False\ndpmsQuickoffEnabled: False\ngrabDesktopImages: False\n"
                "memoryLimit: 0\nnice: 0\n"
                // As the README has people write it.
                "programs: \"Brivora\" " +
                    program.string() + " --root --bundle " + folder.string() + " \\n\n");
  // Open to the daemon's user: folders can be entered, files read, the program run.
  testing::openToEveryone(folder);
  std::filesystem::permissions(program, std::filesystem::perms::others_exec,
                               std::filesystem::perm_options::add);
  std::string whyNoAccount;
  const std::optional<testing::TestAccount> account =
      testing::ordinaryAccount(folder, whyNoAccount);
  if (!account) GTEST_SKIP() << whyNoAccount;
  // The daemon's home belongs to the account it runs as.
  ASSERT_EQ(chown(home.c_str(), account->uid, account->gid), 0);
  ASSERT_EQ(chown((home / ".xscreensaver").c_str(), account->uid, account->gid), 0);

  const XScreenSaverDaemon daemon(server.display, *account, home, environment,
                                  folder / "daemon.log");
  // The daemon takes commands once it has announced itself on the root window.
  const auto selected = [&] { return daemon.command({"--select", "1"}); };
  ASSERT_TRUE(testing::waitUntil(selected, startLimit, 200ms))
      << "the daemon took no --select command" << daemon.log();
  pid_t hack = 0;
  ASSERT_TRUE(testing::waitUntil([&] { return (hack = hackId(daemon.log(), program)) > 0; },
                                 startLimit, 50ms))
      << "the daemon did not start Brivora" << daemon.log();

  Display* x = XOpenDisplay(server.display.c_str());
  ASSERT_NE(x, nullptr);
  EXPECT_TRUE(testing::waitForQuadrants(x, DefaultRootWindow(x), VirtualDisplay::width,
                                        VirtualDisplay::height, firstFrameLimit))
      << "the screen does not show Brivora's frame" << daemon.log();
  XCloseDisplay(x);

  ASSERT_TRUE(daemon.command({"--deactivate"})) << daemon.log();
  // Its wait status (0: exit status 0) reaches the test when its parent, the daemon's graphics
  // helper, ended first.
  int status = 0;
  pid_t collected = 0;
  const auto ended = [&] {
    collected = waitpid(hack, &status, WNOHANG);
    return collected == hack || kill(hack, 0) != 0;
  };
  if (!testing::waitUntil(ended, hackEndLimit, 5ms)) {
    kill(hack, SIGKILL);
    ADD_FAILURE() << "Brivora still runs a second after the daemon unblanked" << daemon.log();
  }
  EXPECT_EQ(collected == hack ? status : 0, 0) << daemon.log();
  for (const char* report : {"Sanitizer", "runtime error"}) {
    EXPECT_EQ(daemon.log().find(report), std::string::npos) << daemon.log();
  }
}

}  // namespace
}  // namespace brivora
