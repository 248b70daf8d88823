#include "tests/support/SwaySession.h"

#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <sstream>

#include "tests/support/TestAccount.h"
#include "tests/support/WaitUntil.h"

namespace brivora::testing {

namespace {

using namespace std::chrono_literals;

constexpr auto startLimit = 20s;
constexpr auto commandLimit = 10s;

// A binary PPM (P6) as grim writes it; an empty picture for anything else.
SwayScreenshot readPpm(const std::string& bytes) {
  std::istringstream in(bytes);
  std::string magic;
  int width = 0;
  int height = 0;
  int maximum = 0;
  in >> magic >> width >> height >> maximum;
  in.get();
  const auto count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  const auto start = static_cast<std::size_t>(in.tellg());
  if (magic != "P6" || maximum != 255 || width <= 0 || height <= 0 || !in ||
      bytes.size() < start + count * 3) {
    return {};
  }
  SwayScreenshot shot{width, height, std::vector<std::uint32_t>(count)};
  for (std::size_t at = 0; at < count; ++at) {
    const auto byte = [&](std::size_t channel) {
      return static_cast<std::uint32_t>(
          static_cast<unsigned char>(bytes[start + at * 3 + channel]));
    };
    shot.rgb[at] = byte(0) << 16 | byte(1) << 8 | byte(2);
  }
  return shot;
}

}  // namespace

SwaySession::SwaySession(const std::vector<SwayOutput>& outputs, bool withX11) {
  for (const char* program : {"sway", "swaymsg", withX11 ? "Xwayland" : "sway", "grim"}) {
    if (findProgram(program).empty()) {
      whyNot = std::string(program) + " is not installed (Debian packages sway, xwayland, grim)";
      return;
    }
  }
  const std::optional<TestAccount> account = ordinaryAccount(scratch_.folder(), whyNot);
  if (!account) return;
  if (withX11 && !account->name.empty() && findProgram("xhost").empty()) {
    whyNot =
        "xhost, to let this test's user into the session's X display, is not installed "
        "(Debian package x11-xserver-utils)";
    return;
  }
  const std::filesystem::path folder = scratch_.folder();
  const std::filesystem::path runtime = folder / "runtime";
  const std::filesystem::path ready = folder / "ready";
  std::string config = withX11 ? "xwayland force\n" : "xwayland disable\n";
  int left = 0;
  for (std::size_t at = 0; at < outputs.size(); ++at) {
    config += "output HEADLESS-" + std::to_string(at + 1) + " mode " +
              std::to_string(outputs[at].width) + "x" + std::to_string(outputs[at].height) +
              " scale " + std::to_string(outputs[at].scale) + " position " + std::to_string(left) +
              " 0\n";
    left += outputs[at].width / outputs[at].scale;
  }
  // Once XWayland runs: let this process in where it runs as another user, then say where the
  // session is.
  const std::string letIn =
      account->name.empty() || !withX11
          ? ""
          : "xhost +si:localuser:$(id -un " + std::to_string(geteuid()) + ") >/dev/null 2>&1; ";
  config += "exec sh -c '" + letIn + "echo \"$DISPLAY $WAYLAND_DISPLAY $SWAYSOCK\" > " +
            ready.string() + ".part && mv " + ready.string() + ".part " + ready.string() + "'\n";
  scratch_.write("config", config);
  std::filesystem::create_directory(runtime);
  openToEveryone(folder);
  // The runtime folder belongs to the session's user alone, as sway wants.
  std::filesystem::permissions(runtime, std::filesystem::perms::owner_all);
  if (chown(runtime.c_str(), account->uid, account->gid) != 0 ||
      chown(folder.c_str(), account->uid, account->gid) != 0) {
    whyNot = "cannot hand the session's folder to " + account->name;
    return;
  }
  Launch launch{
      account->run({"env", "-u", "DISPLAY", "-u", "WAYLAND_DISPLAY", "-u", "SWAYSOCK",
                    "HOME=" + folder.string(), "XDG_RUNTIME_DIR=" + runtime.string(),
                    "WLR_BACKENDS=headless",
                    "WLR_HEADLESS_OUTPUTS=" + std::to_string(outputs.size()), "WLR_RENDERER=pixman",
                    "WLR_LIBINPUT_NO_DEVICES=1", "sway", "-c", (folder / "config").string()}),
      {},
      folder / "sway.log"};
  sway_ = std::make_unique<ChildProcess>(launch);
  waitUntil([&] { return std::filesystem::exists(ready) || sway_->status(); }, startLimit);
  std::istringstream words(readText(ready));
  std::string x11;
  if (withX11) words >> x11;
  words >> waylandDisplay_ >> socket_;
  if ((withX11 && x11.empty()) || socket_.empty()) {
    whyNot = "sway did not start: " + readText(folder / "sway.log").substr(0, 2000);
    return;
  }
  display = x11;
  waitUntil([&] { return !withX11 || monitorCount() >= static_cast<int>(outputs.size()); },
            startLimit);
}

SwaySession::~SwaySession() {
  if (!sway_) return;
  const auto ended = [this](std::chrono::milliseconds limit) {
    return waitUntil([this] { return sway_->status().has_value(); }, limit, 10ms);
  };
  if (!socket_.empty()) command("exit");
  // runuser passes a termination signal on to sway, where a kill would leave sway running.
  if (!ended(3s)) sway_->signal(SIGTERM);
  ended(2s);
}

bool SwaySession::type(const std::vector<std::string>& keys) const {
  std::vector<std::string> argv = {"wtype", "-s", "300"};
  argv.insert(argv.end(), keys.begin(), keys.end());
  return ChildProcess({argv, waylandEnvironment()}).waitFor(commandLimit) == 0;
}

void SwaySession::kill() {
  // runuser's child, sway itself, must go: its connections break as in a crash.
  ChildProcess({{"pkill", "-KILL", "-f", "^sway -c " + (scratch_.folder() / "config").string()}})
      .waitFor(commandLimit);
  sway_->waitFor(commandLimit);
}

std::vector<std::string> SwaySession::waylandEnvironment() const {
  return {"XDG_RUNTIME_DIR=" + (scratch_.folder() / "runtime").string(),
          "WAYLAND_DISPLAY=" + waylandDisplay_};
}

Launch SwaySession::brivora(const std::vector<std::string>& arguments) const {
  Launch launch = ChildProcess::brivora(arguments);
  const std::vector<std::string> wayland = waylandEnvironment();
  launch.environment.insert(launch.environment.end(), wayland.begin(), wayland.end());
  return launch;
}

bool SwaySession::command(const std::string& text) const {
  return ChildProcess({{"swaymsg", "-s", socket_, text}}).waitFor(commandLimit) == 0;
}

SwayScreenshot SwaySession::screenshot(const std::string& name) const {
  const std::filesystem::path file = scratch_.folder() / "screenshot.ppm";
  std::vector<std::string> argv = {"grim", "-t", "ppm"};
  if (!name.empty()) argv.insert(argv.end(), {"-o", name});
  argv.push_back(file.string());
  std::filesystem::remove(file);
  if (ChildProcess({argv, waylandEnvironment()}).waitFor(commandLimit) != 0) return {};
  return readPpm(readText(file));
}

int SwaySession::monitorCount() const {
  Display* x = display.empty() ? nullptr : XOpenDisplay(display.c_str());
  if (!x) return 0;
  int count = 0;
  if (XRRMonitorInfo* monitors = XRRGetMonitors(x, DefaultRootWindow(x), True, &count)) {
    XRRFreeMonitors(monitors);
  }
  XCloseDisplay(x);
  return count;
}

}  // namespace brivora::testing
