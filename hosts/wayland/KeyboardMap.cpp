#include "hosts/wayland/KeyboardMap.h"

#include <sys/mman.h>
#include <unistd.h>
#include <xkbcommon/xkbcommon.h>

namespace brivora {

namespace {

// Linux input codes are XKB key codes less eight.
constexpr std::uint32_t xkbKeycodeOffset = 8;

}  // namespace

struct KeyboardMap::State {
  xkb_context* context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
  xkb_keymap* keymap = nullptr;
  xkb_state* state = nullptr;

  ~State() {
    if (state) xkb_state_unref(state);
    if (keymap) xkb_keymap_unref(keymap);
    if (context) xkb_context_unref(context);
  }
};

KeyboardMap::KeyboardMap() : state_(std::make_unique<State>()) {}

KeyboardMap::~KeyboardMap() = default;

void KeyboardMap::load(int descriptor, std::uint32_t size) {
  void* text = size > 0 ? mmap(nullptr, size, PROT_READ, MAP_PRIVATE, descriptor, 0) : MAP_FAILED;
  close(descriptor);
  if (text == MAP_FAILED || !state_->context) return;
  xkb_keymap* keymap =
      xkb_keymap_new_from_string(state_->context, static_cast<const char*>(text),
                                 XKB_KEYMAP_FORMAT_TEXT_V1, XKB_KEYMAP_COMPILE_NO_FLAGS);
  munmap(text, size);
  if (!keymap) return;
  if (state_->state) xkb_state_unref(state_->state);
  if (state_->keymap) xkb_keymap_unref(state_->keymap);
  state_->keymap = keymap;
  state_->state = xkb_state_new(keymap);
}

bool KeyboardMap::closesWindow(std::uint32_t key) const {
  if (!state_->state) return false;
  const xkb_keysym_t symbol = xkb_state_key_get_one_sym(state_->state, key + xkbKeycodeOffset);
  return symbol == XKB_KEY_q || symbol == XKB_KEY_Q || symbol == XKB_KEY_Escape;
}

}  // namespace brivora
