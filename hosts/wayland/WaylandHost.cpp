#include "hosts/wayland/WaylandHost.h"

#include <chrono>
#include <cstdlib>
#include <optional>

#include "backends/codecs/ImageCodecs.h"
#include "hosts/common/FramePacer.h"
#include "hosts/common/FrameRateMeter.h"
#include "hosts/common/ViewSupply.h"
#include "hosts/wayland/WaylandDisplay.h"
#include "hosts/wayland/WaylandInput.h"
#include "hosts/wayland/WaylandPanes.h"
#include "platform/Clock.h"
#include "platform/Date.h"
#include "platform/ProcessEnd.h"
#include "platform/RandomSource.h"

namespace brivora {

namespace {

using Steady = std::chrono::steady_clock;

// While nothing can be drawn the loop still wakes this often, to tick the views on time.
constexpr std::chrono::milliseconds idleWake{100};

// The output a locker that runs one client per output names for this one.
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

  setImageLoader(loadImage);
  SystemClock clock;
  ViewSupply supply(options.bundle, options.fullscreen ? options.monitors : MonitorMode::span,
                    clock, SeededRandomSource::entropySeed());
  WaylandPanes panes(display, role, options.windowSize,
                     underLocker ? lockerOutputName() : std::nullopt, options.viewClass, supply,
                     options.colourManagement);
  WaylandInput input(underLocker          ? InputEnding::never
                     : options.fullscreen ? InputEnding::onAnyInput
                                          : InputEnding::onCloseKeys,
                     [&](wl_surface* surface) { return panes.originOf(surface); });
  for (wl_seat* seat : display.seats()) input.addSeat(seat);
  display.onSeat = [&](wl_seat* seat) { input.addSeat(seat); };
  display.onOutputsChanged = [&] { panes.followOutputs(); };
  panes.followOutputs();

  endOnTerminationSignals();
  FramePacer pacer(Steady::now());
  FrameRateMeter fps;
  bool connected = true;
  while (connected && !processEndRequested() && !input.endRequested()) {
    const auto now = Steady::now();
    const auto wait = pacer.wait(now, idleWake);
    connected = display.dispatch(static_cast<int>(wait.count()));
    if (wait.count() > 0 || !connected || processEndRequested() || input.endRequested()) continue;
    if (pacer.zoneCheckDue(now)) followSystemTimeZone();
    if (panes.windowClosed()) break;
    if (!panes.followPlan(error)) {
      err << "brivora: " << error << '\n';
      return 2;
    }
    if (options.viewsOutdated && options.viewsOutdated() && !panes.renewViews(error)) {
      err << "brivora: " << error << '\n';
      return 2;
    }
    pacer.frameTaken(now, 1.0 / 30.0);
    supply.beginFrame();
    if (panes.frame([&] {
          if (options.showFps) fps.draw();
        })) {
      fps.frameShown();
    }
    connected = display.flush();
  }
  if (!connected && !processEndRequested()) {
    err << "brivora: lost the connection to the Wayland compositor\n";
    return 2;
  }
  return 0;
}

}  // namespace brivora
