#pragma once
// Running a built program of this project in a child, as the end-to-end tests do.

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <filesystem>
#include <functional>
#include <map>
#include <set>
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

// In a child: runs `program` with `args` in the working folder (TZ=UTC);
// with `fixed_clock` under faketime at 2020-01-01 00:00:00 UTC, which fixes
// the random split. Does not return; a program that cannot be started ends
// the child with status 127.
[[noreturn]] inline void exec_program_here(const char* program,
                                           const std::vector<std::string>& args, bool fixed_clock) {
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
  execvp(argv[0], argv.data());
  _exit(127);
}

// exec_program_here in `dir`.
[[noreturn]] inline void exec_program(const char* program, const TempDir& dir,
                                      const std::vector<std::string>& args, bool fixed_clock) {
  if (chdir(dir.path().c_str()) != 0) _exit(126);
  exec_program_here(program, args, fixed_clock);
}

// Runs `program` as exec_program does, and returns what it printed and how
// it ended. `before_start`, when given, runs in the child just before the
// program starts (to set a limit or move a standard stream).
inline ChildResult run_program(const char* program, const TempDir& dir,
                               const std::vector<std::string>& args, bool fixed_clock = false,
                               const std::function<void()>& before_start = {}) {
  return run_in_child([&] {
    if (before_start) before_start();
    exec_program(program, dir, args, fixed_clock);
  });
}

// The report both programs write in their working directory.
constexpr char kReport[] = "performance_triphone.txt";

// A program of the project and the folder of its expected output on the
// small corpus (tests/data/).
struct Program {
  const char* path;
  const char* expected;
};

inline std::vector<Program> programs() {
  return {{SEGDUR2_PATH, "segdur2_small/"}, {SEGDUR1_PATH, "segdur1_small/"}};
}

inline const std::string& test_data() {
  static const std::string path = std::string(SEGDUR_SOURCE_DIR) + "/tests/data/";
  return path;
}

// What `program` is expected to write on the small corpus under the fixed
// clock: its report and its standard output.
inline std::string expected_report(const Program& program) {
  return read_file(test_data() + program.expected + "expected_performance_triphone.txt");
}
inline std::string expected_stdout(const Program& program) {
  return read_file(test_data() + program.expected + "expected_stdout.txt");
}

// The input files of the small corpus.
inline const std::vector<std::string>& small_corpus_inputs() {
  static const std::vector<std::string> names = {"a.lab", "b.lab", "c.lab", "labels.txt",
                                                 "hepsi.txt"};
  return names;
}

// The small corpus copied into `dir`.
inline void copy_small_corpus(const TempDir& dir) {
  for (const std::string& name : small_corpus_inputs()) {
    dir.write(name, read_file(test_data() + "segdur2_small/" + name));
  }
}

// The names of the entries of `dir`.
inline std::set<std::string> file_names(const TempDir& dir) {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
    names.insert(entry.path().filename().string());
  }
  return names;
}

// The names of the small corpus's inputs and `others`.
inline std::set<std::string> small_corpus_names_and(const std::vector<std::string>& others) {
  std::set<std::string> names(small_corpus_inputs().begin(), small_corpus_inputs().end());
  names.insert(others.begin(), others.end());
  return names;
}

// The contents of every input of the small corpus in `dir`.
inline std::map<std::string, std::string> small_corpus_contents(const TempDir& dir) {
  std::map<std::string, std::string> contents;
  for (const std::string& name : small_corpus_inputs()) contents[name] = dir.read(name);
  return contents;
}

}  // namespace segdur::testing_support
