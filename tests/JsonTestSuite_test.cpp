// Every file of the public JSON parsing suite through the JSON reader, the Theme and Meta
// loaders and `brivora check`: y_ texts are accepted, n_ texts rejected (and the open i_ ones as
// the reader decides, below), and a rejected text
// (or one whose top level is no object) gives the defaults without crashing.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "Brivora/Meta.h"
#include "Brivora/Theme.h"
#include "hosts/cli/CommandLine.h"
#include "platform/JsonValue.h"
#include "tests/support/TempBundle.h"

namespace brivora {
namespace {

struct SuiteFile {
  std::string name;
  std::string text;
  char verdict;  // 'y' must be accepted, 'n' must be rejected, 'i' either
};

// Of the texts the suite leaves open, invalid Unicode is refused and a byte-order mark or 500
// levels of nesting are read; only numbers out of range stay open.
char verdictOf(const std::string& name) {
  if (name.starts_with("i_string") || name.starts_with("i_object")) return 'n';
  return name.starts_with("i_structure") ? 'y' : name[0];
}

std::vector<SuiteFile> suiteFiles() {
  std::vector<SuiteFile> files;
  for (const auto& entry : std::filesystem::directory_iterator(BRIVORA_JSON_TEST_SUITE)) {
    const std::string name = entry.path().filename().string();
    if (entry.path().extension() != ".json" || name.size() < 2 || name[1] != '_') continue;
    std::ifstream in(entry.path(), std::ios::binary);
    files.push_back({name, std::string(std::istreambuf_iterator<char>(in), {}), verdictOf(name)});
  }
  std::sort(files.begin(), files.end(),
            [](const SuiteFile& a, const SuiteFile& b) { return a.name < b.name; });
  return files;
}

// Each file is parsed, then written as theme.json and meta.json at once, loaded and checked as
// the view and check do.
TEST(JsonTestSuite, JudgesEveryTextAndGivesTheDefaultsForEveryTextThatIsNoObject) {
  const std::vector<SuiteFile> files = suiteFiles();
  ASSERT_GT(files.size(), 300u) << "suite not found at " << BRIVORA_JSON_TEST_SUITE;
  brivora::testing::TempBundle bundle;
  // A wallpaper, so that only theme.json and meta.json can make check fail.
  bundle.write("wallpapers/01.jpg", std::string("\xFF\xD8\xFF\xE0\x00\x10JFIF", 10));
  std::vector<std::string> faults;
  for (const SuiteFile& file : files) {
    const JsonParseResult result = parseJson(file.text);
    if (file.verdict == 'y' && !result.value) faults.push_back(file.name + ": valid, rejected");
    if (file.verdict == 'n' && result.value) faults.push_back(file.name + ": invalid, accepted");
    if (!result.value) {
      // The error points inside the text (or just past its end).
      const std::size_t lines =
          1 + static_cast<std::size_t>(std::count(file.text.begin(), file.text.end(), '\n'));
      const bool inside = result.error.line >= 1 && result.error.line <= lines &&
                          result.error.column >= 1 && result.error.column <= file.text.size() + 1 &&
                          !result.error.message.empty();
      if (!inside) faults.push_back(file.name + ": error placed outside the text");
    }
    bundle.write("theme.json", file.text);
    bundle.write("meta.json", file.text);
    std::ostringstream out, err;
    const std::vector<std::string> arguments = {"check", "--bundle", bundle.folder().string()};
    const int status = cli::runCommandLine(arguments, {out, err});
    if (file.verdict != 'n' && result.value && result.value->isObject()) {
      EXPECT_TRUE(status == cli::exitSuccess || status == cli::exitProblems) << file.name;
      continue;
    }
    if (!(Theme::load(bundle.bundle()) == Theme::fallback())) {
      faults.push_back(file.name + ": theme not the defaults");
    }
    if (!(Meta::load(bundle.bundle()) == Meta::empty())) {
      faults.push_back(file.name + ": meta not empty");
    }
    const bool reported = err.str().find("brivora: theme.json") != std::string::npos &&
                          err.str().find("brivora: meta.json") != std::string::npos;
    if (status != cli::exitProblems || !reported) faults.push_back(file.name + ": check let it by");
  }
  EXPECT_TRUE(faults.empty()) << ::testing::PrintToString(faults);
}

}  // namespace
}  // namespace brivora
