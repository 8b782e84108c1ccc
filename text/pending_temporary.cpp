#include "text/pending_temporary.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>

namespace segdur {

namespace {

// The pending temporary, in fixed storage, since a signal handler may only
// unlink it. The handler reads `pending` first; the folder and name are
// written while the interruptions are blocked and before `pending` is set,
// and `pending` is cleared before they change again, so a handler never
// sees a half-written name.
volatile sig_atomic_t pending = 0;
volatile sig_atomic_t pending_folder = AT_FDCWD;
char pending_name[NAME_MAX + 1] = "";

// The signals whose default action ends the process and after which the
// temporary is removed, but for the real-time signals: every one that ends it
// without a core dump, and SIGQUIT and SIGXCPU (a CPU-time limit). SIGXFSZ,
// which the programs ignore, and the signals of a fault (SIGSEGV, SIGABRT and
// the like) are left alone.
constexpr int kInterruptions[] = {
    SIGHUP,  SIGINT,  SIGQUIT, SIGPIPE, SIGALRM, SIGTERM,   SIGUSR1, SIGUSR2,
    SIGPOLL, SIGPROF, SIGVTALRM, SIGXCPU,
#ifdef SIGSTKFLT
    SIGSTKFLT,
#endif
#ifdef SIGPWR
    SIGPWR,
#endif
};

// Calls visit(signal) for every signal of kInterruptions and every
// real-time signal a program can handle (SIGRTMIN to SIGRTMAX), which all
// end the process by default too.
template <class Visit>
void for_each_interruption(Visit visit) {
  for (int signal_number : kInterruptions) visit(signal_number);
  for (int signal_number = SIGRTMIN; signal_number <= SIGRTMAX; ++signal_number) {
    visit(signal_number);
  }
}

// What each interruption did before a temporary was pending, by signal
// number; valid while `held`, which the handlers do not read.
struct sigaction saved_actions[NSIG];
bool held = false;

// The set of every interruption.
sigset_t interruption_set() {
  sigset_t interruptions;
  sigemptyset(&interruptions);
  for_each_interruption([&](int signal_number) { sigaddset(&interruptions, signal_number); });
  return interruptions;
}

// Unlinks the pending temporary, if any, and then clears it, so that an
// interruption in between still finds it to remove (a second unlink of the
// name does nothing); safe in a signal handler and at exit.
void unlink_pending_temporary() {
  if (pending != 0) {
    ::unlinkat(pending_folder, pending_name, 0);
    pending = 0;
  }
}

extern "C" void remove_temporary_and_end(int signal_number) {
  unlink_pending_temporary();
  ::signal(signal_number, SIG_DFL);
  ::raise(signal_number);
}

// Registers, once, the removal of the pending temporary when the run ends;
// false when that failed (for want of memory).
bool register_removal_at_exit() {
  static const bool registered = std::atexit(unlink_pending_temporary) == 0;
  return registered;
}

// Records `name` in `folder` as the pending temporary and lets the
// interruptions remove it, while InterruptionsBlocked holds.
void hold_pending_temporary(int folder, const char* name) {
  std::memcpy(pending_name, name, std::strlen(name) + 1);
  pending_folder = folder;
  pending = 1;
  held = true;
  struct sigaction removing {};
  removing.sa_handler = remove_temporary_and_end;
  removing.sa_mask = interruption_set();
  for_each_interruption([&](int signal_number) {
    ::sigaction(signal_number, nullptr, &saved_actions[signal_number]);
    if (saved_actions[signal_number].sa_handler == SIG_DFL) {
      ::sigaction(signal_number, &removing, nullptr);
    }
  });
}

}  // namespace

int create_pending_temporary(int folder, const char* name, int flags, mode_t mode) {
  if (pending != 0) {
    errno = EBUSY;
    return -1;
  }
  if (!register_removal_at_exit()) {
    errno = ENOMEM;
    return -1;
  }
  // Recorded for removal before anything can end the run: no interruption
  // is let through, and nothing is allocated, in between.
  const InterruptionsBlocked blocked;
  const int created = ::openat(folder, name, flags | O_CREAT | O_EXCL, mode);
  const int create_error = errno;
  if (created >= 0) hold_pending_temporary(folder, name);
  errno = create_error;
  return created;
}

InterruptionsBlocked::InterruptionsBlocked() {
  const sigset_t interruptions = interruption_set();
  ::sigprocmask(SIG_BLOCK, &interruptions, &before_);
}

InterruptionsBlocked::~InterruptionsBlocked() { ::sigprocmask(SIG_SETMASK, &before_, nullptr); }

void forget_pending_temporary() {
  if (!held) return;
  held = false;
  for_each_interruption([](int signal_number) {
    ::sigaction(signal_number, &saved_actions[signal_number], nullptr);
  });
  pending = 0;
}

void discard_pending_temporary() {
  unlink_pending_temporary();
  forget_pending_temporary();
}

}  // namespace segdur
