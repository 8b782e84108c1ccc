#pragma once
// The one temporary file of the run that is not yet in place: removed when
// the run ends or is interrupted before the file takes its place.

#include <signal.h>
#include <sys/types.h>

namespace segdur {

// Creates the file `name` in `folder` (which stays open meanwhile) with
// O_CREAT | O_EXCL, `flags` and `mode`, as the pending temporary of the run:
// recorded before any interruption can end the run, and removed when the
// run ends (an error, out of memory) or is interrupted before the file takes
// its place. Each interruption that would end the run still ends it, after
// removing the temporary: every signal whose default action ends the
// process without a core dump, SIGQUIT and SIGXCPU, and the real-time
// signals SIGRTMIN to SIGRTMAX; while one of them is handled, the others
// wait. A signal ignored or handled before stays so. `name` holds at most
// NAME_MAX bytes. Returns the descriptor, or -1 with errno set: EBUSY when
// a temporary is pending already (nothing is created, and that one is still
// removed when the run ends), ENOMEM when the removal could not be
// registered, EEXIST when the name is taken, or the create's own error.
int create_pending_temporary(int folder, const char* name, int flags, mode_t mode);

// Blocks, for its lifetime, every interruption after which a pending
// temporary is removed; one that comes meanwhile acts when it ends.
class InterruptionsBlocked {
 public:
  InterruptionsBlocked();
  ~InterruptionsBlocked();
  InterruptionsBlocked(const InterruptionsBlocked&) = delete;
  InterruptionsBlocked& operator=(const InterruptionsBlocked&) = delete;

 private:
  sigset_t before_;
};

// The pending temporary has taken its place: nothing is removed any more,
// and the interruptions do again what they did before.
void forget_pending_temporary();

// Removes the pending temporary, then forgets it.
void discard_pending_temporary();

}  // namespace segdur
