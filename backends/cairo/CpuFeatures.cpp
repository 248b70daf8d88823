#include "backends/cairo/CpuFeatures.h"

#include <atomic>

namespace brivora {

namespace {

std::atomic<bool> scalarOnly{false};

bool processorHasAvx2() {
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
  static const bool has = __builtin_cpu_supports("avx2");
  return has;
#else
  return false;
#endif
}

}  // namespace

bool vectorPathsEnabled() {
  return processorHasAvx2() && !scalarOnly.load(std::memory_order_relaxed);
}

ScalarPathsOnly::ScalarPathsOnly() : previous_(scalarOnly.exchange(true)) {}

ScalarPathsOnly::~ScalarPathsOnly() {
  scalarOnly.store(previous_);
}

}  // namespace brivora
