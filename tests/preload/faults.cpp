// Preloaded into a program by the fault tests; each fault is asked for in
// the environment. SEGDUR_FAIL_MALLOC_AT=N: malloc fails (out of memory)
// from its N-th call on, or at that call alone with SEGDUR_FAIL_MALLOC_ONLY.
// SEGDUR_COUNT_MALLOC=PATH: the number of calls is written to PATH at the
// end. SEGDUR_SIGNAL_AFTER_CREATE=S: signal S is raised right after openat
// creates a file exclusively (O_CREAT | O_EXCL).
// SEGDUR_SIGNAL_AFTER_TRUNCATE=S: signal S is raised right after openat
// truncates a file it does not create (O_TRUNC without O_CREAT).
// SEGDUR_SIGNAL_BEFORE_UNLINK=S: signal S is raised once, right before the
// first unlinkat. SEGDUR_FAIL_FSYNC: every fsync fails with an I/O error.
// SEGDUR_FAIL_CLOSE_AFTER_FSYNC: the close of a descriptor that fsync
// flushed fails with an I/O error (the descriptor is closed all the same).
// SEGDUR_LINK_AT_CREATE=TARGET: right before the first openat that may
// create without O_EXCL, its name is replaced by a symlink to TARGET.

#include <fcntl.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdarg>
#include <cstddef>
#include <cstdio>
#include <cstdlib>

extern "C" void* __libc_malloc(std::size_t size);

namespace {

long calls = 0;
// The descriptor fsync last flushed; -1 when none.
int flushed = -1;
long fail_at = -2;  // -2: not read yet; -1: never
bool fail_once = false;

// The number in the environment variable `name`; -1 without it.
long number_in(const char* name) {
  const char* text = std::getenv(name);
  return text != nullptr ? std::atol(text) : -1;
}

__attribute__((destructor)) void write_count() {
  const long counted = calls;
  const char* path = std::getenv("SEGDUR_COUNT_MALLOC");
  if (std::FILE* out = path != nullptr ? std::fopen(path, "w") : nullptr) {
    std::fprintf(out, "%ld\n", counted);
    std::fclose(out);
  }
}

}  // namespace

extern "C" void* malloc(std::size_t size) {
  if (fail_at == -2) {
    fail_at = number_in("SEGDUR_FAIL_MALLOC_AT");
    fail_once = std::getenv("SEGDUR_FAIL_MALLOC_ONLY") != nullptr;
  }
  ++calls;
  if (fail_at >= 0 && (fail_once ? calls == fail_at : calls >= fail_at)) {
    errno = ENOMEM;
    return nullptr;
  }
  return __libc_malloc(size);
}

extern "C" int openat(int folder, const char* path, int flags, ...) {
  mode_t mode = 0;
  if ((flags & O_CREAT) != 0) {
    va_list arguments;
    va_start(arguments, flags);
    mode = static_cast<mode_t>(va_arg(arguments, int));
    va_end(arguments);
  }
  static bool linked = false;
  const char* link_target = std::getenv("SEGDUR_LINK_AT_CREATE");
  if (link_target != nullptr && !linked && (flags & (O_CREAT | O_EXCL)) == O_CREAT) {
    linked = true;
    ::syscall(SYS_unlinkat, folder, path, 0);
    if (::symlinkat(link_target, folder, path) != 0) std::abort();
  }
  const int fd = static_cast<int>(::syscall(SYS_openat, folder, path, flags, mode));
  const long created_signal = number_in("SEGDUR_SIGNAL_AFTER_CREATE");
  if (fd >= 0 && created_signal > 0 && (flags & (O_CREAT | O_EXCL)) == (O_CREAT | O_EXCL)) {
    std::raise(static_cast<int>(created_signal));
  }
  const long truncated_signal = number_in("SEGDUR_SIGNAL_AFTER_TRUNCATE");
  if (fd >= 0 && truncated_signal > 0 && (flags & (O_CREAT | O_TRUNC)) == O_TRUNC) {
    std::raise(static_cast<int>(truncated_signal));
  }
  return fd;
}

extern "C" int unlinkat(int folder, const char* path, int flags) {
  static bool raised = false;
  const long signal_number = number_in("SEGDUR_SIGNAL_BEFORE_UNLINK");
  if (signal_number > 0 && !raised) {
    raised = true;
    std::raise(static_cast<int>(signal_number));
  }
  return static_cast<int>(::syscall(SYS_unlinkat, folder, path, flags));
}

extern "C" int fsync(int fd) {
  if (std::getenv("SEGDUR_FAIL_FSYNC") != nullptr) {
    errno = EIO;
    return -1;
  }
  flushed = fd;
  return static_cast<int>(::syscall(SYS_fsync, fd));
}

extern "C" int close(int fd) {
  const int closed = static_cast<int>(::syscall(SYS_close, fd));
  if (fd == flushed && std::getenv("SEGDUR_FAIL_CLOSE_AFTER_FSYNC") != nullptr) {
    flushed = -1;
    errno = EIO;
    return -1;
  }
  return closed;
}
