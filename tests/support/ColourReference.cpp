#include "tests/support/ColourReference.h"

#include <algorithm>
#include <cmath>
#include <sstream>

#include <lcms2.h>

#include "platform/Files.h"
#include "tests/support/ShellCommand.h"
#include "tests/support/TempBundle.h"

namespace brivora::testing {

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
  // transicc reads profiles from files; its built-in sRGB stands for an empty one.
  const TempBundle folder;
  folder.write("input.icc", input);
  folder.write("output.icc", output);
  const auto name = [&](const std::string& icc, const char* file) {
    return icc.empty() ? std::string("*sRGB") : (folder.folder() / file).string();
  };
  std::ostringstream line;
  for (const double value : values) line << value << ' ';
  const ShellResult result = runShell("echo " + shellQuoted(line.str()) + " | transicc -n -t0 -i " +
                                      shellQuoted(name(input, "input.icc")) + " -o " +
                                      shellQuoted(name(output, "output.icc")) + " 2>/dev/null");
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
