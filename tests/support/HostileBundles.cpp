#include "tests/support/HostileBundles.h"

#include <gtest/gtest.h>

#include "tests/support/ShellCommand.h"
#include "tests/support/TempBundle.h"

namespace brivora::testing {

const std::filesystem::path& hostileBundles() {
  static const TempBundle scratch;
  static const bool made = [] {
    const std::string command = shellQuoted(BRIVORA_SOURCE_DIR "/tests/make-hostile-bundle") + " " +
                                shellQuoted(scratch.folder().string()) + " >/dev/null";
    return runShell(command).status == 0;
  }();
  EXPECT_TRUE(made) << "tests/make-hostile-bundle failed";
  return scratch.folder();
}

}  // namespace brivora::testing
