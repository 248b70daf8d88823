#include "platform/ProcessEnd.h"

#include <atomic>

namespace brivora {

namespace {

// Lock-free, so a signal handler may set it.
std::atomic<bool> endRequested{false};
static_assert(std::atomic<bool>::is_always_lock_free);

}  // namespace

void requestProcessEnd() noexcept {
  endRequested.store(true, std::memory_order_relaxed);
}

bool processEndRequested() noexcept {
  return endRequested.load(std::memory_order_relaxed);
}

void resetProcessEnd() noexcept {
  endRequested.store(false, std::memory_order_relaxed);
}

}  // namespace brivora
