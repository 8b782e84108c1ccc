#pragma once
// Helpers shared by the tests: running code that may end the process in a
// child and capturing what it printed, and temporary working directories.

#include <functional>
#include <string>

// A build under the sanitizers: their runtime is not replaced by a preloaded
// malloc, and it misreports a process short of descriptors.
#if defined(__SANITIZE_ADDRESS__)
#define SEGDUR_TESTS_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define SEGDUR_TESTS_SANITIZED 1
#endif
#endif

namespace segdur::testing_support {

#ifdef SEGDUR_TESTS_SANITIZED
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif

// A child's preparation that cannot be made here (no ACL, no mount, no
// capability) ends it with this status; the case is then skipped.
constexpr int kUnsupported = 77;

// What a child process printed and how it ended.
struct ChildResult {
  int exit_status = -1;  // exit code, or -1 when the child was killed by a signal
  std::string out;       // everything written to standard output
  std::string err;       // everything written to standard error
};

// Runs `body` in a forked child with standard output and standard error
// captured. A body that returns ends the child with status 0. The child's
// TMPDIR is a fresh folder, removed with everything in it once the child has
// ended.
ChildResult run_in_child(const std::function<void()>& body);

// Runs `body` in the current process and returns what it wrote to standard output.
std::string capture_stdout(const std::function<void()>& body);

// How a write past a file-size limit ends in the child: the write fails
// (SIGXFSZ ignored, as library code needs), or the signal's default action
// kills the process unless the code started ignores SIGXFSZ itself.
enum class SizeLimitSignal { kIgnored, kDefault };

// In a child: no file written from now on may grow beyond `bytes`.
// Standard output and standard error captured by run_in_child count too.
void limit_file_size(long bytes, SizeLimitSignal signal = SizeLimitSignal::kIgnored);

// In a child: standard output goes to the file at `path` from now on.
void redirect_standard_output(const char* path);

// In a child: the child gets mount points of its own, and `source` is
// mounted over `target` (a file over a file), read-only when asked. False
// when that cannot be done here (it needs root).
bool bind_mount_privately(const std::string& source, const std::string& target, bool read_only = false);

// In a child: /proc is hidden under an empty file system, as where it is
// not mounted. False when that cannot be done here (it needs root).
bool hide_proc();

// In a child: every descriptor above standard error is closed.
void close_inherited_descriptors();

// True when reading /proc/self/mem from its start fails with an I/O error,
// as it does on Linux (nothing is mapped at address 0): a file on which
// every read fails.
bool proc_mem_fails_reads();

// A fresh empty directory under the system's temporary directory, removed
// with its contents when the object is destroyed.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  // path() + "/" + name
  std::string file(const std::string& name) const;
  // Writes `contents` to file(name) and returns that path.
  std::string write(const std::string& name, const std::string& contents) const;
  // The whole contents of file(name); empty when it does not exist.
  std::string read(const std::string& name) const;

 private:
  std::string path_;
};

// Makes `dir` the working directory for the object's lifetime.
class ScopedWorkingDirectory {
 public:
  explicit ScopedWorkingDirectory(const std::string& dir);
  ~ScopedWorkingDirectory();
  ScopedWorkingDirectory(const ScopedWorkingDirectory&) = delete;
  ScopedWorkingDirectory& operator=(const ScopedWorkingDirectory&) = delete;

 private:
  std::string previous_;
};

}  // namespace segdur::testing_support
