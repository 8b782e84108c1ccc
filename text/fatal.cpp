#include "text/fatal.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>

namespace segdur {

namespace {

[[noreturn]] void end_run() {
  std::cout.flush();
  std::fflush(stdout);
  std::fflush(stderr);
  std::exit(1);
}

[[noreturn]] void fatal_open(const char* path, const char* direction) {
  std::cout.flush();
  std::fprintf(stderr, "Could not open file %s to %s\n", path ? path : "", direction);
  end_run();
}

}  // namespace

void fatal(const std::string& message) {
  std::cout << message;
  end_run();
}

void fatal_open_read(const char* path) { fatal_open(path, "read"); }

void fatal_open_write(const char* path) { fatal_open(path, "write"); }

}  // namespace segdur
