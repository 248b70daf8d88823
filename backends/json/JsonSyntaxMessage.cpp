#include "backends/json/JsonSyntaxMessage.h"

#include <algorithm>
#include <string>

namespace brivora {

namespace {

bool isUtf8Continuation(char byte) {
  return (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
}

void replaceAll(std::string& text, std::string_view from, std::string_view to) {
  for (std::size_t at = text.find(from); at != std::string::npos;
       at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
}

std::string readableMessage(std::string_view parserMessage) {
  std::string message(parserMessage);
  // "[json.exception.parse_error.101] parse error at line 3, column 14: <what happened>"
  if (std::size_t column = message.find("column "); column != std::string::npos) {
    if (std::size_t colon = message.find(": ", column); colon != std::string::npos) {
      message.erase(0, colon + 2);
    }
  }
  std::string_view context;
  if (message.starts_with("syntax error while parsing object")) context = "object";
  if (message.starts_with("syntax error while parsing array")) context = "array";
  if (std::size_t dash = message.find(" - "); dash != std::string::npos) {
    message.erase(0, dash + 3);
  }
  // Between members or elements the parser names only the closing bracket it hoped for.
  if (context == "object") replaceAll(message, "expected '}'", "expected ',' or '}' after a value");
  if (context == "array") replaceAll(message, "expected ']'", "expected ',' or ']' after a value");
  replaceAll(message,
             "attempting to parse an empty input; check that your input string or "
             "stream contains the expected JSON",
             "the file is empty");
  return message.empty() ? std::string("not valid JSON") : message;
}

}  // namespace

JsonSyntaxError locateSyntaxError(std::string_view text, std::size_t offset,
                                  std::string_view parserMessage) {
  JsonSyntaxError error;
  offset = std::min(offset, text.size());
  for (std::size_t at = 0; at < offset; ++at) {
    if (text[at] == '\n') {
      ++error.line;
      error.column = 1;
    } else if (!isUtf8Continuation(text[at])) {
      ++error.column;
    }
  }
  error.message = readableMessage(parserMessage);
  return error;
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
