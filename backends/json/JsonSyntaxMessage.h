#pragma once

#include <cstddef>
#include <string_view>

#include "platform/JsonValue.h"

namespace brivora {

// The line and column of byte `offset` in `text`, with the parser's message cut down to
// what a person editing the file needs.
JsonSyntaxError locateSyntaxError(std::string_view text, std::size_t offset,
                                  std::string_view parserMessage);

// Where the token the parser stopped at starts, given the byte count it had read and its
// message.
std::size_t startOfOffendingToken(std::string_view text, std::size_t end,
                                  std::string_view parserMessage);

// The byte offset of the first bracket that opens a container deeper than `maxDepth`, or the
// text's size when there is none.
std::size_t offsetOfExcessNesting(std::string_view text, std::size_t maxDepth);

}  // namespace brivora
