#include "tests/support/ColourReference.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <lcms2.h>

#include "platform/Files.h"
#include "tests/support/ShellCommand.h"

namespace brivora::testing {

namespace {

// A profile written to a file of its own for transicc, removed at the end.
class ProfileFile {
 public:
  explicit ProfileFile(const std::string& icc) {
    static std::atomic<int> counter = 0;
    if (icc.empty()) return;
    path_ =
        std::filesystem::temp_directory_path() / ("brivora-profile-" + std::to_string(::getpid()) +
                                                  "-" + std::to_string(++counter) + ".icc");
    std::ofstream(path_, std::ios::binary) << icc;
  }
  ~ProfileFile() {
    if (!path_.empty()) std::filesystem::remove(path_);
  }
  ProfileFile(const ProfileFile&) = delete;
  ProfileFile& operator=(const ProfileFile&) = delete;

  // transicc's name for it.
  std::string name() const { return path_.empty() ? "*sRGB" : path_.string(); }

 private:
  std::filesystem::path path_;
};

}  // namespace

std::string installedProfile(const char* path) {
  return readWholeFile(path, std::size_t{16} * 1024 * 1024).bytes.value_or(std::string());
}

std::string madeProfile(const Chromaticities& c, double gamma) {
  const cmsCIExyY white{c.whiteX, c.whiteY, 1};
  const cmsCIExyYTRIPLE primaries{
      {c.redX, c.redY, 1}, {c.greenX, c.greenY, 1}, {c.blueX, c.blueY, 1}};
  const cmsFloat64Number srgb[5] = {2.4, 1 / 1.055, 0.055 / 1.055, 1 / 12.92, 0.04045};
  cmsToneCurve* curve =
      gamma > 0 ? cmsBuildGamma(nullptr, gamma) : cmsBuildParametricToneCurve(nullptr, 4, srgb);
  cmsToneCurve* curves[3] = {curve, curve, curve};
  cmsHPROFILE profile = cmsCreateRGBProfile(&white, &primaries, curves);
  cmsUInt32Number size = 0;
  cmsSaveProfileToMem(profile, nullptr, &size);
  std::string bytes(size, '\0');
  cmsSaveProfileToMem(profile, bytes.data(), &size);
  cmsCloseProfile(profile);
  cmsFreeToneCurve(curve);
  return bytes;
}

std::optional<std::array<int, 3>> transiccColour(const std::string& input,
                                                 const std::string& output,
                                                 const std::vector<double>& values) {
  const ProfileFile from(input);
  const ProfileFile to(output);
  std::ostringstream line;
  for (const double value : values) line << value << ' ';
  const ShellResult result =
      runShell("echo " + shellQuoted(line.str()) + " | transicc -n -t0 -i " +
               shellQuoted(from.name()) + " -o " + shellQuoted(to.name()) + " 2>/dev/null");
  // The last line holds the converted values.
  std::istringstream out(
      result.out.substr(result.out.find_last_of('\n', result.out.size() - 2) + 1));
  std::array<int, 3> colour{};
  for (int& channel : colour) {
    double value = 0;
    if (!(out >> value)) return std::nullopt;
    channel = static_cast<int>(std::lround(std::clamp(value, 0.0, 255.0)));
  }
  return colour;
}

}  // namespace brivora::testing
