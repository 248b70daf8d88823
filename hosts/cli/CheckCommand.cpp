// `brivora check`: reads a bundle the way the view does and names every problem it absorbs.
#include "Brivora/WallpaperDiscovery.h"
#include "hosts/cli/CheckSupport.h"
#include "hosts/cli/Commands.h"

namespace brivora::cli {

int checkBundle(const std::filesystem::path& folder, std::ostream& problemsTo,
                std::ostream& summaryTo) {
  const Bundle bundle(folder);
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
    summaryTo << folder.string() << ": no problems (" << wallpaperCount << ")\n";
    return exitSuccess;
  }
  summaryTo << folder.string() << ": " << problems.size()
            << (problems.size() == 1 ? " problem" : " problems") << " (" << wallpaperCount << ")\n";
  return exitProblems;
}

int checkCommand(std::span<const std::string> arguments, Output output) {
  Options options = parseOptions(arguments, false);
  if (!options.positionals.empty()) {
    throw UsageError("unexpected argument '" + options.positionals.front() + "'");
  }
  return checkBundle(bundleFolder(options.bundle), output.err, output.err);
}

}  // namespace brivora::cli
