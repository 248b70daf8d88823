// `brivora check`: reads a bundle the way the view does and names every problem it absorbs.
#include "Brivora/WallpaperDiscovery.h"
#include "hosts/cli/CheckSupport.h"
#include "hosts/cli/Commands.h"

namespace brivora::cli {

int checkBundle(const ChosenBundle& chosen, std::ostream& problemsTo, std::ostream& summaryTo) {
  const Bundle& bundle = chosen.bundle;
  const std::vector<std::filesystem::path> wallpapers = collectImages(bundle);
  Problems problems;
  checkThemeFile(bundle, problems);
  checkMetaFile(bundle, wallpapers, problems);
  checkWallpapers(bundle, wallpapers, problems);
  for (const Problem& problem : problems) {
    problemsTo << "brivora: " << problem.where << ": " << problem.message << '\n';
  }
  const std::string wallpaperCount =
      std::to_string(wallpapers.size()) + (wallpapers.size() == 1 ? " wallpaper" : " wallpapers");
  if (problems.empty()) {
    summaryTo << chosen.label << ": no problems (" << wallpaperCount << ")\n";
    return exitSuccess;
  }
  summaryTo << chosen.label << ": " << problems.size()
            << (problems.size() == 1 ? " problem" : " problems") << " (" << wallpaperCount << ")\n";
  return exitProblems;
}

int checkCommand(std::span<const std::string> arguments, Output output) {
  Options options = parseOptions(arguments, false);
  if (!options.positionals.empty()) {
    throw UsageError("unexpected argument '" + options.positionals.front() + "'");
  }
  return checkBundle(openBundle(options.source), output.err, output.err);
}

}  // namespace brivora::cli
