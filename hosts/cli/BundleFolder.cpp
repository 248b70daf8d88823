#include <unistd.h>

#include <system_error>

#include "hosts/cli/CommandLine.h"

namespace brivora::cli {

namespace {

std::filesystem::path programFolder() {
  std::error_code error;
  std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::filesystem::path() : self.parent_path();
}

}  // namespace

std::filesystem::path bundleFolder(const std::optional<std::string>& option) {
  std::error_code error;
  if (option) {
    std::filesystem::path chosen(*option);
    if (!std::filesystem::is_directory(chosen, error)) {
      throw EnvironmentError("bundle folder not found: " + *option);
    }
    return chosen;
  }
  const std::filesystem::path installed = programFolder() / "../share/brivora";
  if (std::filesystem::is_directory(installed, error)) return installed.lexically_normal();
  const std::filesystem::path source = BRIVORA_SOURCE_RESOURCES;
  if (std::filesystem::is_directory(source, error)) return source;
  throw EnvironmentError("no bundle found beside the program (" + installed.string() +
                         "); name one with --bundle DIR");
}

}  // namespace brivora::cli
