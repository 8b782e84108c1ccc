#include "text/open_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <system_error>

#include "text/descriptor.h"
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

}  // namespace

void fail_open(const char* path, bool for_writing) {
  if (errno == ENOMEM) fatal_out_of_memory();
  if (for_writing) fatal_open_write(path);
  fatal_open_read(path);
}

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

Destination find_destination_or_die(const char* path) {
  Destination found = find_destination(path);
  if (found.error != 0) {
    errno = found.error;
    fail_open(path, true);
  }
  return found;
}

void open_found_output_or_die(std::ofstream& stream, const char* path, const Destination& found) {
  if (path == nullptr || stream.is_open()) fatal_open_write(path);
  // The stream takes the file opened only through /proc: without it,
  // nothing is created or truncated.
  if (::access(kProcDescriptors, X_OK) != 0) fail_open(path, true);
  const Descriptor opened(open_destination(found, O_WRONLY | O_CREAT | O_TRUNC, kNewFileMode));
  if (!opened.is_open()) fail_open(path, true);
  errno = 0;
  stream.open(DescriptorName(opened.get()).get(), std::ios::out | std::ios::trunc);
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
