#include "hosts/common/MonitorMode.h"

namespace brivora {

std::optional<MonitorMode> parseMonitorMode(std::string_view word) {
  if (word == "each") return MonitorMode::each;
  if (word == "same") return MonitorMode::same;
  if (word == "span") return MonitorMode::span;
  return std::nullopt;
}

}  // namespace brivora
