#include "platform/Files.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include "tests/support/TempBundle.h"

namespace brivora {
namespace {

using testing::TempBundle;

TEST(ReadWholeFile, ReadsSmallRegularFilesThroughLinksAndRefusesTheRestWithoutBlocking) {
  TempBundle folder;
  ASSERT_EQ(::mkfifo((folder.folder() / "fifo").c_str(), 0600), 0);
  std::filesystem::create_symlink("/dev/zero", folder.folder() / "zero");
  std::filesystem::create_symlink(folder.folder() / "gone", folder.folder() / "dangling");
  folder.makeFolder("dir");
  folder.write("big", std::string(17, 'x'));
  folder.write("exact", std::string(16, 'x'));

  const std::pair<const char*, ReadFailure> cases[] = {
      {"fifo", ReadFailure::notRegularFile}, {"zero", ReadFailure::notRegularFile},
      {"dir", ReadFailure::notRegularFile},  {"dangling", ReadFailure::missing},
      {"missing", ReadFailure::missing},     {"big", ReadFailure::tooLarge},
  };
  for (const auto& [name, failure] : cases) {
    FileContents contents = readWholeFile(folder.folder() / name, 16);
    EXPECT_FALSE(contents.bytes.has_value()) << name;
    EXPECT_EQ(contents.failure, failure) << name;
  }
  EXPECT_EQ(readWholeFile(folder.folder() / "exact", 16).bytes->size(), 16u);
  // Whole, bytes of zero included, through a link; and an empty file is read, not refused.
  folder.write("a.json", std::string("{\0}", 3));
  std::filesystem::create_symlink(folder.folder() / "a.json", folder.folder() / "link.json");
  EXPECT_EQ(readWholeFile(folder.folder() / "link.json", 16).bytes, std::string("{\0}", 3));
  folder.write("empty", "");
  EXPECT_EQ(readWholeFile(folder.folder() / "empty", 16).bytes, "");
}

TEST(ReadWholeFile, ReportsPermissionDenied) {
  if (::geteuid() == 0) GTEST_SKIP() << "root reads every file";
  TempBundle folder;
  folder.write("secret", "x");
  std::filesystem::permissions(folder.folder() / "secret", std::filesystem::perms::none);
  EXPECT_EQ(readWholeFile(folder.folder() / "secret", 16).failure, ReadFailure::permissionDenied);
}

TEST(ReadFileHead, ReadsOnlyTheFirstBytesOfALongerFile) {
  TempBundle folder;
  folder.write("long", "0123456789");
  EXPECT_EQ(readFileHead(folder.folder() / "long", 4).bytes, "0123");
  EXPECT_EQ(readFileHead(folder.folder() / "long", 40).bytes, "0123456789");
  std::filesystem::create_symlink("/dev/zero", folder.folder() / "zero");
  EXPECT_FALSE(readFileHead(folder.folder() / "zero", 4).bytes.has_value());
}

}  // namespace
}  // namespace brivora
