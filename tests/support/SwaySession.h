#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/ChildProcess.h"
#include "tests/support/TempBundle.h"
#include "tests/support/WallpaperColours.h"

namespace brivora::testing {

// A monitor of a sway session: its mode in pixels and its scale.
struct SwayOutput {
  int width = 0;
  int height = 0;
  int scale = 1;
};

// A screenshot's pixels as 0xRRGGBB, and outside it 0xFFFFFFFF, which matches no colour; valid
// while the picture is.
inline PixelAt pixelsOf(const ImagePixels& shot) {
  return [&shot](int x, int y) {
    return x >= 0 && y >= 0 && x < shot.width && y < shot.height
               ? shot.argb[static_cast<std::size_t>(y * shot.width + x)] & 0xFFFFFFu
               : 0xFFFFFFFFu;
  };
}

// The compositor a session runs: sway with XWayland or without, or weston, which has no layer
// shell.
enum class Compositor { swayWithX11, sway, weston };

// A headless compositor, run as an ordinary user (sway refuses root), for tests that need a
// real one with several monitors. Sway's outputs are HEADLESS-1 onwards, side by side from the
// left edge, tops aligned; weston has one, of the first output's size. Ended when the object
// goes.
class SwaySession {
 public:
  // Starts the compositor with `outputs` and waits until it listens (with XWayland, until that
  // lists them as monitors). Where it cannot (a program not installed, no ordinary account),
  // `whyNot` says why.
  explicit SwaySession(const std::vector<SwayOutput>& outputs,
                       Compositor compositor = Compositor::swayWithX11);
  ~SwaySession();
  SwaySession(const SwaySession&) = delete;
  SwaySession& operator=(const SwaySession&) = delete;

  // Whether the compositor runs; `whyNot` says why not.
  bool started() const { return !waylandDisplay_.empty() && whyNot.empty(); }

  std::string display;  // XWayland's, for X11 programs
  std::string whyNot;

  // The environment a Wayland client of this session needs ("NAME=value" words).
  std::vector<std::string> waylandEnvironment() const;

  // A connection of its own to the compositor, as a locker hands one to each client in
  // WAYLAND_SOCKET; -1 where there is none.
  int connect() const;

  // `brivora` with `arguments` as a Wayland client of this session.
  Launch brivora(const std::vector<std::string>& arguments) const;

  // Runs one sway command ("create_output", "output HEADLESS-2 disable"); whether sway took it.
  bool command(const std::string& text) const;

  // Types the keys with a virtual keyboard (wtype's arguments, such as "-k", "Escape"); whether
  // it could. The keyboard is announced a moment before the first key, so that clients that
  // ask for a keyboard only once the seat has one hear it.
  bool type(const std::vector<std::string>& keys) const;

  // Ends sway at once, as a crash would.
  void kill();

  // What output `name` shows, or the whole layout when `name` is empty (weston: its one
  // output); an empty picture when grim or weston's screenshooter could not take it.
  ImagePixels screenshot(const std::string& name = {}) const;

  // How many monitors XWayland lists now.
  int monitorCount() const;

 private:
  TempBundle scratch_;
  std::string waylandDisplay_;
  std::string socket_;
  std::unique_ptr<ChildProcess> server_;
};

}  // namespace brivora::testing
