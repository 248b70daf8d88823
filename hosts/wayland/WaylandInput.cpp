#include "hosts/wayland/WaylandInput.h"

#include <unistd.h>

#include <cmath>

namespace brivora {

struct WaylandInput::Seat {
  WaylandInput* input = nullptr;
  wl_seat* seat = nullptr;
  wl_pointer* pointer = nullptr;
  wl_keyboard* keyboard = nullptr;
  wl_touch* touch = nullptr;
  wl_surface* pointerSurface = nullptr;

  ~Seat() {
    if (pointer) wl_pointer_release(pointer);
    if (keyboard) wl_keyboard_release(keyboard);
    if (touch) wl_touch_release(touch);
  }
};

// The listeners of each seat's devices; they reach the input through the seat.
struct InputListeners {
  static WaylandInput::Seat* seatOf(void* data) { return static_cast<WaylandInput::Seat*>(data); }

  static void pointerEnter(void* data, wl_pointer* pointer, std::uint32_t serial,
                           wl_surface* surface, wl_fixed_t x, wl_fixed_t y) {
    WaylandInput::Seat* seat = seatOf(data);
    seat->pointerSurface = surface;
    if (seat->input->ending_ != InputEnding::onCloseKeys) {
      wl_pointer_set_cursor(pointer, serial, nullptr, 0, 0);  // hidden over the saver
    }
    seat->input->pointerAt(surface, wl_fixed_to_double(x), wl_fixed_to_double(y));
  }
  static void pointerLeave(void* data, wl_pointer*, std::uint32_t, wl_surface*) {
    seatOf(data)->pointerSurface = nullptr;
  }
  static void pointerMotion(void* data, wl_pointer*, std::uint32_t, wl_fixed_t x, wl_fixed_t y) {
    WaylandInput::Seat* seat = seatOf(data);
    if (seat->pointerSurface) {
      seat->input->pointerAt(seat->pointerSurface, wl_fixed_to_double(x), wl_fixed_to_double(y));
    }
  }
  static void pointerButton(void* data, wl_pointer*, std::uint32_t, std::uint32_t, std::uint32_t,
                            std::uint32_t state) {
    WaylandInput* input = seatOf(data)->input;
    if (state == WL_POINTER_BUTTON_STATE_PRESSED && input->ending_ == InputEnding::onAnyInput) {
      input->end();
    }
  }
  static void pointerAxis(void* data, wl_pointer*, std::uint32_t, std::uint32_t, wl_fixed_t) {
    WaylandInput* input = seatOf(data)->input;
    if (input->ending_ == InputEnding::onAnyInput) input->end();
  }

  static void keymap(void* data, wl_keyboard*, std::uint32_t format, std::int32_t descriptor,
                     std::uint32_t size) {
    if (format == WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1) {
      seatOf(data)->input->keymap_.load(descriptor, size);
    } else {
      close(descriptor);
    }
  }
  static void key(void* data, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t key,
                  std::uint32_t state) {
    WaylandInput* input = seatOf(data)->input;
    if (state != WL_KEYBOARD_KEY_STATE_PRESSED) return;
    if (input->ending_ == InputEnding::onAnyInput ||
        (input->ending_ == InputEnding::onCloseKeys && input->keymap_.closesWindow(key))) {
      input->end();
    }
  }

  static void touchDown(void* data, wl_touch*, std::uint32_t, std::uint32_t, wl_surface*,
                        std::int32_t, wl_fixed_t, wl_fixed_t) {
    WaylandInput* input = seatOf(data)->input;
    if (input->ending_ == InputEnding::onAnyInput) input->end();
  }

