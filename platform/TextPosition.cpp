#include "platform/TextPosition.h"

namespace brivora {

TextPosition textPositionAt(std::string_view text, std::size_t offset) {
  TextPosition position;
  for (std::size_t at = 0; at < offset && at < text.size(); ++at) {
    if (text[at] == '\n') {
      ++position.line;
      position.column = 1;
    } else if ((static_cast<unsigned char>(text[at]) & 0xC0) != 0x80) {
      ++position.column;  // a byte that starts a character
    }
  }
  return position;
}

}  // namespace brivora
