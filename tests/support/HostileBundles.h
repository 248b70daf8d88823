#pragma once

#include <filesystem>

namespace brivora::testing {

// The folder tests/make-hostile-bundle filled, made on first use and removed at exit: one
// bundle per sub-folder ("short-cycle", "huge-theme", ...). A test failure when the script
// fails.
const std::filesystem::path& hostileBundles();

}  // namespace brivora::testing
