// Every seed and every input a fuzzer ever broke, replayed through the fuzz targets' bodies in
// the ordinary builds: a fixed bug that comes back fails here, without a fuzzing run.
#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/fuzz/FuzzTargets.h"
#include "tests/support/TempBundle.h"

namespace brivora::fuzzing {
namespace {

struct FuzzTarget {
  const char* name;  // its folder under tests/fuzz/corpus and tests/fuzz/regressions
  void (*run)(std::string_view input);
};

const FuzzTarget fuzzTargets[] = {
    {"theme", fuzzTheme}, {"meta", fuzzMeta},       {"color_weight", fuzzColorAndWeight},
    {"date", fuzzDate},   {"jpeg", fuzzJpeg},       {"png", fuzzPng},
    {"heif", fuzzHeif},   {"overlay", fuzzOverlay},
};

const std::filesystem::path fuzzFolder = std::filesystem::path(BRIVORA_SOURCE_DIR) / "tests/fuzz";

// The files of a folder in name order; none when it does not exist.
std::vector<std::filesystem::path> filesIn(const std::filesystem::path& folder) {
  std::vector<std::filesystem::path> files;
  if (!std::filesystem::is_directory(folder)) return files;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (entry.is_regular_file()) files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

class FuzzInputs : public ::testing::TestWithParam<FuzzTarget> {};

TEST_P(FuzzInputs, SeedsAndSavedFindingsRunCleanly) {
  const FuzzTarget& target = GetParam();
  std::vector<std::filesystem::path> inputs = filesIn(fuzzFolder / "corpus" / target.name);
  EXPECT_FALSE(inputs.empty()) << "no seed corpus for " << target.name;
  const auto findings = filesIn(fuzzFolder / "regressions" / target.name);
  inputs.insert(inputs.end(), findings.begin(), findings.end());
  // A broken invariant or a crash stops the process, which fails this test.
  for (const auto& input : inputs) {
    SCOPED_TRACE(input.string());
    target.run(testing::readText(input));
  }
}

INSTANTIATE_TEST_SUITE_P(EachTarget, FuzzInputs, ::testing::ValuesIn(fuzzTargets),
                         [](const ::testing::TestParamInfo<FuzzTarget>& each) {
                           return std::string(each.param.name);
                         });

}  // namespace
}  // namespace brivora::fuzzing
