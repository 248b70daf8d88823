#include "hosts/x11/X11Host.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <memory>
#include <string>

#include "backends/codecs/ImageCodecs.h"
#include "hosts/common/DisplayPowerWatch.h"
#include "hosts/common/FramePacer.h"
#include "hosts/common/FrameRateMeter.h"
#include "hosts/common/MonitorPlan.h"
#include "hosts/common/PointerTravel.h"
#include "hosts/common/ViewSupply.h"
#include "hosts/x11/DisplayPower.h"
#include "hosts/x11/FullscreenWindow.h"
#include "hosts/x11/MonitorPanes.h"
#include "hosts/x11/Monitors.h"
#include "platform/Clock.h"
#include "platform/Date.h"
#include "platform/ProcessEnd.h"
#include "platform/RandomSource.h"

namespace brivora {

namespace {

// While nothing can be seen the loop still wakes this often, to tick the views on time.
constexpr std::chrono::milliseconds idleWake{100};
// How long a full screen keeps trying for the keyboard and pointer another program holds.
constexpr auto grabAttempts = std::chrono::seconds(2);

volatile std::sig_atomic_t windowLost = 0;

// Also tells a draw waiting for a decode to give up, so the process ends at once.
void requestStop() {
  requestProcessEnd();
}

// A window destroyed under us is a normal end, not an error.
int noteXError(Display*, XErrorEvent* error) {
  if (error->error_code == BadWindow || error->error_code == BadDrawable) windowLost = 1;
  return 0;
}

// The server died or the connection broke: Xlib cannot go on, so neither can the host. One
// line, and an end that waits for nothing (a decode, say); nothing is left unwritten.
[[noreturn]] int endOnLostConnection(Display*) {
  constexpr char message[] = "brivora: lost the connection to the X display\n";
  [[maybe_unused]] const auto written = write(STDERR_FILENO, message, sizeof message - 1);
  _exit(2);
}

using Steady = std::chrono::steady_clock;

std::optional<Window> windowFromText(const char* text) {
  if (!text || !*text) return std::nullopt;
  char* end = nullptr;
  const unsigned long id = std::strtoul(text, &end, 0);
  if (*end != '\0' || id == 0) return std::nullopt;
  return static_cast<Window>(id);
}

struct DisplayCloser {
  void operator()(Display* display) const { XCloseDisplay(display); }
};

// A decorated window of our own, `size` large, that the window manager places.
Window createOwnWindow(Display* x, Size size, Atom deleteWindow) {
  const int screen = DefaultScreen(x);
  XSetWindowAttributes attributes{};
  attributes.background_pixel = BlackPixel(x, screen);
  attributes.event_mask = StructureNotifyMask | KeyPressMask | VisibilityChangeMask;
  const Window window = XCreateWindow(
      x, RootWindow(x, screen), 0, 0, static_cast<unsigned>(std::max(1.0, size.width)),
      static_cast<unsigned>(std::max(1.0, size.height)), 0, CopyFromParent, InputOutput,
      CopyFromParent, CWBackPixel | CWEventMask, &attributes);
  XStoreName(x, window, "Brivora");
  XSetWMProtocols(x, window, &deleteWindow, 1);
  XMapWindow(x, window);
  return window;
}

// The windows and panes for the target, before any plan.
std::unique_ptr<MonitorPanes> panesFor(Display* x, const X11HostOptions& options,
                                       ViewSupply& supply, Atom deleteWindow) {
  switch (options.target) {
    case X11Target::fullscreen:
      return std::make_unique<MonitorPanes>(x, options.viewClass, supply, options.colourManagement);
    case X11Target::ownWindow:
      return std::make_unique<MonitorPanes>(x, options.viewClass, supply, options.colourManagement,
                                            createOwnWindow(x, options.windowSize, deleteWindow),
                                            true, true);
    case X11Target::rootWindow:
      return std::make_unique<MonitorPanes>(
          x, options.viewClass, supply, options.colourManagement,
          windowFromText(std::getenv("XSCREENSAVER_WINDOW")).value_or(DefaultRootWindow(x)), false,
          false);
    case X11Target::existingWindow:
      break;
  }
  return std::make_unique<MonitorPanes>(x, options.viewClass, supply, options.colourManagement,
                                        static_cast<Window>(options.windowId), false, true);
}

// Where the views go as the screen is now: over the monitors for a full screen or the root
// window, one view over the whole window otherwise.
MonitorPlan planFor(Display* x, const X11HostOptions& options, const MonitorPanes& panes) {
  if (options.target == X11Target::fullscreen) {
    return planFullscreen(monitorAreas(x), options.monitors);
  }
  const PixelRect place = placeOnScreen(x, panes.givenWindow());
  if (options.target == X11Target::rootWindow) {
    return planSurface(place, monitorAreas(x), options.monitors);
  }
  return planSurface(place, {}, MonitorMode::span);
}

double secondsSince(Steady::time_point start) {
  return std::chrono::duration<double>(Steady::now() - start).count();
}

}  // namespace

int runX11Host(const X11HostOptions& options, std::ostream& err) {
  std::unique_ptr<Display, DisplayCloser> display(
      XOpenDisplay(options.displayName ? options.displayName->c_str() : nullptr));
  if (!display) {
    err << "brivora: cannot open the X display"
        << (options.displayName      ? " " + *options.displayName
            : std::getenv("DISPLAY") ? ""
                                     : " (DISPLAY is not set)")
        << '\n';
    return 2;
  }
  Display* x = display.get();
  XSetErrorHandler(noteXError);
  XSetIOErrorHandler(endOnLostConnection);
  windowLost = 0;

  const bool fullscreen = options.target == X11Target::fullscreen;
  const bool followsMonitors = fullscreen || options.target == X11Target::rootWindow;
  const Atom deleteWindow = XInternAtom(x, "WM_DELETE_WINDOW", False);
  setImageLoader(loadImage);
  SystemClock clock;
  ViewSupply supply(options.bundle, followsMonitors ? options.monitors : MonitorMode::span, clock,
                    SeededRandomSource::entropySeed());
  // Watching before the first plan, so that no change is missed between the two.
  const MonitorWatch monitorWatch(x);
  std::unique_ptr<MonitorPanes> panes = panesFor(x, options, supply, deleteWindow);
  XSync(x, False);
  if (windowLost || !panes->usable()) {
    err << "brivora: window 0x" << std::hex << panes->givenWindow() << std::dec
        << " does not exist\n";
    return 2;
  }
  std::string error;
  if (!panes->follow(planFor(x, options, *panes), error)) {
    err << "brivora: " << error << '\n';
    return 2;
  }

  // A full screen started by an idle tool ends when the user is back.
  const auto started = Steady::now();
  std::unique_ptr<InputGrab> grab;
  if (fullscreen) {
    XSync(x, False);
    grab = std::make_unique<InputGrab>(x);
  }
  PointerTravel pointer(0);
  FrameRateMeter fps;
  DisplayPowerWatch power([x] { return displayPoweredOn(x); });

  endOnTerminationSignals();
  FramePacer pacer(Steady::now());
  const auto lost = [&] { return windowLost || panes->anyLost(); };
  while (!processEndRequested() && !lost()) {
    bool monitorsChanged = false;
    while (XPending(x) > 0) {
      XEvent event;
      XNextEvent(x, &event);
      switch (event.type) {
        case ClientMessage:
          if (static_cast<Atom>(event.xclient.data.l[0]) == deleteWindow) requestStop();
          break;
        case KeyPress:
          if (fullscreen) {
            requestStop();
          } else if (options.target == X11Target::ownWindow) {
            const KeySym key = XLookupKeysym(&event.xkey, 0);
            if (key == XK_q || key == XK_Escape) requestStop();
          }
          break;
        case ButtonPress:
          if (fullscreen) requestStop();
          break;
        case MotionNotify:
          if (fullscreen && pointer.movedTooFar(event.xmotion.x_root, event.xmotion.y_root,
                                                secondsSince(started))) {
            requestStop();
          }
          break;
        case EnterNotify:
          if (fullscreen && pointer.movedTooFar(event.xcrossing.x_root, event.xcrossing.y_root,
                                                secondsSince(started))) {
            requestStop();
          }
          break;
        case ConfigureNotify:
          // The root window, or the daemon's, changed size.
          monitorsChanged = monitorsChanged || (options.target == X11Target::rootWindow &&
                                                event.xconfigure.window == panes->givenWindow());
          break;
        default:
          break;
      }
      monitorsChanged = monitorWatch.isChange(event) || monitorsChanged;
      panes->handle(event);
    }
    if (processEndRequested() || lost()) break;
    if (monitorsChanged && followsMonitors) {
      // A view that cannot be made for a new monitor leaves that monitor black.
      std::string ignored;
      panes->follow(planFor(x, options, *panes), ignored);
    }
    if (options.viewsOutdated && options.viewsOutdated()) {
      std::string ignored;
      panes->renewViews(ignored);
    }
    if (grab && !grab->holdsAll() && Steady::now() - started < grabAttempts) grab->retry();
    panes->raiseCovered();

    const auto now = Steady::now();
    if (pacer.zoneCheckDue(now)) followSystemTimeZone();
    panes->setPoweredOn(power.poweredOn(now));
    pollfd connection{ConnectionNumber(x), POLLIN, 0};
    if (panes->anyShowing()) {
      const auto wait = pacer.wait(now, idleWake);
      if (wait.count() > 0) {
        poll(&connection, 1, static_cast<int>(wait.count()));
        continue;
      }
      pacer.frameTaken(now, panes->animationInterval());
    } else {
      // Nothing can be seen: nothing is drawn, but the views still tick, less often, so the
      // slideshow keeps time and shows the right wallpaper when it is seen again.
      poll(&connection, 1, static_cast<int>(idleWake.count()));
      pacer.idle(Steady::now());
      if (processEndRequested()) continue;
    }

    supply.beginFrame();
    const bool shown = panes->frame([&] {
      if (options.showFps) fps.draw();
    });
    if (!shown) continue;
    // Waits for the server, so frames never queue up behind a slow one and shared memory is
    // free to draw in again.
    XSync(x, False);
    fps.frameShown();
  }

  if (windowLost) panes->markAllLost();
  panes.reset();
  grab.reset();
  XSync(x, False);
  return 0;
}

}  // namespace brivora
