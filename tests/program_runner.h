#pragma once
// Running a built program of this project in a child, as the end-to-end tests do.

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "test_support.h"

namespace segdur::testing_support {

// The whole contents of the file at `path`; empty when it cannot be read.
inline std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// True when the faketime command is on the path.
inline bool has_faketime() { return std::system("command -v faketime >/dev/null 2>&1") == 0; }

// Runs `program` with `args` in `dir` (TZ=UTC); with `fixed_clock` under
// faketime at 2020-01-01 00:00:00 UTC, which fixes the random split.
// `before_start`, when given, runs in the child just before the program
// starts (to set a limit or move a standard stream). A program that cannot be
// started ends with status 127.
inline ChildResult run_program(const char* program, const TempDir& dir,
                               const std::vector<std::string>& args, bool fixed_clock = false,
                               const std::function<void()>& before_start = {}) {
  return run_in_child([&] {
    if (chdir(dir.path().c_str()) != 0) _exit(126);
    setenv("TZ", "UTC", 1);
    // The clock library is preloaded ahead of the sanitizer runtime.
    const char* asan = std::getenv("ASAN_OPTIONS");
    std::string asan_options = std::string(asan ? asan : "") + ":verify_asan_link_order=0";
    setenv("ASAN_OPTIONS", asan_options.c_str(), 1);
    std::vector<std::string> command;
    if (fixed_clock) command = {"faketime", "-f", "2020-01-01 00:00:00"};
    command.push_back(program);
    command.insert(command.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& word : command) argv.push_back(word.data());
    argv.push_back(nullptr);
    if (before_start) before_start();
    execvp(argv[0], argv.data());
    _exit(127);
  });
}

}  // namespace segdur::testing_support
