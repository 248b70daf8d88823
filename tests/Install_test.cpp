// `cmake --install` as a packager runs it: every file where XScreenSaver, man and the program
// itself look for it; and the Debian package made of it, as lintian and dpkg see it.
#include <gtest/gtest.h>

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
                           "share/xscreensaver/config/brivora.xml", "share/man/man1/brivora.1.gz",
                           "share/doc/brivora/copyright", "share/doc/brivora/changelog.gz"}) {
    EXPECT_TRUE(std::filesystem::is_regular_file(prefix / file)) << file;
  }
  const std::filesystem::path hack = prefix / "libexec/xscreensaver/brivora";
  // Relative, so that the link still holds in a package staged under DESTDIR.
  EXPECT_EQ(std::filesystem::read_symlink(hack), "../../bin/brivora");

  // A wallpaper only the installed bundle has tells it from the source tree's fallback; its
  // name sorts after every sample's.
  const std::string marker = "zz-installed-only.jpg";
  scratch.write("prefix/share/brivora/wallpapers/" + marker, "");
  const ShellResult source =
      runShell(quoted(BRIVORA_EXECUTABLE) + " inspect wallpapers --bundle " +
               quoted(std::filesystem::path(BRIVORA_SOURCE_DIR) / "Brivora/Resources"));
  for (const std::filesystem::path& program : {prefix / "bin/brivora", hack}) {
    EXPECT_EQ(runShell(quoted(program) + " inspect wallpapers").out, source.out + marker + "\n")
        << program;
  }
}

TEST(DebianPackage, PassesLintianAndInstallsRunsAndRemovesCleanly) {
  if (runShell("command -v lintian dpkg-shlibdeps fakeroot >/dev/null").status != 0) {
    GTEST_SKIP() << "lintian, dpkg-dev or fakeroot is not installed (tools/install-deps)";
  }
  const testing::TempBundle scratch;
  const std::filesystem::path cpack =
      std::filesystem::path(BRIVORA_CMAKE_COMMAND).parent_path() / "cpack";
  const ShellResult packed =
      runShell(quoted(cpack) + " -G DEB -B " + quoted(scratch.folder()) + " --config " +
               quoted(std::filesystem::path(BRIVORA_BUILD_DIR) / "CPackConfig.cmake") + " 2>&1");
  ASSERT_EQ(packed.status, 0) << packed.out;
  std::filesystem::path deb;
  for (const auto& entry : std::filesystem::directory_iterator(scratch.folder())) {
    if (entry.path().extension() == ".deb") deb = entry.path();
  }
  ASSERT_FALSE(deb.empty()) << packed.out;

  // Every error and warning fails; notes for information do not.
  const ShellResult linted = runShell("lintian --fail-on error,warning " + quoted(deb) + " 2>&1");
  EXPECT_EQ(linted.status, 0) << linted.out;
  // Every dependency names a package this system has or can get.
  const ShellResult resolved =
      runShell("apt-get install --simulate --no-install-recommends " + quoted(deb) + " 2>&1");
  EXPECT_EQ(resolved.status, 0) << resolved.out;

  // Into a root of its own, where dpkg knows no other package, and out again.
  const std::filesystem::path root = scratch.folder() / "root";
  scratch.write("root/var/lib/dpkg/status", "");
  scratch.write("root/var/lib/dpkg/available", "");
  scratch.makeFolder("root/var/lib/dpkg/info");
  scratch.makeFolder("root/var/lib/dpkg/updates");
  const std::string dpkg = "fakeroot dpkg --force-not-root --log=/dev/null --root=" + quoted(root);
  const ShellResult installed = runShell(dpkg + " --force-depends -i " + quoted(deb) + " 2>&1");
  ASSERT_EQ(installed.status, 0) << installed.out;
  for (const char* program : {"usr/bin/brivora", "usr/libexec/xscreensaver/brivora"}) {
    const ShellResult checked = runShell(quoted(root / program) + " check 2>&1");
    EXPECT_EQ(checked.status, 0) << program << ": " << checked.out;
    EXPECT_NE(checked.out.find((root / "usr/share/brivora").string() + ": no problems"),
              std::string::npos)
        << checked.out;
  }
  const ShellResult removed = runShell(dpkg + " -r brivora 2>&1");
  EXPECT_EQ(removed.status, 0) << removed.out;
  const ShellResult left = runShell("find " + quoted(root / "usr") + " ! -type d 2>/dev/null");
  EXPECT_EQ(left.out, "") << "left behind";
}

}  // namespace
}  // namespace brivora
