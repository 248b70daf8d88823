// The `brivora` program: the screen saver's hosts and tools behind one command.
#include <malloc.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "backends/codecs/BackgroundDecoding.h"
#include "hosts/cli/CommandLine.h"

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

namespace {

// How long the end of the program waits for a decode that can be stopped to stop.
constexpr std::chrono::milliseconds decodeStopGrace{20};
// Blocks from this size up are mapped for themselves and given back whole when freed.
constexpr int ownMappingBytes = 256 * 1024;

int runProgram(const std::vector<std::string>& arguments) {
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

}  // namespace

int main(int argc, char** argv) {
  // Decoding makes and frees buffers of megabytes. Left to itself, the allocator raises the
  // size it maps separately to the largest block freed so far, and keeps the next ones in its
  // heaps, where they stay resident after they are freed: a fixed threshold gives them back.
  mallopt(M_MMAP_THRESHOLD, ownMappingBytes);
  const int status = runProgram(std::vector<std::string>(argv + 1, argv + argc));
  // A decode nobody will see (HEIF cannot be stopped) must not hold up the end. Everything
  // the program writes is written by now, so it may end without its static destructors, which
  // the decoding libraries may still be using.
  if (!brivora::stopBackgroundDecoding(decodeStopGrace)) {
    std::cout.flush();
    std::cerr.flush();
    std::fflush(nullptr);
#if defined(__SANITIZE_ADDRESS__)
    __lsan_do_leak_check();
#endif
    _exit(status);
  }
  return status;
}
