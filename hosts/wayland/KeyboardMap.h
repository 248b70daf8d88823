#pragma once

#include <cstdint>
#include <memory>

namespace brivora {

// The keyboard's keymap as the compositor sends it, to tell which symbol a key press gives.
class KeyboardMap {
 public:
  KeyboardMap();
  ~KeyboardMap();
  KeyboardMap(const KeyboardMap&) = delete;
  KeyboardMap& operator=(const KeyboardMap&) = delete;

  // Reads an XKB keymap of `size` bytes from the descriptor, which it closes.
  void load(int descriptor, std::uint32_t size);

  // Whether the key (a Linux input code, as wl_keyboard gives it) is q or Escape, the keys
  // that close a window of the host's own; false before a keymap came.
  bool closesWindow(std::uint32_t key) const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace brivora
