#include "backends/codecs/DecodeCancellation.h"

#include <utility>

namespace brivora {

namespace {

thread_local std::function<bool()> currentCancellation;

}  // namespace

bool decodeCancelled() {
  return currentCancellation && currentCancellation();
}

CancellableDecode::CancellableDecode(std::function<bool()> cancelled) {
  currentCancellation = std::move(cancelled);
}

CancellableDecode::~CancellableDecode() {
  currentCancellation = nullptr;
}

}  // namespace brivora
