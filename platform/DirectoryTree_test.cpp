#include "platform/DirectoryTree.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>

#include "tests/support/TempBundle.h"

namespace brivora {
namespace {

using testing::TempBundle;
using Names = std::vector<std::string>;

Names sorted(Names names) {
  std::sort(names.begin(), names.end());
  return names;
}

TEST(ListDirectoryTree, TakesEveryFileOnceAndEndsOnLinkLoopsWithoutOpeningFifos) {
  TempBundle top;
  top.write("a.jpg", "x");
  top.write(".hidden/b.jpg", "x");
  top.write("sub/c.jpg", "x");
  top.write("sub/deeper/d.jpg", "x");
  top.makeFolder("empty");
  ASSERT_EQ(::mkfifo((top.folder() / "sub/pipe.jpg").c_str(), 0600), 0);
  std::filesystem::create_symlink("..", top.folder() / "sub/up");                 // a loop
  std::filesystem::create_symlink(top.folder() / "sub", top.folder() / "again");  // seen twice
  std::filesystem::create_symlink("gone", top.folder() / "dangling.jpg");

  const std::optional<DirectoryTree> tree = listDirectoryTree(top.folder());
  ASSERT_TRUE(tree.has_value());
  EXPECT_EQ(sorted(tree->files), (Names{".hidden/b.jpg", "a.jpg", "dangling.jpg", "sub/c.jpg",
                                        "sub/deeper/d.jpg", "sub/pipe.jpg"}));
  // A folder reached both ways is entered once, by its own path.
  EXPECT_EQ(sorted(tree->folders), (Names{".hidden", "empty", "sub", "sub/deeper"}));

  EXPECT_FALSE(listDirectoryTree(top.folder() / "missing").has_value());
  EXPECT_FALSE(listDirectoryTree(top.folder() / "a.jpg").has_value());
}

TEST(ListDirectoryTree, GoesNoDeeperThanTheCap) {
  TempBundle top;
  std::string path;
  for (int level = 1; level <= maxTreeDepth + 3; ++level) path += "d/";
  top.write(path + "deep.jpg", "x");
  top.write(std::string(path.substr(0, 2 * maxTreeDepth)) + "last.jpg", "x");
  const std::optional<DirectoryTree> tree = listDirectoryTree(top.folder());
  ASSERT_TRUE(tree.has_value());
  EXPECT_EQ(tree->folders.size(), static_cast<std::size_t>(maxTreeDepth));
  EXPECT_EQ(tree->files, (Names{path.substr(0, 2 * maxTreeDepth) + "last.jpg"}));
}

}  // namespace
}  // namespace brivora
