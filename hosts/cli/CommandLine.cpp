#include "hosts/cli/CommandLine.h"

#include "hosts/cli/Commands.h"

namespace brivora::cli {

namespace {

constexpr std::string_view usageText =
    "usage:\n"
    "  brivora [run]   [--bundle DIR] [-root | -window-id ID | -window | -fullscreen] [-geometry "
    "WxH]\n"
    "                  [--monitors each|same|span] [-fps] [-display DISPLAY]\n"
    "  brivora inspect theme|meta|wallpapers|countdown [--bundle DIR] [--resolve FILENAME]\n"
    "  brivora inspect color TEXT | weight TEXT | date TEXT\n"
    "  brivora render  [--bundle DIR] --size WxH [--now ISO8601] [--elapsed SECONDS]\n"
    "                  [--seed N] [--tz ZONE] [--frames N] --out FILE.png | FILE.json | DIR\n"
    "  brivora check   [--bundle DIR]\n"
    "  brivora bench   [--bundle DIR] --size WxH [--frames N] [--json]\n"
    "\n"
    "Exit status: 0 success, 1 the input has problems, 2 usage or environment error.\n";

bool isHelp(std::string_view word) {
  return word == "--help" || word == "-h" || word == "help";
}

}  // namespace

Options parseOptions(std::span<const std::string> arguments, bool allowResolve) {
  Options options;
  for (std::size_t at = 0; at < arguments.size(); ++at) {
    std::string_view word = arguments[at];
    auto valueOf = [&](std::string_view name) -> std::optional<std::string> {
      if (word.starts_with(std::string(name) + "="))
        return std::string(word.substr(name.size() + 1));
      if (word != name) return std::nullopt;
      if (at + 1 >= arguments.size()) throw UsageError(std::string(name) + " needs a value");
      return arguments[++at];
    };
    if (auto bundle = valueOf("--bundle")) {
      options.bundle = bundle;
    } else if (auto resolve = allowResolve ? valueOf("--resolve") : std::nullopt) {
      options.resolve = resolve;
    } else if (word == "--") {
      options.positionals.insert(options.positionals.end(), arguments.begin() + at + 1,
                                 arguments.end());
      break;
    } else if (word.starts_with("-") && word.size() > 1) {
      throw UsageError("unknown option " + std::string(word));
    } else {
      options.positionals.emplace_back(word);
    }
  }
  return options;
}

int runCommandLine(std::span<const std::string> arguments, Output output) {
  if (!arguments.empty() && isHelp(arguments.front())) {
    output.out << usageText;
    return exitSuccess;
  }
  if (arguments.empty() || arguments.front().starts_with("-")) {
    return runCommand(arguments, output);
  }
  const std::string& command = arguments.front();
  std::span<const std::string> rest = arguments.subspan(1);
  if (command == "run") return runCommand(rest, output);
  if (command == "inspect") return inspectCommand(rest, output);
  if (command == "check") return checkCommand(rest, output);
  if (command == "render") return renderCommand(rest, output);
  if (command == "bench") return benchCommand(rest, output);
  throw UsageError("unknown command '" + command + "'");
}

}  // namespace brivora::cli
