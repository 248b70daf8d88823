#include "tests/support/SwaySession.h"

#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <sstream>

#include "backends/codecs/ImageCodecs.h"
#include "tests/support/TestAccount.h"
#include "tests/support/WaitUntil.h"

namespace brivora::testing {

namespace {

using namespace std::chrono_literals;

constexpr auto startLimit = 20s;
constexpr auto commandLimit = 10s;

// A binary PPM (P6) as grim writes it, cheaper to write and read than a PNG; an empty picture
// for anything else.
ImagePixels readPpm(const std::string& bytes) {
  int width = 0, height = 0, start = 0;
  if (std::sscanf(bytes.c_str(), "P6 %d %d 255%n", &width, &height, &start) != 2 || start == 0 ||
      width <= 0 || height <= 0 ||
      bytes.size() < std::size_t(start) + 1 + 3 * std::size_t(width) * height) {
    return {};
  }
  ImagePixels shot{width, height, std::vector<std::uint32_t>(std::size_t(width) * height)};
  const auto* byte = reinterpret_cast<const unsigned char*>(bytes.data()) + start + 1;
  for (std::uint32_t& pixel : shot.argb) {
    pixel = std::uint32_t{byte[0]} << 16 | std::uint32_t{byte[1]} << 8 | byte[2];
    byte += 3;
  }
  return shot;
}

}  // namespace

SwaySession::SwaySession(const std::vector<SwayOutput>& outputs, Compositor compositor) {
  const bool weston = compositor == Compositor::weston;
  const bool withX11 = compositor == Compositor::swayWithX11;
  std::vector<std::string> programs = {"weston", "weston-screenshooter"};
  if (!weston) programs = {"sway", "swaymsg", "grim", withX11 ? "Xwayland" : "sway"};
  for (const std::string& program : programs) {
    if (findProgram(program).empty()) {
      whyNot = program + " is not installed (Debian packages sway, xwayland, grim, weston)";
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
  std::vector<std::string> argv = {"env", "HOME=" + folder.string(),
                                   "XDG_RUNTIME_DIR=" + runtime.string()};
  if (weston) {
    argv.insert(argv.end(), {"weston", "--backend=headless-backend.so", "--use-pixman",
                             "--socket=wayland-weston", "--debug", "--idle-time=0",
                             "--width=" + std::to_string(outputs.at(0).width),
                             "--height=" + std::to_string(outputs.at(0).height)});
  } else {
    argv.insert(argv.end(),
                {"WLR_BACKENDS=headless", "WLR_HEADLESS_OUTPUTS=" + std::to_string(outputs.size()),
                 "WLR_RENDERER=pixman", "WLR_LIBINPUT_NO_DEVICES=1", "sway", "-c",
                 (folder / "config").string()});
  }
  const std::filesystem::path log = folder / "compositor.log";
  // None of this process's displays: the session is a world of its own.
  server_ = std::make_unique<ChildProcess>(
      Launch{account->run(argv), {"DISPLAY", "WAYLAND_DISPLAY", "SWAYSOCK"}, log});
  const std::filesystem::path westonSocket = runtime / "wayland-weston";
  waitUntil(
      [&] { return std::filesystem::exists(weston ? westonSocket : ready) || server_->status(); },
      startLimit);
  std::istringstream words(!weston                                 ? readText(ready)
                           : std::filesystem::exists(westonSocket) ? "wayland-weston"
                                                                   : "");
  std::string x11;
  if (withX11) words >> x11;
  words >> waylandDisplay_ >> socket_;
  if ((withX11 && x11.empty()) || waylandDisplay_.empty() || (!weston && socket_.empty())) {
    whyNot = "the compositor did not start: " + readText(log).substr(0, 2000);
    return;
  }
  display = x11;
  waitUntil([&] { return !withX11 || monitorCount() >= static_cast<int>(outputs.size()); },
            startLimit);
}

SwaySession::~SwaySession() {
  if (!server_) return;
  const auto ended = [this](std::chrono::milliseconds limit) {
    return waitUntil([this] { return server_->status().has_value(); }, limit, 10ms);
  };
  // runuser passes a termination signal on to the compositor, where a kill would leave it
  // running.
  if (socket_.empty() || !command("exit") || !ended(3s)) server_->signal(SIGTERM);
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
  server_->waitFor(commandLimit);
}

std::vector<std::string> SwaySession::waylandEnvironment() const {
  return {"XDG_RUNTIME_DIR=" + (scratch_.folder() / "runtime").string(),
          "WAYLAND_DISPLAY=" + waylandDisplay_};
}

int SwaySession::connect() const {
  const int socket = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{AF_UNIX, {}};
  (scratch_.folder() / "runtime" / waylandDisplay_)
      .string()
      .copy(address.sun_path, sizeof address.sun_path - 1);
  if (::connect(socket, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) return socket;
  close(socket);
  return -1;
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

ImagePixels SwaySession::screenshot(const std::string& name) const {
  // Weston's screenshooter writes wayland-screenshot-*.png into its working folder.
  const std::filesystem::path shots = scratch_.folder() / "shots";
  std::filesystem::remove_all(shots);
  std::filesystem::create_directory(shots);
  std::vector<std::string> argv = {"grim", "-t", "ppm"};
  if (!name.empty()) argv.insert(argv.end(), {"-o", name});
  argv.push_back(shots / "screenshot.ppm");
  if (socket_.empty()) argv = {"sh", "-c", "cd \"$0\" && weston-screenshooter", shots};
  if (ChildProcess({argv, waylandEnvironment()}).waitFor(commandLimit) != 0) return {};
  for (const auto& file : std::filesystem::directory_iterator(shots)) {
    if (!socket_.empty()) return readPpm(readText(file.path()));
    const DecodeResult png = decodeImage(readText(file.path()), Size{1e6, 1e6});
    return std::holds_alternative<DecodedImage>(png) ? std::get<DecodedImage>(png).pixels
                                                     : ImagePixels{};
  }
  return {};
}

int SwaySession::monitorCount() const {
  Display* x = display.empty() ? nullptr : XOpenDisplay(display.c_str());
  if (!x) return 0;
  int count = 0;
  XRRMonitorInfo* monitors = XRRGetMonitors(x, DefaultRootWindow(x), True, &count);
  if (monitors) XRRFreeMonitors(monitors);
  XCloseDisplay(x);
  return count;
}

}  // namespace brivora::testing
