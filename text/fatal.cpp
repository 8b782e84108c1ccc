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

// Prints `before`, the path (a null path as an empty name) and `after` on
// standard error, after what standard output holds so far, and ends the run.
[[noreturn]] void fatal_about_file(const char* before, const char* path, const char* after) {
  std::cout.flush();
  std::fprintf(stderr, "%s%s%s", before, path ? path : "", after);
  end_run();
}

}  // namespace

void fatal(const std::string& message) {
  std::cout << message;
  end_run();
}

void fatal_open_read(const char* path) {
  fatal_about_file("Could not open file ", path, " to read\n");
}

void fatal_open_write(const char* path) {
  fatal_about_file("Could not open file ", path, " to write\n");
}

void fatal_read(const char* path) { fatal_about_file("Could not read file ", path, "\n"); }

void fatal_write(const char* path) { fatal_about_file("Could not write file ", path, "\n"); }

void fatal_output_is_input(const char* path) {
  fatal_about_file("Could not open file ", path, " to write: it is an input of the run\n");
}

void fatal_standard_output() {
  std::fprintf(stderr, "Could not write to standard output\n");
  end_run();
}

}  // namespace segdur
