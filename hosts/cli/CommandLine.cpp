#include "hosts/cli/CommandLine.h"

#include <algorithm>
#include <iterator>

#include "hosts/cli/Commands.h"
#include "hosts/cli/OptionReader.h"

namespace brivora::cli {

namespace {

// Each subcommand's synopsis, as `brivora --help` lists them all and `brivora CMD --help` one.
struct Synopsis {
  std::string_view command;
  std::string_view lines;
};

constexpr Synopsis synopses[] = {
    {"run",
     "  brivora [run]   [--bundle DIR] [--images DIR] [--images-recursive] [--watch]\n"
     "                  [-root | -window-id ID | -window | -fullscreen] [-geometry WxH]\n"
     "                  [--monitors each|same|span] [--x11 | --wayland] [-fps]\n"
     "                  [-display DISPLAY] [--no-colour-management]\n"},
    {"inspect",
     "  brivora inspect theme|meta|wallpapers|countdown [--bundle DIR]\n"
     "                  [--images DIR] [--images-recursive] [--resolve FILENAME] [--colour]\n"
     "  brivora inspect color TEXT | weight TEXT | date TEXT\n"},
    {"render",
     "  brivora render  [--bundle DIR] [--images DIR] [--images-recursive] --size WxH\n"
     "                  [--now ISO8601] [--elapsed SECONDS] [--seed N] [--tz ZONE] [--frames N]\n"
     "                  [--no-colour-management] --out FILE.png | FILE.json | DIR\n"},
    {"check", "  brivora check   [--bundle DIR] [--images DIR] [--images-recursive]\n"},
    {"bench",
     "  brivora bench   [--bundle DIR] [--images DIR] [--images-recursive] --size WxH\n"
     "                  [--frames N] [--json]\n"},
};

constexpr std::string_view sourceOptions =
    "  --bundle DIR          the bundle: theme.json, meta.json, wallpapers/ (default: the\n"
    "                        installed one)\n"
    "  --images DIR          show the pictures in DIR instead of the bundle's wallpapers\n"
    "  --images-recursive    take pictures from sub-folders too (of --images DIR, or of\n"
    "                        the bundle's wallpapers)\n";

constexpr std::string_view runOptions =
    "  --watch               create the views anew when the bundle's files change\n"
    "  --monitors MODE       each: a wallpaper of its own on every monitor (the default);\n"
    "                        same: the same on all, in step; span: one across them all\n"
    "  --x11, --wayland      the display system; by default Wayland where WAYLAND_DISPLAY\n"
    "                        is set, for -fullscreen and -window\n";

constexpr std::string_view exitStatusText =
    "Exit status: 0 success, 1 the input has problems, 2 usage or environment error.\n";

bool isSubcommand(std::string_view word) {
  return std::any_of(std::begin(synopses), std::end(synopses),
                     [&](const Synopsis& synopsis) { return synopsis.command == word; });
}

// The usage of one subcommand, or of all of them when `command` names none.
void printUsage(std::ostream& out, std::string_view command) {
  if (!isSubcommand(command)) command = "";
  out << "usage:\n";
  for (const Synopsis& synopsis : synopses) {
    if (command.empty() || synopsis.command == command) out << synopsis.lines;
  }
  out << "\noptions:\n" << sourceOptions;
  if (command.empty() || command == "run") out << runOptions;
  out << "\n" << exitStatusText;
}

bool isHelp(std::string_view word) {
  return word == "--help" || word == "-h" || word == "help";
}

}  // namespace

Options parseOptions(std::span<const std::string> arguments, bool allowResolve) {
  Options options;
  OptionReader reader(arguments);
  while (reader.next()) {
    const std::string& word = reader.word();
    if (takeBundleOption(reader, options.source)) continue;
    if (allowResolve && reader.name() == "--resolve") {
      options.resolve = reader.value();
    } else if (word == "--") {
      const std::span<const std::string> rest = reader.remaining();
      options.positionals.insert(options.positionals.end(), rest.begin(), rest.end());
      break;
    } else if (word.starts_with("-") && word.size() > 1) {
      reader.reject();
    } else {
      options.positionals.push_back(word);
    }
  }
  return options;
}

int runCommandLine(std::span<const std::string> arguments, Output output) {
  if (!arguments.empty() && isHelp(arguments.front())) {
    // "help CMD" as well as "CMD --help".
    printUsage(output.out, arguments.size() > 1 ? std::string_view(arguments[1]) : "");
    return exitSuccess;
  }
  if (arguments.size() > 1 && isHelp(arguments[1]) && isSubcommand(arguments.front())) {
    printUsage(output.out, arguments.front());
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
