// `brivora inspect`: reads out what the view would see, for scripts and people.
#include <algorithm>
#include <iostream>
#include <string>
#include <vector>

#include "Brivora/CountdownTarget.h"
#include "Brivora/Meta.h"
#include "Brivora/SrgbHexColor.h"
#include "Brivora/Theme.h"
#include "Brivora/WallpaperDiscovery.h"
#include "backends/codecs/ImageCodecs.h"
#include "hosts/cli/Commands.h"
#include "hosts/cli/JsonOutput.h"
#include "platform/Files.h"

namespace brivora::cli {

namespace {

// The weight the view would use for `text` as its clockWeight.
FontWeight weightFor(const std::string& text) {
  Theme theme;
  theme.clockWeight = text;
  return theme.nsFontWeight();
}

int inspectText(std::string_view what, std::span<const std::string> arguments, Output output) {
  if (arguments.empty()) throw UsageError("inspect " + std::string(what) + " needs a TEXT");
  const std::string& text = arguments.front();  // taken as written, even when it starts with "-"
  Options options = parseOptions(arguments.subspan(1), false);
  if (!options.positionals.empty()) {
    throw UsageError("unexpected argument '" + options.positionals.front() + "'");
  }
  if (what == "color") printJson(output.out, colorJson(colorFromSrgbHex(text)));
  if (what == "weight") {
    printJson(output.out, nlohmann::ordered_json(std::string(fontWeightName(weightFor(text)))));
  }
  if (what == "date") printJson(output.out, dateJson(parseDate(text)));
  return exitSuccess;
}

// What the wallpaper's file says of its colours, for `inspect wallpapers --colour`.
std::string wallpaperColours(const std::filesystem::path& path) {
  const FileContents file = readWholeFile(path, maxImageFileBytes);
  if (!file.bytes) return "cannot be read";
  return describeImageColours(*file.bytes).value_or("not an image whose header can be read");
}

}  // namespace

int inspectCommand(std::span<const std::string> arguments, Output output) {
  if (arguments.empty()) {
    throw UsageError(
        "inspect needs one of theme, meta, wallpapers, countdown, color, weight, date");
  }
  const std::string& what = arguments.front();
  if (what == "color" || what == "weight" || what == "date") {
    return inspectText(what, arguments.subspan(1), output);
  }
  // `wallpapers --colour` adds what each file says of its colours.
  std::vector<std::string> rest(arguments.begin() + 1, arguments.end());
  const auto colourFlag = std::remove_if(rest.begin(), rest.end(), [&](const std::string& word) {
    return what == "wallpapers" && (word == "--colour" || word == "--color");
  });
  const bool colours = colourFlag != rest.end();
  rest.erase(colourFlag, rest.end());
  Options options = parseOptions(rest, what == "meta");
  if (!options.positionals.empty()) {
    throw UsageError("unexpected argument '" + options.positionals.front() + "'");
  }
  if (what != "theme" && what != "meta" && what != "wallpapers" && what != "countdown") {
    throw UsageError("cannot inspect '" + what + "'");
  }
  const Bundle bundle = openBundle(options.source).bundle;
  if (what == "theme") printJson(output.out, themeJson(Theme::load(bundle)));
  if (what == "countdown")
    printJson(output.out, dateJson(parseDate(Theme::load(bundle).countdownTo)));
  if (what == "meta") {
    const Meta meta = Meta::load(bundle);
    printJson(output.out,
              options.resolve ? playerJson(meta.resolve(*options.resolve)) : metaJson(meta));
  }
  if (what == "wallpapers") {
    // Paths below the folder, for pictures taken from its sub-folders.
    const std::filesystem::path folder =
        bundle.urlForResource(wallpapersFolderName, "").value_or(std::filesystem::path());
    for (const std::filesystem::path& image : collectImages(bundle)) {
      output.out << image.lexically_relative(folder).string();
      if (colours) output.out << '\t' << wallpaperColours(image);
      output.out << '\n';
    }
  }
  return exitSuccess;
}

}  // namespace brivora::cli
