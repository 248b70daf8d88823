#pragma once

#include <cstddef>
#include <string_view>

namespace brivora {

// A place in a UTF-8 text as an editor shows it: line and column from 1, the column counting
// characters, not bytes.
struct TextPosition {
  std::size_t line = 1;
  std::size_t column = 1;
};

// The position of byte `offset` (clamped to the text's end).
TextPosition textPositionAt(std::string_view text, std::size_t offset);

}  // namespace brivora
