#include "hosts/wayland/WaylandHost.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <memory>
#include <optional>
#include <vector>

#include "backends/codecs/ColourTarget.h"
#include "backends/codecs/ImageCodecs.h"
#include "hosts/wayland/OutputSurface.h"
#include "hosts/wayland/WaylandDisplay.h"
#include "hosts/wayland/WaylandInput.h"
#include "platform/Clock.h"
#include "platform/Date.h"
#include "platform/ProcessEnd.h"
#include "platform/RandomSource.h"
#include "platform/ViewRegistry.h"

namespace brivora {

namespace {

using Steady = std::chrono::steady_clock;

// While nothing can be drawn the loop still wakes this often, to tick the views on time.
constexpr auto idleWake = std::chrono::milliseconds(100);
// How often the system's time zone is looked at, so that a travelling laptop's clock follows it.
constexpr auto zoneCheckInterval = std::chrono::minutes(1);

void requestStop(int) {
  requestProcessEnd();
}

// What a locker that hands over its connection tells the client it runs for each output.
std::optional<std::string> lockerOutputName() {
  const char* name = std::getenv("SWAYLOCK_PLUGIN_OUTPUT_NAME");
  if (!name || !*name) return std::nullopt;
  return std::string(name);
}

}  // namespace

int runWaylandHost(const WaylandHostOptions& options, std::ostream& err) {
  // A locker hands its clients a connection of their own; their input is the locker's.
  const bool underLocker = std::getenv("WAYLAND_SOCKET") != nullptr;
  std::string error;
  WaylandDisplay display(error);
  if (!display.connected()) {
    err << "brivora: " << error << '\n';
    return 2;
  }
  SurfaceRole role = SurfaceRole::window;
  if (options.fullscreen) {
    role = !display.layerShell() ? SurfaceRole::fullscreen
           : underLocker         ? SurfaceRole::background
                                 : SurfaceRole::overlay;
  }
  if (role != SurfaceRole::overlay && role != SurfaceRole::background && !display.wmBase()) {
    err << "brivora: the Wayland compositor offers neither the layer shell nor xdg-shell\n";
    return 2;
  }
  const std::optional<std::string> onlyOutput = underLocker ? lockerOutputName() : std::nullopt;

  setImageLoader(loadImage);
  const ColourTargetScope colours(
      ColourTarget{.managed = options.colourManagement, .displayProfile = nullptr});
  SystemClock clock;
  SeededRandomSource random = SeededRandomSource::fromEntropy();
  const ViewEnvironment environment{options.bundle, clock, random};

  std::vector<std::unique_ptr<OutputSurface>> surfaces;
  const auto surfaceOrigin = [&](wl_surface* surface) {
    for (const auto& each : surfaces) {
      if (each->surface() == surface && each->output()) {
        return Point{double(each->output()->x), double(each->output()->y)};
      }
    }
    return Point{0, 0};
  };
  WaylandInput input(underLocker          ? InputEnding::never
                     : options.fullscreen ? InputEnding::onAnyInput
                                          : InputEnding::onCloseKeys,
                     surfaceOrigin);
  for (wl_seat* seat : display.seats()) input.addSeat(seat);
  display.onSeat = [&](wl_seat* seat) { input.addSeat(seat); };

  // Full screen: a surface on every output there is (or the one a locker names), none on one
  // that went.
  const auto followOutputs = [&] {
    const std::vector<const WaylandOutput*> outputs = display.outputs();
    std::erase_if(surfaces, [&](const auto& surface) {
      return surface->output() &&
             std::find(outputs.begin(), outputs.end(), surface->output()) == outputs.end();
    });
    for (const WaylandOutput* output : outputs) {
      if (onlyOutput && output->name != *onlyOutput) continue;
      const bool covered = std::any_of(surfaces.begin(), surfaces.end(), [&](const auto& surface) {
        return surface->output() == output;
      });
      if (!covered) {
        surfaces.push_back(std::make_unique<OutputSurface>(
            display, output, role, options.windowSize, options.viewClass, environment));
      }
    }
  };
  if (options.fullscreen) {
    followOutputs();
    display.onOutputsChanged = followOutputs;
  } else {
    surfaces.push_back(std::make_unique<OutputSurface>(display, nullptr, role, options.windowSize,
                                                       options.viewClass, environment));
  }

  struct sigaction action {};
  action.sa_handler = requestStop;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);

  const auto interval =
      std::chrono::duration_cast<Steady::duration>(std::chrono::duration<double>(1.0 / 30.0));
  auto deadline = Steady::now();
  followSystemTimeZone();
  auto nextZoneCheck = deadline + zoneCheckInterval;
  bool connected = true;
  while (connected && !processEndRequested() && !input.endRequested()) {
    const auto now = Steady::now();
    if (now < deadline) {
      const auto wait = std::chrono::ceil<std::chrono::milliseconds>(
          std::min<Steady::duration>(deadline - now, idleWake));
      connected = display.dispatch(static_cast<int>(wait.count()));
      continue;
    }
    connected = display.dispatch(0);
    if (!connected || processEndRequested() || input.endRequested()) break;
    if (now >= nextZoneCheck) {
      followSystemTimeZone();
      nextZoneCheck = now + zoneCheckInterval;
    }
    // A window closed ends the host; an output's surface closed goes with its output.
    const bool windowClosed = !options.fullscreen && surfaces.front()->isClosed();
    if (windowClosed) break;
    std::erase_if(surfaces, [](const auto& surface) { return surface->isClosed(); });
    if (std::any_of(surfaces.begin(), surfaces.end(),
                    [](const auto& surface) { return surface->failed(); })) {
      err << "brivora: the screen saver view could not be created\n";
      return 2;
    }
    // The next deadline follows the last one, so the pace does not drift; after a stall it
    // starts afresh rather than rushing to catch up.
    deadline += interval;
    if (deadline < now) deadline = now + interval;
    for (const auto& surface : surfaces) surface->frame([] {});
    connected = display.flush();
  }
  if (!connected && !processEndRequested()) {
    err << "brivora: lost the connection to the Wayland compositor\n";
    return 2;
  }
  return 0;
}

}  // namespace brivora
