// `cmake --install` as a packager runs it: every file where XScreenSaver, man and the program
// itself look for it.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "tests/support/ShellCommand.h"
#include "tests/support/TempBundle.h"

namespace brivora {
namespace {

using testing::runShell;
using testing::ShellResult;

std::string quoted(const std::filesystem::path& path) {
  return testing::shellQuoted(path.string());
}

TEST(Install, PutsEveryFileInPlaceAndBothProgramsReadTheInstalledBundle) {
  const testing::TempBundle scratch;
  const std::filesystem::path prefix = scratch.folder() / "prefix";
  const ShellResult install =
      runShell(quoted(BRIVORA_CMAKE_COMMAND) + " --install " + quoted(BRIVORA_BUILD_DIR) +
               " --prefix " + quoted(prefix) + " 2>&1");
  ASSERT_EQ(install.status, 0) << install.out;

  for (const char* file : {"bin/brivora", "share/brivora/theme.json", "share/brivora/meta.json",
                           "share/xscreensaver/config/brivora.xml", "share/man/man1/brivora.1"}) {
    EXPECT_TRUE(std::filesystem::is_regular_file(prefix / file)) << file;
  }
  EXPECT_TRUE(std::filesystem::is_directory(prefix / "share/brivora/wallpapers"));
  const std::filesystem::path hack = prefix / "libexec/xscreensaver/brivora";
  ASSERT_TRUE(std::filesystem::is_symlink(hack));
  // Relative, so that the link still holds in a package staged under DESTDIR.
  EXPECT_EQ(std::filesystem::read_symlink(hack), "../../bin/brivora");

  // A wallpaper only the installed bundle has tells it from the source tree's fallback.
  const std::string marker = "zz-installed-only.jpg";
  scratch.write("prefix/share/brivora/wallpapers/" + marker, "");
  const ShellResult source =
      runShell(quoted(BRIVORA_EXECUTABLE) + " inspect wallpapers --bundle " +
               quoted(std::filesystem::path(BRIVORA_SOURCE_DIR) / "Brivora/Resources"));
  ASSERT_EQ(source.status, 0);
  for (const std::filesystem::path& program : {prefix / "bin/brivora", hack}) {
    ShellResult listed = runShell(quoted(program) + " inspect wallpapers");
    EXPECT_EQ(listed.status, 0) << program;
    const std::size_t markerAt = listed.out.find(marker + "\n");
    ASSERT_NE(markerAt, std::string::npos) << program << " listed:\n" << listed.out;
    listed.out.erase(markerAt, marker.size() + 1);
    EXPECT_EQ(listed.out, source.out) << program;
  }
}

}  // namespace
}  // namespace brivora
