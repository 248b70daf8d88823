#pragma once

#include <gtest/gtest.h>

#include <string_view>

#include "platform/Date.h"

namespace brivora {

// Makes the named zone the process's current one and puts UTC back afterwards.
class ZoneScope {
 public:
  explicit ZoneScope(std::string_view zone) { EXPECT_TRUE(setCurrentTimeZone(zone)); }
  ~ZoneScope() { setCurrentTimeZone("UTC"); }
  ZoneScope(const ZoneScope&) = delete;
  ZoneScope& operator=(const ZoneScope&) = delete;
};

}  // namespace brivora
