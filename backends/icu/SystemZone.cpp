// The system's time zone as the C library reads it, named for ICU.
#include <sys/stat.h>
#include <unicode/timezone.h>
#include <unicode/ucal.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "backends/icu/CurrentZone.h"
#include "backends/icu/IcuStrings.h"
#include "platform/Date.h"

namespace brivora {

namespace {

constexpr const char* defaultZoneFile = "/etc/localtime";
constexpr const char* defaultZoneFolder = "/usr/share/zoneinfo";
// Instants a candidate's offsets are compared at: now and across the next year, so that a zone
// with the same offset today but other summer rules is not taken.
constexpr int comparedMonths = 13;
constexpr double secondsPerMonth = 30.4 * 24 * 3600;

// What the C library reads the zone from, as far as a change to it can be seen cheaply.
struct ZoneSource {
  std::string tz;      // $TZ, or empty when unset
  std::string path;    // the zone file: $TZ's when it names one, else /etc/localtime
  std::string target;  // where the path's symbolic link points, if it is one
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  timespec modified{};

  bool operator==(const ZoneSource& other) const {
    return tz == other.tz && path == other.path && target == other.target &&
           device == other.device && inode == other.inode && size == other.size &&
           modified.tv_sec == other.modified.tv_sec && modified.tv_nsec == other.modified.tv_nsec;
  }
};

std::string zoneFolder() {
  const char* folder = std::getenv("TZDIR");
  return folder && *folder ? folder : defaultZoneFolder;
}

ZoneSource currentSource() {
  ZoneSource source;
  const char* tz = std::getenv("TZ");
  source.tz = tz ? tz : "";
  std::string_view named = source.tz;
  if (named.starts_with(':')) named.remove_prefix(1);
  if (source.tz.empty()) {
    source.path = defaultZoneFile;
  } else if (named.starts_with('/')) {
    source.path = named;
  } else {
    source.path = zoneFolder() + "/" + std::string(named);
  }
  std::array<char, 4096> link{};
  const ssize_t length = readlink(source.path.c_str(), link.data(), link.size() - 1);
  if (length > 0) source.target.assign(link.data(), static_cast<std::size_t>(length));
  struct stat status {};
  if (stat(source.path.c_str(), &status) == 0) {
    source.device = status.st_dev;
    source.inode = status.st_ino;
    source.size = status.st_size;
    source.modified = status.st_mtim;
  }
  return source;
}

// The offset from UTC, in seconds, that the C library gives at `when`.
long systemOffset(std::time_t when) {
  std::tm local{};
  return localtime_r(&when, &local) ? local.tm_gmtoff : 0;
}

long zoneOffset(const icu::TimeZone& zone, std::time_t when) {
  std::int32_t raw = 0;
  std::int32_t daylight = 0;
  UErrorCode status = U_ZERO_ERROR;
  zone.getOffset(static_cast<UDate>(when) * 1000.0, false, raw, daylight, status);
  return U_SUCCESS(status) ? (raw + daylight) / 1000 : 0;
}

// Whether ICU's zone of this name gives the C library's offsets over the coming year.
std::unique_ptr<icu::TimeZone> agreeingZone(const std::string& name, std::time_t now) {
  if (name.empty()) return nullptr;
  std::unique_ptr<icu::TimeZone> zone(icu::TimeZone::createTimeZone(icu_strings::fromUtf8(name)));
  icu::UnicodeString id;
  if (!zone || zone->getID(id) == icu::UnicodeString(UCAL_UNKNOWN_ZONE_ID)) return nullptr;
  for (int month = 0; month < comparedMonths; ++month) {
    const auto when = now + static_cast<std::time_t>(month * secondsPerMonth);
    if (zoneOffset(*zone, when) != systemOffset(when)) return nullptr;
  }
  return zone;
}

std::string readSmallFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// The names of the zone files with the same bytes as `source`'s, found by walking the zone
// folder: the way to name a zone file that is a copy, or a file mounted over another.
std::vector<std::string> namesOfSameFile(const ZoneSource& source) {
  std::vector<std::string> names;
  const std::string bytes = readSmallFile(source.path);
  if (bytes.empty()) return names;
  const std::filesystem::path folder = zoneFolder();
  std::error_code error;
  for (auto item = std::filesystem::recursive_directory_iterator(folder, error);
       !error && item != std::filesystem::recursive_directory_iterator(); item.increment(error)) {
    const std::string name = item->path().lexically_relative(folder).string();
    // posix/ and right/ repeat the zones, right/ with leap seconds the C library would add.
    if (item->is_directory() && (name == "posix" || name == "right")) {
      item.disable_recursion_pending();
      continue;
    }
    std::error_code sizeError;
    if (item->is_regular_file() && item->file_size(sizeError) == bytes.size() &&
        readSmallFile(item->path()) == bytes) {
      names.push_back(name);
    }
  }
  std::sort(names.begin(), names.end());
  return names;
}

// The zone the C library now reads, by its name when ICU agrees with it, else found by the
// file's contents, else fixed at today's offset so that at least the hour is right.
std::unique_ptr<icu::TimeZone> systemZone(const ZoneSource& source, std::time_t now) {
  std::vector<std::string> names;
  std::string_view named = source.tz;
  if (named.starts_with(':')) named.remove_prefix(1);
  if (!named.starts_with('/')) names.emplace_back(named);
  const std::string linked = source.target;
  if (const std::size_t at = linked.find("zoneinfo/"); at != std::string::npos) {
    names.push_back(linked.substr(at + 9));
  }
  std::string debianName = readSmallFile("/etc/timezone");
  while (!debianName.empty() && std::isspace(static_cast<unsigned char>(debianName.back()))) {
    debianName.pop_back();
  }
  if (source.tz.empty()) names.push_back(debianName);
  for (const std::string& name : names) {
    if (auto zone = agreeingZone(name, now)) return zone;
  }
  for (const std::string& name : namesOfSameFile(source)) {
    if (auto zone = agreeingZone(name, now)) return zone;
  }
  const long offset = systemOffset(now);
  char fixed[48];
  std::snprintf(fixed, sizeof fixed, "GMT%c%02ld:%02ld", offset < 0 ? '-' : '+',
                std::labs(offset) / 3600, std::labs(offset) / 60 % 60);
  return std::unique_ptr<icu::TimeZone>(icu::TimeZone::createTimeZone(fixed));
}

}  // namespace

bool followSystemTimeZone() {
  static std::optional<ZoneSource> lastSource;
  const ZoneSource source = currentSource();
  // The C library reads the zone file again when it has changed.
  ::tzset();
  const std::time_t now = std::time(nullptr);
  const std::unique_ptr<icu::TimeZone> current(icu::TimeZone::createDefault());
  const bool sameOffset = zoneOffset(*current, now) == systemOffset(now);
  if (lastSource == source && sameOffset) return false;
  lastSource = source;
  std::unique_ptr<icu::TimeZone> zone = systemZone(source, now);
  if (!zone || (*zone == *current)) return false;
  icu::TimeZone::adoptDefault(zone.release());
  icu_zone::noteChange();
  return true;
}

}  // namespace brivora
