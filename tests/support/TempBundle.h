#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "platform/Bundle.h"

namespace brivora::testing {

// A bundle folder in the temporary directory, removed with everything in it at the end.
class TempBundle {
 public:
  TempBundle();
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

}  // namespace brivora::testing
