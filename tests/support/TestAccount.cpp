#include "tests/support/TestAccount.h"

#include <pwd.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <sstream>

#include "tests/support/ChildProcess.h"
#include "tests/support/TempBundle.h"

namespace brivora::testing {

constexpr const char* accountName = "brivora-e2e";

std::string findProgram(const std::string& name) {
  std::string folders = std::getenv("PATH") ? std::getenv("PATH") : "";
  folders += ":/usr/sbin:/sbin:/usr/bin:/bin";
  std::istringstream list(folders);
  for (std::string folder; std::getline(list, folder, ':');) {
    if (folder.empty()) continue;
    const std::string path = folder + "/" + name;
    if (access(path.c_str(), X_OK) == 0) return path;
  }
  return {};
}

std::vector<std::string> TestAccount::run(std::vector<std::string> argv) const {
  if (name.empty()) return argv;
  std::vector<std::string> wrapped = {findProgram("runuser"), "-u", name, "--"};
  wrapped.insert(wrapped.end(), argv.begin(), argv.end());
  return wrapped;
}

std::optional<TestAccount> ordinaryAccount(const std::filesystem::path& scratch,
                                           std::string& whyNot) {
  if (geteuid() != 0) return TestAccount{"", geteuid(), getegid()};
  if (findProgram("runuser").empty()) {
    whyNot =
        "the test runs as root and runuser, to hand programs to an ordinary user, is not "
        "installed";
    return std::nullopt;
  }
  const std::filesystem::path log = scratch / "useradd.log";
  if (!getpwnam(accountName)) {
    const std::string useradd = findProgram("useradd");
    // A test running beside this one may make the account first; that is as good.
    if (!useradd.empty()) {
      ChildProcess({{useradd, "--system", "--user-group", "--no-create-home", "--home-dir",
                     "/nonexistent", "--shell", "/usr/sbin/nologin", accountName},
                    {},
                    log})
          .waitFor(std::chrono::seconds(10));
    }
  }
  const passwd* entry = getpwnam(accountName);
  if (!entry) {
    whyNot = std::string("the test runs as root and cannot make the user ") + accountName +
             " to run programs as: " + readText(log);
    return std::nullopt;
  }
  return TestAccount{accountName, entry->pw_uid, entry->pw_gid};
}

void openToEveryone(const std::filesystem::path& folder) {
  using std::filesystem::perms;
  const perms enterable = perms::owner_all | perms::group_read | perms::group_exec |
                          perms::others_read | perms::others_exec;
  std::filesystem::permissions(folder, enterable);
  for (const auto& item : std::filesystem::recursive_directory_iterator(folder)) {
    std::filesystem::permissions(
        item.path(), item.is_directory() ? enterable : perms::group_read | perms::others_read,
        std::filesystem::perm_options::add);
  }
}

}  // namespace brivora::testing
