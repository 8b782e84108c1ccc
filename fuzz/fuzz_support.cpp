#include "fuzz/fuzz_support.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>

#include "text/fatal.h"

namespace segdur {

// The fuzzing build's end of a run: the message that text/fatal.cpp
// composed, thrown instead of exit(1).
void end_run(MessageStream, std::string_view message) {
  throw fuzzing::RunEnded{std::string(message)};
}

namespace fuzzing {

namespace {

std::string scratch_path;

void remove_scratch_file() {
  if (!scratch_path.empty()) std::remove(scratch_path.c_str());
}

}  // namespace

void silence_standard_output() {
  static bool done = false;
  if (done) return;
  done = true;
  std::cout.flush();
  std::fflush(stdout);
  const int null_fd = open("/dev/null", O_WRONLY);
  if (null_fd >= 0) {
    dup2(null_fd, STDOUT_FILENO);
    close(null_fd);
  }
}

std::string write_scratch_file(const uint8_t* data, std::size_t size) {
  if (scratch_path.empty()) {
    const std::filesystem::path dir =
        std::filesystem::exists("/dev/shm") ? std::filesystem::path("/dev/shm")
                                            : std::filesystem::temp_directory_path();
    std::string name = (dir / "segdur-fuzz-XXXXXX").string();
    const int fd = mkstemp(name.data());
    require(fd >= 0, "cannot create the scratch file");
    close(fd);
    scratch_path = name;
    std::atexit(remove_scratch_file);
  }
  std::ofstream out(scratch_path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  out.close();
  require(!out.fail(), "cannot write the scratch file");
  return scratch_path;
}

void require(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "invariant broken: %s\n", what);
  std::abort();
}

}  // namespace fuzzing
}  // namespace segdur
