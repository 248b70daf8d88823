#pragma once

#include <sys/types.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace brivora::testing {

// The program's path when it is on PATH or in the system folders; empty when it is in none.
std::string findProgram(const std::string& name);

// An account to run programs as that refuse to run as root (XScreenSaver's daemon, sway).
struct TestAccount {
  std::string name;  // empty: this process's own account
  uid_t uid = 0;
  gid_t gid = 0;

  // `argv` as a command line that runs it as this account.
  std::vector<std::string> run(std::vector<std::string> argv) const;
};

// This process's own account, unless that is root: then the account brivora-e2e, made on first
// use (its log goes into `scratch`). None, with the reason in `whyNot`, where there can be none.
std::optional<TestAccount> ordinaryAccount(const std::filesystem::path& scratch,
                                           std::string& whyNot);

// Lets every account enter `folder` and the folders in it, and read its files.
void openToEveryone(const std::filesystem::path& folder);

}  // namespace brivora::testing
