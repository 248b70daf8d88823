#include "Brivora/WallpaperDiscovery.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/TempBundle.h"

namespace brivora {
namespace {

using testing::TempBundle;

std::vector<std::string> namesOf(const std::vector<std::filesystem::path>& images) {
  std::vector<std::string> names;
  for (const auto& image : images) names.push_back(image.filename().string());
  return names;
}

TEST(CollectImages, KeepsTheFourExtensionsInAnyCaseSortedByCodePointsWithoutEnteringFolders) {
  using List = std::vector<std::string>;
  const std::pair<List, List> rows[] = {
      {{"b.png", "A.JPG", "a.jpeg"}, {"A.JPG", "a.jpeg", "b.png"}},
      {{"2.jpg", "10.jpg"}, {"10.jpg", "2.jpg"}},
      // A decomposed "é" sorts as the composed one, after every ASCII name.
      {{"e\xCC\x81t\xC3\xA9.jpg", "zoo.jpg", "Zed.jpg"},
       {"Zed.jpg", "zoo.jpg", "e\xCC\x81t\xC3\xA9.jpg"}},
      {{"notes.txt", "cover", "a.gif", "b.webp", "c.tif", "d.Jpeg", "e.HEIC", "f.PnG", "g.jpg.txt",
        "h.txt.jpg", "i.", "j.jpgx"},
       {"d.Jpeg", "e.HEIC", "f.PnG", "h.txt.jpg"}},
      // Hidden names count, a hidden name alone has no extension, and folders are listed by
      // name (nothing checks the kind here) but not entered.
      {{".hidden.jpg", "._resource.png", ".jpg", "inner/deep.jpg", "folder.jpeg/x"},
       {"._resource.png", ".hidden.jpg", "folder.jpeg"}},
  };
  for (const auto& [files, expected] : rows) {
    TempBundle bundle;
    bundle.makeFolder("wallpapers");
    for (const std::string& file : files) bundle.write("wallpapers/" + file, "x");
    EXPECT_EQ(namesOf(collectImages(bundle.bundle())), expected);
  }
}

TEST(CollectImages, GivesAnEmptyListWhenThereIsNothingToList) {
  TempBundle noFolder;
  EXPECT_TRUE(collectImages(noFolder.bundle()).empty());

  TempBundle fileInstead;
  fileInstead.write("wallpapers", "not a folder");
  EXPECT_TRUE(collectImages(fileInstead.bundle()).empty());

  EXPECT_TRUE(collectImages(Bundle("")).empty());
}

TEST(CollectImages, ListsAFolderServedInPlaceOfWallpapersByTheSameRules) {
  using List = std::vector<std::string>;
  TempBundle bundle, photos;
  bundle.write("wallpapers/own.jpg", "x");
  for (const char* file :
       {"b.png", "A.JPG", "notes.txt", ".jpg", ".hidden.jpg", "sub/a.jpg", "sub/.jpg", "sub/x.gif",
        "sub/deeper/2.jpg", "sub-b.jpg", "sub.d/10.jpg"}) {
    photos.write(file, "x");
  }
  photos.makeFolder("folder.jpeg");
  // Paths relative to the folder, by depth.
  const std::pair<FolderDepth, List> rows[] = {
      {FolderDepth::shallow, {".hidden.jpg", "A.JPG", "b.png", "folder.jpeg", "sub-b.jpg"}},
      // Sub-folders are entered, not listed; paths sort by the code points of their names.
      {FolderDepth::recursive,
       {".hidden.jpg", "A.JPG", "b.png", "sub-b.jpg", "sub.d/10.jpg", "sub/a.jpg",
        "sub/deeper/2.jpg"}},
  };
  for (const auto& [depth, expected] : rows) {
    Bundle served = bundle.bundle();
    served.replaceFolder("wallpapers", photos.folder(), depth);
    List relative;
    for (const auto& image : collectImages(served)) {
      relative.push_back(image.lexically_relative(photos.folder()).string());
    }
    EXPECT_EQ(relative, expected);
  }
}

TEST(PathExtension, TakesThePartAfterTheLastDotOfANonHiddenName) {
  const std::pair<std::string_view, std::string_view> cases[] = {
      {"a.jpg", "jpg"}, {"a.b.PNG", "PNG"}, {".jpg", ""},     {".a.heic", "heic"},
      {"noext", ""},    {"trailing.", ""},  {"..jpg", "jpg"},
  };
  for (const auto& [name, extension] : cases) EXPECT_EQ(pathExtension(name), extension) << name;
}

}  // namespace
}  // namespace brivora
