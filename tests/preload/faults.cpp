// Preloaded into a program by the fault tests; each fault is asked for in
// the environment. SEGDUR_FAIL_MALLOC_AT=N: malloc fails (out of memory)
// from its N-th call on, or at that call alone with SEGDUR_FAIL_MALLOC_ONLY.
// SEGDUR_COUNT_MALLOC=PATH: the number of calls is written to PATH at the
// end. SEGDUR_SIGNAL_AFTER_CREATE=S: signal S is raised right after openat
// creates a file exclusively (O_CREAT | O_EXCL). SEGDUR_FAIL_FSYNC: every
// fsync fails with an I/O error.

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
  const int fd = static_cast<int>(::syscall(SYS_openat, folder, path, flags, mode));
  const long signal_number = number_in("SEGDUR_SIGNAL_AFTER_CREATE");
  if (fd >= 0 && signal_number > 0 && (flags & (O_CREAT | O_EXCL)) == (O_CREAT | O_EXCL)) {
    std::raise(static_cast<int>(signal_number));
  }
  return fd;
}

extern "C" int fsync(int fd) {
  if (std::getenv("SEGDUR_FAIL_FSYNC") != nullptr) {
    errno = EIO;
    return -1;
  }
  return static_cast<int>(::syscall(SYS_fsync, fd));
}
