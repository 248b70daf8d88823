#include "hosts/x11/X11Host.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "backends/codecs/ImageCodecs.h"
#include "hosts/common/PaneVisibility.h"
#include "hosts/x11/DisplayPower.h"
#include "hosts/x11/DisplayProfile.h"
#include "hosts/x11/Monitors.h"
#include "hosts/x11/ScreenPane.h"
#include "platform/Clock.h"
#include "platform/Date.h"
#include "platform/ProcessEnd.h"
#include "platform/RandomSource.h"
#include "platform/Text.h"
#include "platform/ViewRegistry.h"

namespace brivora {

namespace {

// While nothing can be seen the loop wakes this often, to tick the views and notice a signal
// promptly.
constexpr int idleWakeMilliseconds = 100;
// How often the system's time zone is looked at, so that a travelling laptop's clock follows it.
constexpr auto zoneCheckInterval = std::chrono::minutes(1);

volatile std::sig_atomic_t stopRequested = 0;
volatile std::sig_atomic_t windowLost = 0;

// Also tells a draw waiting for a decode to give up, so the process ends at once.
void requestStop(int) {
  stopRequested = 1;
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

// Draws the frame rate in the lower-left corner, as XScreenSaver hacks do with -fps.
class FpsMeter {
 public:
  void frameShown() {
    ++frames_;
    const auto now = Steady::now();
    const double seconds = std::chrono::duration<double>(now - since_).count();
    if (seconds >= 1) {
      rate_ = frames_ / seconds;
      frames_ = 0;
      since_ = now;
    }
  }
  void draw() const {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f fps", rate_);
    AttributedString label;
    label.string = text;
    label.font = Font{.size = 14};
    label.color = Color{1, 1, 1, 0.9};
    label.shadow = Shadow{Color{0, 0, 0, 0.8}, 2, Size{0, -1}};
    label.drawAt(Point{10, 10});
  }

 private:
  Steady::time_point since_ = Steady::now();
  int frames_ = 0;
  double rate_ = 0;
};

// A window of our own: decorated at `size`, or borderless over `area` asking the window
// manager for full screen.
Window createWindow(Display* x, int left, int top, int width, int height, bool borderless,
                    Atom deleteWindow) {
  const int screen = DefaultScreen(x);
  XSetWindowAttributes attributes{};
  attributes.background_pixel = BlackPixel(x, screen);
  attributes.event_mask = StructureNotifyMask | KeyPressMask | VisibilityChangeMask;
  const Window window =
      XCreateWindow(x, RootWindow(x, screen), left, top, static_cast<unsigned>(std::max(1, width)),
                    static_cast<unsigned>(std::max(1, height)), 0, CopyFromParent, InputOutput,
                    CopyFromParent, CWBackPixel | CWEventMask, &attributes);
  XStoreName(x, window, "Brivora");
  XSetWMProtocols(x, window, &deleteWindow, 1);
  if (borderless) {
    // Where it should go, for window managers that honour a position...
    XSizeHints hints{};
    hints.flags = USPosition | USSize;
    hints.x = left;
    hints.y = top;
    hints.width = width;
    hints.height = height;
    XSetWMNormalHints(x, window, &hints);
    // ...no decorations (the Motif hint most window managers read)...
    const long motifHints[5] = {2, 0, 0, 0, 0};  // flags: decorations; decorations: none
    const Atom motif = XInternAtom(x, "_MOTIF_WM_HINTS", False);
    XChangeProperty(x, window, motif, motif, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(motifHints), 5);
    // ...and full screen on the monitor it lands on.
    const Atom state = XInternAtom(x, "_NET_WM_STATE", False);
    const Atom fullscreen = XInternAtom(x, "_NET_WM_STATE_FULLSCREEN", False);
    XChangeProperty(x, window, state, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&fullscreen), 1);
  }
  XMapWindow(x, window);
  return window;
}

struct PaneWindow {
  Window window;
  bool owned;
};

std::vector<PaneWindow> paneWindows(Display* x, const X11HostOptions& options, Atom deleteWindow) {
  switch (options.target) {
    case X11Target::ownWindow:
      return {{createWindow(x, 0, 0, static_cast<int>(options.windowSize.width),
                            static_cast<int>(options.windowSize.height), false, deleteWindow),
               true}};
    case X11Target::fullscreen: {
      std::vector<PaneWindow> windows;
      for (const MonitorArea& area : monitorAreas(x)) {
        windows.push_back(
            {createWindow(x, area.x, area.y, area.width, area.height, true, deleteWindow), true});
      }
      return windows;
    }
    case X11Target::rootWindow:
      return {{windowFromText(std::getenv("XSCREENSAVER_WINDOW")).value_or(DefaultRootWindow(x)),
               false}};
    case X11Target::existingWindow:
      break;
  }
  return {{static_cast<Window>(options.windowId), false}};
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
  stopRequested = 0;
  windowLost = 0;

  const Atom deleteWindow = XInternAtom(x, "WM_DELETE_WINDOW", False);
  const std::vector<PaneWindow> windows = paneWindows(x, options, deleteWindow);
  XSync(x, False);
  XWindowAttributes attributes;
  for (const PaneWindow& each : windows) {
    if (windowLost || !XGetWindowAttributes(x, each.window, &attributes)) {
      err << "brivora: window 0x" << std::hex << each.window << std::dec << " does not exist\n";
      return 2;
    }
  }

  setImageLoader(loadImage);
  SystemClock clock;
  SeededRandomSource random = SeededRandomSource::fromEntropy();
  const ViewEnvironment environment{options.bundle, clock, random};
  std::vector<std::unique_ptr<ScreenPane>> panes;
  // Each pane's wallpapers are loaded, at creation and on its ticks, for its own monitor.
  std::vector<ColourTarget> paneColours;
  for (const PaneWindow& each : windows) {
    std::string error;
    paneColours.push_back(paneColourTarget(x, each.window, options.colourManagement));
    const ColourTargetScope colours(paneColours.back());
    panes.push_back(std::make_unique<ScreenPane>(x, each.window, each.owned, options.viewClass,
                                                 environment, error));
    if (!panes.back()->usable()) {
      err << "brivora: " << error << '\n';
      return 2;
    }
  }
  FpsMeter fps;
  DisplayPowerWatch power([x] { return displayPoweredOn(x); });

  struct sigaction action {};
  action.sa_handler = requestStop;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);

