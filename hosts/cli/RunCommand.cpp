// `brivora run`, for now: shows what the screen saver reads from its bundle. The slideshow
// window takes this command's place once the view is built.
#include "Brivora/CountdownTarget.h"
#include "Brivora/Meta.h"
#include "Brivora/Theme.h"
#include "Brivora/WallpaperDiscovery.h"
#include "hosts/cli/Commands.h"
#include "hosts/cli/JsonOutput.h"

namespace brivora::cli {

int runCommand(std::span<const std::string> arguments, Output output) {
  Options options = parseOptions(arguments, false);
  if (!options.positionals.empty()) {
    throw UsageError("unexpected argument '" + options.positionals.front() + "'");
  }
  const std::filesystem::path folder = bundleFolder(options.bundle);
  const Bundle bundle(folder);
  const Theme theme = Theme::load(bundle);
  output.out << "Brivora bundle " << folder.string() << "\n\n";
  output.out << "theme (brivora inspect theme):\n";
  printJson(output.out, themeJson(theme));
  output.out << "\nmeta (brivora inspect meta):\n";
  printJson(output.out, metaJson(Meta::load(bundle)));
  output.out << "\nwallpapers (brivora inspect wallpapers):\n";
  const std::vector<std::filesystem::path> images = collectImages(bundle);
  if (images.empty()) output.out << "  (none)\n";
  for (const std::filesystem::path& image : images) {
    output.out << "  " << image.filename().string() << '\n';
  }
  output.out << "\ncountdown (brivora inspect countdown): ";
  printJson(output.out, dateJson(parseDate(theme.countdownTo)));
  output.out << "\ncheck (brivora check):\n";
  checkBundle(folder, output.out, output.out);
  return exitSuccess;
}

}  // namespace brivora::cli
