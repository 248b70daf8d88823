#pragma once

namespace brivora {

// Set when the process is about to end (a signal asked it to): waits for work whose result
// nobody will see give up at once, and long work stops where it can. Safe to call from a signal
// handler; never cleared in a running program, except by tests through `resetProcessEnd`.
void requestProcessEnd() noexcept;
bool processEndRequested() noexcept;
void resetProcessEnd() noexcept;

}  // namespace brivora
