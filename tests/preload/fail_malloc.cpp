// Preloaded into a program by the out-of-memory test: malloc fails, as when
// memory has run out, from its N-th call on, N the number in the environment
// variable SEGDUR_FAIL_MALLOC_AT; without it every call succeeds.

#include <cerrno>
#include <cstddef>
#include <cstdlib>

extern "C" void* __libc_malloc(std::size_t size);

namespace {
long calls = 0;
long fail_at = -2;  // -2: not read yet; -1: never
}  // namespace

extern "C" void* malloc(std::size_t size) {
  if (fail_at == -2) {
    const char* at = std::getenv("SEGDUR_FAIL_MALLOC_AT");
    fail_at = at != nullptr ? std::atol(at) : -1;
  }
  if (fail_at >= 0 && ++calls >= fail_at) {
    errno = ENOMEM;
    return nullptr;
  }
  return __libc_malloc(size);
}
