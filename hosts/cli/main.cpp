// The `brivora` program: the screen saver's hosts and tools behind one command.
#include <iostream>
#include <string>
#include <vector>

#include "hosts/cli/CommandLine.h"

int main(int argc, char** argv) {
  std::vector<std::string> arguments(argv + 1, argv + argc);
  try {
    return brivora::cli::runCommandLine(arguments, {std::cout, std::cerr});
  } catch (const brivora::cli::UsageError& error) {
    std::cerr << "brivora: " << error.what() << " (see brivora --help)\n";
  } catch (const brivora::cli::EnvironmentError& error) {
    std::cerr << "brivora: " << error.what() << "\n";
  } catch (const std::exception& error) {
    std::cerr << "brivora: " << error.what() << "\n";
  }
  return brivora::cli::exitUsage;
}
