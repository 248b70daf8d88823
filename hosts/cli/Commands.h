#pragma once

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "hosts/cli/BundleChoice.h"
#include "hosts/cli/CommandLine.h"

namespace brivora::cli {

// The options shared by the subcommands, with whatever is not an option in `positionals`.
struct Options {
  BundleChoice source;
  std::optional<std::string> resolve;
  std::vector<std::string> positionals;
};

// Reads the bundle options ("--bundle DIR", also "--bundle=DIR"; "--images DIR",
// "--images-recursive") and, where `allowResolve`, "--resolve NAME". Any other word starting
// with "-" is a usage error.
Options parseOptions(std::span<const std::string> arguments, bool allowResolve);

int inspectCommand(std::span<const std::string> arguments, Output output);
int checkCommand(std::span<const std::string> arguments, Output output);
int runCommand(std::span<const std::string> arguments, Output output);
int renderCommand(std::span<const std::string> arguments, Output output);
int benchCommand(std::span<const std::string> arguments, Output output);

// Checks the bundle, printing one line per problem to `problemsTo` and a summary naming it by
// its label; gives exitSuccess or exitProblems.
int checkBundle(const ChosenBundle& chosen, std::ostream& problemsTo, std::ostream& summaryTo);

}  // namespace brivora::cli
