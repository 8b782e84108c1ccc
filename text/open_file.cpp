#include "text/open_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <system_error>
#include <utility>

#include "text/fatal.h"

namespace segdur {

namespace {

// Removes what `path` names when the path itself is a regular file; a
// symlink is looked at, not followed, and anything else is left alone.
void remove_if_regular_file(const char* path) {
  std::error_code ignored;
  if (std::filesystem::symlink_status(path, ignored).type() ==
      std::filesystem::file_type::regular) {
    std::filesystem::remove(path, ignored);
  }
}

[[noreturn]] void fail_write(const char* path) {
  if (path != nullptr) remove_if_regular_file(path);
  fatal_write(path);
}

// What `path` names, through symlinks; false when it names nothing.
bool stat_of(const char* path, struct stat* info) {
  return path != nullptr && ::stat(path, info) == 0;
}

// The temporary of a ReplacedFile that is not yet in place, removed when the
// run ends or is interrupted before the commit. A fixed buffer, since a
// signal handler may only unlink it; a name that the system accepts is
// shorter than PATH_MAX.
char pending_temporary[PATH_MAX] = "";

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
// real-time signal, which all end the process by default too.
template <class Visit>
void for_each_interruption(Visit visit) {
  for (int signal_number : kInterruptions) visit(signal_number);
  for (int signal_number = SIGRTMIN; signal_number <= SIGRTMAX; ++signal_number) {
    visit(signal_number);
  }
}

// What each interruption did before a temporary existed, by signal number.
struct sigaction saved_actions[NSIG];

void remove_pending_temporary() {
  if (pending_temporary[0] != '\0') ::unlink(pending_temporary);
  pending_temporary[0] = '\0';
}

extern "C" void remove_temporary_and_end(int signal_number) {
  remove_pending_temporary();
  ::signal(signal_number, SIG_DFL);
  ::raise(signal_number);
}

// Remembers `path` as the pending temporary; an interruption that would have
// ended the run still ends it, after removing the temporary. A signal that
// was ignored or handled stays so.
void hold_temporary(const std::string& path) {
  std::snprintf(pending_temporary, sizeof pending_temporary, "%s", path.c_str());
  static const bool at_exit = std::atexit(remove_pending_temporary) == 0;
  (void)at_exit;
  struct sigaction removing {};
  removing.sa_handler = remove_temporary_and_end;
  sigemptyset(&removing.sa_mask);
  for_each_interruption([&](int signal_number) {
    ::sigaction(signal_number, nullptr, &saved_actions[signal_number]);
    if (saved_actions[signal_number].sa_handler == SIG_DFL) {
      ::sigaction(signal_number, &removing, nullptr);
    }
  });
}

// Forgets the pending temporary (it is in place or removed) and gives the
// interruptions back what they did before.
void release_temporary() {
  for_each_interruption([](int signal_number) {
    ::sigaction(signal_number, &saved_actions[signal_number], nullptr);
  });
  pending_temporary[0] = '\0';
}

// The mode of a file made by a plain create: 0666 less the umask.
mode_t created_file_mode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return static_cast<mode_t>(0666 & ~mask);
}

// The most symlinks followed from a report's name to the file it replaces.
constexpr int kMaxSymlinks = 40;

// The regular file that `path` names, found without an absolute name (the
// folders above the working folder may be unsearchable, or their path longer
// than PATH_MAX): `path` itself when it is a regular file or names nothing;
// through symlinks, followed link by link (a relative target is relative to
// the link's folder), the regular file at the end of the chain. Empty for
// anything else: a device, a FIFO, a directory, a dangling symlink, a chain
// of more than kMaxSymlinks links, a path that cannot be looked at.
std::string replaceable_file(const char* path) {
  std::string current = path;
  for (int links = 0; links <= kMaxSymlinks; ++links) {
    struct stat info;
    if (::lstat(current.c_str(), &info) != 0) {
      return links == 0 && errno == ENOENT ? current : "";
    }
    if (S_ISREG(info.st_mode)) return current;
    if (!S_ISLNK(info.st_mode)) return "";
    char target[PATH_MAX];
    const ssize_t length = ::readlink(current.c_str(), target, sizeof target);
    if (length <= 0 || static_cast<std::size_t>(length) >= sizeof target) return "";
    std::string next(target, static_cast<std::size_t>(length));
    const std::string::size_type slash = current.rfind('/');
    if (next[0] != '/' && slash != std::string::npos) next = current.substr(0, slash + 1) + next;
    current = next;
  }
  return "";
}

// Ends the run after an open of `path` failed: "Out of memory" when that was
// the cause, else the open message for reading or writing.
[[noreturn]] void fail_open(const char* path, bool for_writing) {
  if (errno == ENOMEM) fatal_out_of_memory();
  if (for_writing) fatal_open_write(path);
  fatal_open_read(path);
}

}  // namespace

