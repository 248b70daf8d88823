// Every seed and every input a fuzzer ever broke, replayed through the fuzz targets' bodies in
// the ordinary builds: a fixed bug that comes back fails here, without a fuzzing run.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/fuzz/FuzzTargets.h"

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

std::string contentsOf(const std::filesystem::path& file) {
  std::ifstream stream(file, std::ios::binary);
  std::ostringstream bytes;
  bytes << stream.rdbuf();
  return bytes.str();
}

class FuzzInputs : public ::testing::TestWithParam<FuzzTarget> {};

TEST_P(FuzzInputs, SeedsAndSavedFindingsRunCleanly) {
  const FuzzTarget& target = GetParam();
  const std::vector<std::filesystem::path> seeds = filesIn(fuzzFolder / "corpus" / target.name);
  EXPECT_FALSE(seeds.empty()) << "no seed corpus for " << target.name;
  std::vector<std::filesystem::path> inputs = seeds;
  for (const auto& finding : filesIn(fuzzFolder / "regressions" / target.name)) {
    inputs.push_back(finding);
  }
  // A broken invariant or a crash stops the process, which fails this test.
  for (const auto& input : inputs) {
    SCOPED_TRACE(input.string());
    target.run(contentsOf(input));
  }
}

INSTANTIATE_TEST_SUITE_P(EachTarget, FuzzInputs, ::testing::ValuesIn(fuzzTargets),
                         [](const ::testing::TestParamInfo<FuzzTarget>& each) {
                           return std::string(each.param.name);
                         });

}  // namespace
}  // namespace brivora::fuzzing
