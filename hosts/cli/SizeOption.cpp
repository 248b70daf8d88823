#include "hosts/cli/SizeOption.h"

#include <charconv>
#include <string>

#include "hosts/cli/CommandLine.h"
#include "hosts/cli/WholeNumber.h"

namespace brivora::cli {

namespace {

std::optional<int> side(std::string_view text) {
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  if (value < 1 || value > maxFrameSide) return std::nullopt;
  return value;
}

}  // namespace

std::optional<Size> parsePixelSize(std::string_view text) {
  const std::size_t cross = text.find('x');
  if (cross == std::string_view::npos) return std::nullopt;
  const std::optional<int> width = side(text.substr(0, cross));
  const std::optional<int> height = side(text.substr(cross + 1));
  if (!width || !height) return std::nullopt;
  return Size{static_cast<double>(*width), static_cast<double>(*height)};
}

Size sizeOption(std::string_view text) {
  if (const std::optional<Size> size = parsePixelSize(text)) return *size;
  throw UsageError("--size needs WIDTHxHEIGHT in pixels, each from 1 to " +
                   std::to_string(maxFrameSide) + " (got '" + std::string(text) + "')");
}

long framesOption(std::string_view text, long least, long most) {
  const std::optional<long> frames = wholeNumber<long>(text);
  if (!frames || *frames < least || *frames > most) {
    throw UsageError("--frames needs a count from " + std::to_string(least) + " to " +
                     std::to_string(most) + " (got '" + std::string(text) + "')");
  }
  return *frames;
}

}  // namespace brivora::cli
