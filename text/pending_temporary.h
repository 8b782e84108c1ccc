#pragma once
// The one temporary file of the run that is not yet in place: removed when
// the run ends or is interrupted before the file takes its place.

#include <signal.h>

namespace segdur {

// True when a temporary is pending.
bool has_pending_temporary();

// Registers, once, the removal of the pending temporary when the run ends
// (an error, out of memory). False when that registration failed (for want
// of memory); then no temporary may be created.
bool register_removal_at_exit();

// Blocks, for its lifetime, every interruption after which a pending
// temporary is removed, so that a temporary created in that time is
// recorded before any of them can end the run.
class InterruptionsBlocked {
 public:
  InterruptionsBlocked();
  ~InterruptionsBlocked();
  InterruptionsBlocked(const InterruptionsBlocked&) = delete;
  InterruptionsBlocked& operator=(const InterruptionsBlocked&) = delete;

 private:
  sigset_t before_;
};

// Records `name` in `folder` (which stays open meanwhile) as the pending
// temporary, while InterruptionsBlocked holds. Each interruption that would
// end the run still ends it, after removing the temporary: every signal whose
// default action ends the process without a core dump, SIGQUIT and SIGXCPU,
// and the real-time signals SIGRTMIN to SIGRTMAX. A signal ignored or handled
// before stays so. Allocates nothing. `name` holds at most NAME_MAX bytes.
void hold_pending_temporary(int folder, const char* name);

// The pending temporary has taken its place: nothing is removed any more,
// and the interruptions do again what they did before.
void forget_pending_temporary();

// Removes the pending temporary, then forgets it.
void discard_pending_temporary();

}  // namespace segdur