  const double asked = panes.front()->view().animationTimeInterval();
  const auto interval = std::chrono::duration_cast<Steady::duration>(
      std::chrono::duration<double>(asked > 0 ? asked : 1.0 / 30.0));
  auto deadline = Steady::now();
  followSystemTimeZone();
  auto nextZoneCheck = deadline + zoneCheckInterval;
  const auto anyLost = [&] {
    return windowLost ||
           std::any_of(panes.begin(), panes.end(), [](const auto& pane) { return pane->isLost(); });
  };
  while (!stopRequested && !anyLost()) {
    while (XPending(x) > 0) {
      XEvent event;
      XNextEvent(x, &event);
      if (event.type == ClientMessage &&
          static_cast<Atom>(event.xclient.data.l[0]) == deleteWindow) {
        stopRequested = 1;
      } else if (event.type == KeyPress && options.target != X11Target::rootWindow &&
                 options.target != X11Target::existingWindow) {
        const KeySym key = XLookupKeysym(&event.xkey, 0);
        if (key == XK_q || key == XK_Escape) stopRequested = 1;
      }
      for (const auto& pane : panes) pane->handle(event);
    }
    if (stopRequested || anyLost()) break;
    if (options.viewsOutdated && options.viewsOutdated()) {
      for (const auto& pane : panes) pane->renewView(options.viewClass, environment);
    }

    const auto now = Steady::now();
    if (now >= nextZoneCheck) {
      followSystemTimeZone();
      nextZoneCheck = now + zoneCheckInterval;
    }
    const bool poweredOn = power.poweredOn(now);
    for (const auto& pane : panes) pane->setPoweredOn(poweredOn);
    const bool anyShowing =
        std::any_of(panes.begin(), panes.end(), [](const auto& pane) { return pane->isShowing(); });
    pollfd connection{ConnectionNumber(x), POLLIN, 0};
    if (anyShowing && now < deadline) {
      poll(&connection, 1,
           static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(deadline - now).count()));
      continue;
    }
    if (anyShowing) {
      // The next deadline follows the last one, so the pace does not drift; after a stall it
      // starts afresh rather than rushing to catch up.
      deadline += interval;
      if (deadline < now) deadline = now + interval;
    } else {
      // Nothing can be seen: no frame is drawn, but the views tick, less often, so the
      // slideshow keeps time.
      poll(&connection, 1, idleWakeMilliseconds);
      deadline = Steady::now();
    }

    bool shown = false;
    for (std::size_t at = 0; at < panes.size(); ++at) {
      const ColourTargetScope colours(paneColours[at]);
      shown = panes[at]->frame([&] {
        if (options.showFps) fps.draw();
      }) || shown;
    }
    if (!shown) continue;
    // Waits for the server, so frames never queue up behind a slow one and shared memory is
    // free to draw in again.
    XSync(x, False);
    fps.frameShown();
  }

  if (windowLost) {
    for (const auto& pane : panes) pane->markLost();
  }
  panes.clear();
  XSync(x, False);
  return 0;
}

}  // namespace brivora
