#include "tests/support/TempBundle.h"

#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

namespace brivora::testing {

TempBundle::TempBundle(const std::filesystem::path& parent) {
  std::random_device seed;
  for (int attempt = 0; attempt < 100; ++attempt) {
    folder_ = parent / ("brivora-test-" + std::to_string(seed()) + std::to_string(attempt));
    if (std::filesystem::create_directory(folder_)) return;
  }
  throw std::runtime_error("cannot make a temporary bundle folder");
}

TempBundle::~TempBundle() {
  std::error_code ignored;
  std::filesystem::permissions(folder_, std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::add, ignored);
  std::filesystem::remove_all(folder_, ignored);
}

void TempBundle::write(std::string_view relativePath, std::string_view contents) const {
  const std::filesystem::path path = folder_ / relativePath;
  std::filesystem::create_directories(path.parent_path());
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(contents.data(), static_cast<std::streamsize>(contents.size()));
  if (!file) throw std::runtime_error("cannot write " + path.string());
}

void TempBundle::makeFolder(std::string_view relativePath) const {
  std::filesystem::create_directories(folder_ / relativePath);
}

std::string readText(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

}  // namespace brivora::testing
