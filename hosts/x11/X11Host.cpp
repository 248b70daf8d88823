#include "hosts/x11/X11Host.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <poll.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "backends/cairo/CairoGraphicsContext.h"
#include "backends/codecs/ImageCodecs.h"
#include "hosts/x11/FramePresenter.h"
#include "platform/Clock.h"
#include "platform/RandomSource.h"
#include "platform/ScreenSaverView.h"
#include "platform/Text.h"
#include "platform/ViewRegistry.h"

namespace brivora {

namespace {

// Smaller than this is a settings dialog's preview pane, not a screen.
constexpr int previewMaxWidth = 640;
constexpr int previewMaxHeight = 480;

volatile std::sig_atomic_t stopRequested = 0;
volatile std::sig_atomic_t windowLost = 0;

void requestStop(int) {
  stopRequested = 1;
}

// A window destroyed under us is a normal end, not an error.
int noteXError(Display*, XErrorEvent* error) {
  if (error->error_code == BadWindow || error->error_code == BadDrawable) windowLost = 1;
  return 0;
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

}  // namespace

int runX11Host(const X11HostOptions& options, std::ostream& err) {
  std::unique_ptr<Display, DisplayCloser> display(XOpenDisplay(nullptr));
  if (!display) {
    err << "brivora: cannot open the X display"
        << (std::getenv("DISPLAY") ? "" : " (DISPLAY is not set)") << '\n';
    return 2;
  }
  Display* x = display.get();
  XSetErrorHandler(noteXError);
  stopRequested = 0;
  windowLost = 0;

  Window window = 0;
  bool ownWindow = false;
  Atom deleteWindow = XInternAtom(x, "WM_DELETE_WINDOW", False);
  switch (options.target) {
    case X11Target::ownWindow: {
      const int screen = DefaultScreen(x);
      window = XCreateSimpleWindow(x, RootWindow(x, screen), 0, 0,
                                   static_cast<unsigned>(options.windowSize.width),
                                   static_cast<unsigned>(options.windowSize.height), 0,
                                   BlackPixel(x, screen), BlackPixel(x, screen));
      XStoreName(x, window, "Brivora");
      XSetWMProtocols(x, window, &deleteWindow, 1);
      XSelectInput(x, window, StructureNotifyMask | KeyPressMask);
      XMapWindow(x, window);
      ownWindow = true;
      break;
    }
    case X11Target::rootWindow:
      window = windowFromText(std::getenv("XSCREENSAVER_WINDOW")).value_or(DefaultRootWindow(x));
      break;
    case X11Target::existingWindow:
      window = static_cast<Window>(options.windowId);
      break;
  }
  if (!ownWindow) XSelectInput(x, window, StructureNotifyMask);
  XWindowAttributes attributes;
  XSync(x, False);
  if (windowLost || !XGetWindowAttributes(x, window, &attributes)) {
    err << "brivora: window 0x" << std::hex << window << std::dec << " does not exist\n";
    return 2;
  }

  std::string error;
  FramePresenter presenter(x, window, error);
  if (!presenter.usable()) {
    err << "brivora: " << error << '\n';
    return 2;
  }

  setImageLoader(loadImage);
  SystemClock clock;
  SeededRandomSource random = SeededRandomSource::fromEntropy();
  const ViewEnvironment environment{options.bundle, clock, random};
  int width = std::max(1, attributes.width);
  int height = std::max(1, attributes.height);
  const bool isPreview = width < previewMaxWidth || height < previewMaxHeight;
  std::unique_ptr<ScreenSaverView> view = createView(
      options.viewClass, Rect{0, 0, static_cast<double>(width), static_cast<double>(height)},
      isPreview, environment);
  if (!view) {
    err << "brivora: the screen saver view could not be created\n";
    return 2;
  }
  CairoGraphicsContext canvas(width, height);
  FpsMeter fps;

  struct sigaction action {};
  action.sa_handler = requestStop;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);

  const auto interval = std::chrono::duration_cast<Steady::duration>(std::chrono::duration<double>(
      view->animationTimeInterval() > 0 ? view->animationTimeInterval() : 1.0 / 30.0));
  auto deadline = Steady::now();
  while (!stopRequested && !windowLost) {
    while (XPending(x) > 0) {
      XEvent event;
      XNextEvent(x, &event);
      if (event.type == ConfigureNotify && event.xconfigure.window == window &&
          (event.xconfigure.width != width || event.xconfigure.height != height)) {
        width = std::max(1, event.xconfigure.width);
        height = std::max(1, event.xconfigure.height);
        view->setFrame(Rect{0, 0, static_cast<double>(width), static_cast<double>(height)});
        canvas.resize(width, height);
      } else if (event.type == DestroyNotify && event.xdestroywindow.window == window) {
        windowLost = 1;
      } else if (event.type == ClientMessage &&
                 static_cast<Atom>(event.xclient.data.l[0]) == deleteWindow) {
        stopRequested = 1;
      } else if (event.type == KeyPress && ownWindow) {
        const KeySym key = XLookupKeysym(&event.xkey, 0);
        if (key == XK_q || key == XK_Escape) stopRequested = 1;
      }
    }
    if (stopRequested || windowLost) break;

    const auto now = Steady::now();
    if (now < deadline) {
      const auto wait = std::chrono::ceil<std::chrono::milliseconds>(deadline - now);
      pollfd connection{ConnectionNumber(x), POLLIN, 0};
      poll(&connection, 1, static_cast<int>(wait.count()));
      continue;
    }
    // The next deadline follows the last one, so the pace does not drift; after a stall it
    // starts afresh rather than rushing to catch up.
    deadline += interval;
    if (deadline < now) deadline = now + interval;

    view->animateOneFrame();
    if (!view->needsDisplay()) continue;
    {
      const CurrentGraphicsContext current(canvas);
      view->draw(view->bounds());
      if (options.showFps) fps.draw();
    }
    view->clearNeedsDisplay();
    presenter.present(canvas.data(), canvas.stride(), width, height);
    // Waits for the server, so frames never queue up behind a slow one.
    XSync(x, False);
    fps.frameShown();
  }

  if (ownWindow && !windowLost) XDestroyWindow(x, window);
  XSync(x, False);
  return 0;
}

}  // namespace brivora