  static void capabilities(void* data, wl_seat* wlSeat, std::uint32_t capabilities);
};

namespace {

const wl_pointer_listener pointerListener{
    InputListeners::pointerEnter,
    InputListeners::pointerLeave,
    InputListeners::pointerMotion,
    InputListeners::pointerButton,
    InputListeners::pointerAxis,
    [](void*, wl_pointer*) {},                                // frame
    [](void*, wl_pointer*, std::uint32_t) {},                 // axis_source
    [](void*, wl_pointer*, std::uint32_t, std::uint32_t) {},  // axis_stop
    [](void*, wl_pointer*, std::uint32_t, std::int32_t) {},   // axis_discrete
    [](void*, wl_pointer*, std::uint32_t, std::int32_t) {},   // axis_value120
};

const wl_keyboard_listener keyboardListener{
    InputListeners::keymap,
    [](void*, wl_keyboard*, std::uint32_t, wl_surface*, wl_array*) {},  // enter
    [](void*, wl_keyboard*, std::uint32_t, wl_surface*) {},             // leave
    InputListeners::key,
    [](void*, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t,
       std::uint32_t) {},                                    // modifiers
    [](void*, wl_keyboard*, std::int32_t, std::int32_t) {},  // repeat_info
};

const wl_touch_listener touchListener{
    InputListeners::touchDown,
    [](void*, wl_touch*, std::uint32_t, std::uint32_t, std::int32_t) {},           // up
    [](void*, wl_touch*, std::uint32_t, std::int32_t, wl_fixed_t, wl_fixed_t) {},  // motion
    [](void*, wl_touch*) {},                                                       // frame
    [](void*, wl_touch*) {},                                                       // cancel
    [](void*, wl_touch*, std::int32_t, wl_fixed_t, wl_fixed_t) {},                 // shape
    [](void*, wl_touch*, std::int32_t, wl_fixed_t) {},                             // orientation
};

const wl_seat_listener seatListener{
    InputListeners::capabilities, [](void*, wl_seat*, const char*) {},  // name
};

}  // namespace

void InputListeners::capabilities(void* data, wl_seat* wlSeat, std::uint32_t capabilities) {
  WaylandInput::Seat* seat = InputListeners::seatOf(data);
  const bool pointer = capabilities & WL_SEAT_CAPABILITY_POINTER;
  const bool keyboard = capabilities & WL_SEAT_CAPABILITY_KEYBOARD;
  const bool touch = capabilities & WL_SEAT_CAPABILITY_TOUCH;
  if (pointer && !seat->pointer) {
    seat->pointer = wl_seat_get_pointer(wlSeat);
    wl_pointer_add_listener(seat->pointer, &pointerListener, seat);
  } else if (!pointer && seat->pointer) {
    wl_pointer_release(seat->pointer);
    seat->pointer = nullptr;
  }
  if (keyboard && !seat->keyboard) {
    seat->keyboard = wl_seat_get_keyboard(wlSeat);
    wl_keyboard_add_listener(seat->keyboard, &keyboardListener, seat);
  } else if (!keyboard && seat->keyboard) {
    wl_keyboard_release(seat->keyboard);
    seat->keyboard = nullptr;
  }
  if (touch && !seat->touch) {
    seat->touch = wl_seat_get_touch(wlSeat);
    wl_touch_add_listener(seat->touch, &touchListener, seat);
  } else if (!touch && seat->touch) {
    wl_touch_release(seat->touch);
    seat->touch = nullptr;
  }
}

WaylandInput::WaylandInput(InputEnding ending, std::function<Point(wl_surface*)> surfaceOrigin)
    : ending_(ending), surfaceOrigin_(std::move(surfaceOrigin)) {}

WaylandInput::~WaylandInput() = default;

void WaylandInput::addSeat(wl_seat* wlSeat) {
  auto seat = std::make_unique<Seat>();
  seat->input = this;
  seat->seat = wlSeat;
  wl_seat_add_listener(wlSeat, &seatListener, seat.get());
  seats_.push_back(std::move(seat));
}

void WaylandInput::pointerAt(wl_surface* surface, double x, double y) {
  const Point origin = surfaceOrigin_(surface);
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started_).count();
  if (ending_ == InputEnding::onAnyInput &&
      pointer_.movedTooFar(static_cast<int>(std::lround(origin.x + x)),
                           static_cast<int>(std::lround(origin.y + y)), seconds)) {
    end();
  }
}

}  // namespace brivora
