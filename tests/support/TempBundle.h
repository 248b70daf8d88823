#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "platform/Bundle.h"

namespace brivora::testing {

// A bundle folder in the temporary directory (or in `parent`), removed with everything in it
// at the end.
class TempBundle {
 public:
  explicit TempBundle(const std::filesystem::path& parent = std::filesystem::temp_directory_path());
  TempBundle(const TempBundle&) = delete;
  TempBundle& operator=(const TempBundle&) = delete;
  ~TempBundle();

  const std::filesystem::path& folder() const { return folder_; }
  Bundle bundle() const { return Bundle(folder_); }

  // Writes `contents` to the file at `relativePath`, making folders on the way.
  void write(std::string_view relativePath, std::string_view contents) const;
  // Makes the folder at `relativePath`.
  void makeFolder(std::string_view relativePath) const;

 private:
  std::filesystem::path folder_;
};

// The whole file as text; empty when it cannot be read.
std::string readText(const std::filesystem::path& path);

}  // namespace brivora::testing
