#pragma once

#include <optional>
#include <string_view>

namespace brivora {

// What the monitors of a full screen (or of a root window) show.
enum class MonitorMode {
  each,  // a view per monitor, sized to it; no two show the same wallpaper while there are enough
  same,  // a view per monitor, all showing the same wallpaper and movement in step
  span,  // one view over the box around all the monitors, each showing its part
};

// The mode a word names ("each", "same", "span"); none for any other word.
std::optional<MonitorMode> parseMonitorMode(std::string_view word);

}  // namespace brivora
