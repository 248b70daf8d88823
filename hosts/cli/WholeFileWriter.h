#pragma once

#include <filesystem>
#include <functional>
#include <string>

namespace brivora::cli {

// Writes the file at `path` whole or not at all: `write` fills a temporary file beside it,
// which is then renamed into place. Should SIGINT or SIGTERM end the program meanwhile, the
// temporary file is removed and the program dies of the signal, as interrupted programs do,
// so that neither a half-written file nor a stray one is left. Throws EnvironmentError, with
// `write`'s own message when it gives one, when the file cannot be written.
void writeWholeFile(
    const std::filesystem::path& path,
    const std::function<bool(const std::filesystem::path& temporary, std::string& error)>& write);

}  // namespace brivora::cli
