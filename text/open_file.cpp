#include "text/open_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <iterator>
#include <memory>
#include <system_error>

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
// signal handler may only unlink it.
char pending_temporary[4096] = "";

// The interrupting signals, and what each did before a temporary existed.
constexpr int kInterruptions[] = {SIGHUP, SIGINT, SIGQUIT, SIGTERM};
struct sigaction saved_actions[sizeof kInterruptions / sizeof kInterruptions[0]];

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
// ended the run still ends it, after removing the temporary.
void hold_temporary(const std::string& path) {
  static const bool at_exit = std::atexit(remove_pending_temporary) == 0;
  (void)at_exit;
  std::snprintf(pending_temporary, sizeof pending_temporary, "%s", path.c_str());
  struct sigaction removing {};
  removing.sa_handler = remove_temporary_and_end;
  sigemptyset(&removing.sa_mask);
  for (std::size_t k = 0; k < std::size(kInterruptions); ++k) {
    ::sigaction(kInterruptions[k], nullptr, &saved_actions[k]);
    if (saved_actions[k].sa_handler == SIG_DFL) ::sigaction(kInterruptions[k], &removing, nullptr);
  }
}

// Forgets the pending temporary (it is in place or removed) and gives the
// interruptions back what they did before.
void release_temporary() {
  for (std::size_t k = 0; k < std::size(kInterruptions); ++k) {
    ::sigaction(kInterruptions[k], &saved_actions[k], nullptr);
  }
  pending_temporary[0] = '\0';
}

// The mode of a file made by a plain create: 0666 less the umask.
mode_t created_file_mode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return static_cast<mode_t>(0666 & ~mask);
}

// The regular file that `path` names through any symlinks, or `path` itself
// when it names nothing at all; empty for anything else (a device, a FIFO, a
// directory, a dangling symlink, a path that cannot be looked at).
std::string replaceable_file(const char* path) {
  struct stat info;
  if (::stat(path, &info) == 0) {
    if (!S_ISREG(info.st_mode)) return "";
    std::unique_ptr<char, decltype(&std::free)> real(::realpath(path, nullptr), &std::free);
    return real ? std::string(real.get()) : "";
  }
  if (errno == ENOENT && ::lstat(path, &info) != 0 && errno == ENOENT) return path;
  return "";
}

}  // namespace

void open_input_or_die(std::ifstream& stream, const char* path, std::ios::openmode mode) {
  std::error_code ignored;
  if (path == nullptr || stream.is_open() || std::filesystem::is_directory(path, ignored)) {
    fatal_open_read(path);
  }
  stream.open(path, mode);
  if (!stream.is_open()) fatal_open_read(path);
}

void check_read_or_die(const std::istream& stream, const char* path) {
  if (stream.bad()) fatal_read(path);
}

void open_output_or_die(std::ofstream& stream, const char* path, std::ios::openmode mode) {
  if (path == nullptr || stream.is_open()) fatal_open_write(path);
  stream.open(path, mode);
  if (!stream.is_open()) fatal_open_write(path);
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
  descriptor_ = ::mkstemp(name.data());
  if (descriptor_ < 0) fatal_open_write(path);
  temporary_ = name;
  hold_temporary(temporary_);
  stream_.open(temporary_, std::ios::out | std::ios::trunc);
  if (!stream_.is_open()) {
    remove_pending_temporary();
    fatal_open_write(path);
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
