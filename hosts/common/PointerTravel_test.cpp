#include "hosts/common/PointerTravel.h"

#include <gtest/gtest.h>

#include <vector>

namespace brivora {
namespace {

TEST(PointerTravel, EndsOnlyBeyondTheLimitFromWhereThePointerSettled) {
  struct Report {
    int x;
    int y;
    double seconds;
  };
  struct Row {
    const char* what;
    std::vector<Report> reports;
    int endsAt;  // the report that ends it; -1 for none
  };
  const Row rows[] = {
      {"just past the limit ends", {{100, 100, 1}, {107, 108, 2}}, 1},
      {"the limit itself stays", {{100, 100, 1}, {106, 108, 2}}, -1},
      {"settling reports only place it", {{0, 0, 0}, {500, 300, 0.2}, {505, 300, 0.6}}, -1},
      {"and it ends from where it settled", {{0, 0, 0}, {500, 300, 0.2}, {520, 300, 0.6}}, 2},
      {"the first report after settling places it", {{900, 900, 3}, {905, 900, 4}}, -1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    PointerTravel travel(0);
    int endedAt = -1;
    for (std::size_t at = 0; at < row.reports.size() && endedAt < 0; ++at) {
      const Report& report = row.reports[at];
      if (travel.movedTooFar(report.x, report.y, report.seconds)) endedAt = static_cast<int>(at);
    }
    EXPECT_EQ(endedAt, row.endsAt);
  }
}

}  // namespace
}  // namespace brivora
