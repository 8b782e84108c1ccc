#include "test_support.h"

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <stdexcept>

namespace segdur::testing_support {

namespace {

std::string slurp_fd(int fd) {
  std::string data;
  char buffer[4096];
  ssize_t n;
  while ((n = ::read(fd, buffer, sizeof buffer)) > 0) data.append(buffer, static_cast<size_t>(n));
  return data;
}

std::string temp_file_template() {
  return (std::filesystem::temp_directory_path() / "segdur-test-XXXXXX").string();
}

}  // namespace

ChildResult run_in_child(const std::function<void()>& body) {
  // The child's temporary folder: whatever the child leaves there when it
  // ends the process (its own TempDir objects are never destroyed then) goes
  // with it.
  const TempDir child_temporary;
  std::cout.flush();
  std::fflush(nullptr);
  // Files rather than pipes: a child that writes a lot cannot block.
  std::string out_name = temp_file_template();
  std::string err_name = temp_file_template();
  int out_fd = mkstemp(out_name.data());
  int err_fd = mkstemp(err_name.data());
  if (out_fd < 0 || err_fd < 0) throw std::runtime_error("mkstemp failed");
  pid_t pid = fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    setenv("TMPDIR", child_temporary.path().c_str(), 1);
    dup2(out_fd, 1);
    dup2(err_fd, 2);
    body();
    std::cout.flush();
    std::fflush(nullptr);
    _exit(0);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  ChildResult result;
  result.exit_status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  lseek(out_fd, 0, SEEK_SET);
  lseek(err_fd, 0, SEEK_SET);
  result.out = slurp_fd(out_fd);
  result.err = slurp_fd(err_fd);
  close(out_fd);
  close(err_fd);
  unlink(out_name.c_str());
  unlink(err_name.c_str());
  return result;
}

std::string capture_stdout(const std::function<void()>& body) {
  std::ostringstream sink;
  std::streambuf* old = std::cout.rdbuf(sink.rdbuf());
  body();
  std::cout.rdbuf(old);
  return sink.str();
}

void limit_file_size(long bytes, SizeLimitSignal signal) {
  std::signal(SIGXFSZ, signal == SizeLimitSignal::kIgnored ? SIG_IGN : SIG_DFL);
  const rlimit limit{static_cast<rlim_t>(bytes), static_cast<rlim_t>(bytes)};
  if (setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(125);
}

void redirect_standard_output(const char* path) {
  std::cout.flush();
  std::fflush(stdout);
  const int fd = open(path, O_WRONLY);
  if (fd < 0 || dup2(fd, STDOUT_FILENO) < 0) _exit(125);
  close(fd);
}

namespace {

// The child's mount points become its own, changes to them seen nowhere else.
bool own_mount_points() {
  return unshare(CLONE_NEWNS) == 0 && mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
}

}  // namespace

bool bind_mount_privately(const std::string& source, const std::string& target, bool read_only) {
  return own_mount_points() && mount(source.c_str(), target.c_str(), nullptr, MS_BIND, nullptr) == 0 &&
         (!read_only ||
          mount(nullptr, target.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) == 0);
}

bool hide_proc() { return own_mount_points() && mount("none", "/proc", "tmpfs", 0, nullptr) == 0; }

void close_inherited_descriptors() {
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 34))
  close_range(3, ~0u, 0);
#else
  for (int fd = 3; fd < 1024; ++fd) close(fd);  // a C library without close_range
#endif
}

bool proc_mem_fails_reads() {
  const int fd = open("/proc/self/mem", O_RDONLY);
  if (fd < 0) return false;
  char byte;
  const bool failed = ::read(fd, &byte, 1) < 0;
  close(fd);
  return failed;
}

TempDir::TempDir() {
  std::string name = temp_file_template();
  if (mkdtemp(name.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = name;
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::string TempDir::file(const std::string& name) const { return path_ + "/" + name; }

std::string TempDir::write(const std::string& name, const std::string& contents) const {
  std::string p = file(name);
  std::filesystem::create_directories(std::filesystem::path(p).parent_path());
  std::ofstream f(p, std::ios::binary);
  f << contents;
  return p;
}

std::string TempDir::read(const std::string& name) const {
  std::ifstream f(file(name), std::ios::binary);
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

ScopedWorkingDirectory::ScopedWorkingDirectory(const std::string& dir)
    : previous_(std::filesystem::current_path().string()) {
  std::filesystem::current_path(dir);
}

ScopedWorkingDirectory::~ScopedWorkingDirectory() {
  std::error_code ignored;
  std::filesystem::current_path(previous_, ignored);
}

}  // namespace segdur::testing_support
