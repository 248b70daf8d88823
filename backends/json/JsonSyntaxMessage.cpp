#include "backends/json/JsonSyntaxMessage.h"

#include "platform/TextPosition.h"

#include <algorithm>
#include <cctype>
#include <string>

namespace brivora {

namespace {

void replaceAll(std::string& text, std::string_view from, std::string_view to) {
  for (std::size_t at = text.find(from); at != std::string::npos;
       at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
}

bool isWordByte(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '+' || c == '-' ||
         (static_cast<unsigned char>(c) & 0x80) != 0;
}

std::string readableMessage(std::string_view text, std::string_view parserMessage) {
  std::string message(parserMessage);
  // "[json.exception.parse_error.101] parse error at line 3, column 14: <what happened>"
  if (std::size_t column = message.find("column "); column != std::string::npos) {
    if (std::size_t colon = message.find(": ", column); colon != std::string::npos) {
      message.erase(0, colon + 2);
    }
  }
  const bool betweenMembers = message.starts_with("syntax error while parsing object - ");
  const bool betweenElements = message.starts_with("syntax error while parsing array - ");
  const bool atKey = message.starts_with("syntax error while parsing object key - ");
  if (std::size_t dash = message.find(" - "); dash != std::string::npos) {
    message.erase(0, dash + 3);
  }
  // Between members or elements the parser names only the closing bracket it hoped for.
  if (betweenMembers) replaceAll(message, "; expected '}'", "; expected ',' or '}' after a value");
  if (betweenElements) replaceAll(message, "; expected ']'", "; expected ',' or ']' after a value");
  if (atKey) replaceAll(message, "; expected string literal", "; expected a key in double quotes");
  bool blank = std::all_of(text.begin(), text.end(),
                           [](char c) { return std::isspace(static_cast<unsigned char>(c)); });
  if (blank) return "the file is empty";
  return message.empty() ? std::string("not valid JSON") : message;
}

}  // namespace

// The parser stops just after the token it could not use, or, inside a broken literal, just
// after the first byte that broke it.
std::size_t startOfOffendingToken(std::string_view text, std::size_t end,
                                  std::string_view message) {
  if (end == 0 || end > text.size()) return std::min(end, text.size());
  std::size_t at = end - 1;
  const bool brokenWord = message.find("invalid literal") != std::string_view::npos ||
                          message.find("invalid number") != std::string_view::npos;
  if (brokenWord && !isWordByte(text[at]) && at > 0 && isWordByte(text[at - 1])) --at;
  if (text[at] == '"' && !brokenWord) {
    // Back to the opening quote, past escaped quotes.
    while (at > 0) {
      --at;
      if (text[at] == '"' && (at == 0 || text[at - 1] != '\\')) break;
    }
    return at;
  }
  if (isWordByte(text[at])) {
    while (at > 0 && isWordByte(text[at - 1])) --at;
  }
  return at;
}

JsonSyntaxError locateSyntaxError(std::string_view text, std::size_t offset,
                                  std::string_view parserMessage) {
  const TextPosition position = textPositionAt(text, offset);
  return JsonSyntaxError{position.line, position.column, readableMessage(text, parserMessage)};
}

std::size_t offsetOfExcessNesting(std::string_view text, std::size_t maxDepth) {
  std::size_t depth = 0;
  bool inString = false;
  for (std::size_t at = 0; at < text.size(); ++at) {
    char c = text[at];
    if (inString) {
      if (c == '\\') {
        ++at;
      } else if (c == '"') {
        inString = false;
      }
    } else if (c == '"') {
      inString = true;
    } else if (c == '[' || c == '{') {
      if (++depth > maxDepth) return at;
    } else if ((c == ']' || c == '}') && depth > 0) {
      --depth;
    }
  }
  return text.size();
}

}  // namespace brivora
