#pragma once

#include <functional>

namespace brivora {

// Whether the decode running on this thread should stop: nobody will see its pixels any more.
// Decoders ask it between rows; false outside a CancellableDecode.
bool decodeCancelled();

// For its lifetime, `decodeCancelled()` on this thread asks `cancelled`. Scopes do not nest.
class CancellableDecode {
 public:
  explicit CancellableDecode(std::function<bool()> cancelled);
  ~CancellableDecode();
  CancellableDecode(const CancellableDecode&) = delete;
  CancellableDecode& operator=(const CancellableDecode&) = delete;
};

}  // namespace brivora