void open_input_or_die(std::ifstream& stream, const char* path, std::ios::openmode mode) {
  std::error_code ignored;
  if (path == nullptr || stream.is_open() || std::filesystem::is_directory(path, ignored)) {
    fatal_open_read(path);
  }
  errno = 0;
  stream.open(path, mode);
  if (!stream.is_open()) fail_open(path, false);
}

void check_read_or_die(const std::istream& stream, const char* path) {
  if (stream.bad()) fatal_read(path);
}

void open_output_or_die(std::ofstream& stream, const char* path, std::ios::openmode mode) {
  if (path == nullptr || stream.is_open()) fatal_open_write(path);
  errno = 0;
  stream.open(path, mode);
  if (!stream.is_open()) fail_open(path, true);
}

void close_output_or_die(std::ofstream& stream, const char* path) {
  stream.close();
  if (stream.fail()) fail_write(path);
}

void flush_output_or_die(std::ofstream& stream, const char* path) {
  stream.flush();
  if (stream.fail()) fail_write(path);
}

ReplacedFile::ReplacedFile(const char* path) : path_(path != nullptr ? path : "") {
  if (path != nullptr) target_ = replaceable_file(path);
  if (target_.empty()) {
    open_output_or_die(stream_, path);
    return;
  }
  std::string name = target_ + ".XXXXXX";
  // The temporary is recorded for removal before anything can end the run:
  // no interruption is let through, and nothing is allocated, in between.
  sigset_t interruptions;
  sigset_t before;
  sigemptyset(&interruptions);
  for_each_interruption([&](int signal_number) { sigaddset(&interruptions, signal_number); });
  ::sigprocmask(SIG_BLOCK, &interruptions, &before);
  descriptor_ = ::mkstemp(name.data());
  if (descriptor_ >= 0) hold_temporary(name);
  ::sigprocmask(SIG_SETMASK, &before, nullptr);
  if (descriptor_ < 0) fail_open(path, true);
  temporary_ = std::move(name);
  errno = 0;
  stream_.open(temporary_, std::ios::out | std::ios::trunc);
  if (!stream_.is_open()) {
    const int open_error = errno;
    remove_pending_temporary();
    errno = open_error;
    fail_open(path, true);
  }
}

void ReplacedFile::commit_or_die() {
  if (temporary_.empty()) {
    close_output_or_die(stream_, path_.c_str());
    return;
  }
  stream_.close();
  if (stream_.fail() || ::fsync(descriptor_) != 0 ||
      ::fchmod(descriptor_, created_file_mode()) != 0 || ::close(descriptor_) != 0) {
    fail();
  }
  descriptor_ = -1;
  if (::rename(temporary_.c_str(), target_.c_str()) != 0) fail();
  release_temporary();
}

void ReplacedFile::fail() {
  remove_pending_temporary();
  fatal_write(path_.c_str());
}

void flush_standard_output_or_die() {
  std::cout.flush();
  const bool flushed = std::fflush(stdout) == 0;
  if (!flushed || std::cout.fail() || std::ferror(stdout) != 0) fatal_standard_output();
}

void occupy_closed_standard_descriptors() {
  for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
    if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    const int opened = ::open("/dev/null", fd == STDIN_FILENO ? O_WRONLY : O_RDONLY);
    if (opened < 0) fatal_open_read("/dev/null");
    if (opened != fd) {
      ::dup2(opened, fd);
      ::close(opened);
    }
  }
}

FileIdentity::FileIdentity(const char* path) {
  struct stat info;
  regular_ = stat_of(path, &info) && S_ISREG(info.st_mode);
  if (!regular_) return;
  device_ = static_cast<std::uint64_t>(info.st_dev);
  inode_ = static_cast<std::uint64_t>(info.st_ino);
}

bool FileIdentity::is_same_file(const FileIdentity& other) const {
  return regular_ && other.regular_ && device_ == other.device_ && inode_ == other.inode_;
}

bool FileIdentity::is_same_file(const char* other) const {
  return regular_ && is_same_file(FileIdentity(other));
}

}  // namespace segdur
