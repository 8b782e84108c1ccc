#pragma once
// Shared pieces of the fuzz targets.
//
// The fuzzing build links its own end_run(): instead of ending the process
// it throws RunEnded with the message, which every target catches. A
// reported error with exit status 1 is the expected answer to bad input, not
// a finding; a crash, a sanitizer report, a broken invariant, a leak or a
// hang is.

#include <cstddef>
#include <cstdint>
#include <string>

namespace segdur::fuzzing {

// What the run would have printed before ending with exit status 1. Not
// derived from std::exception, so no handler in the code under test can
// swallow it by accident.
struct RunEnded {
  std::string message;
};

// Sends standard output to /dev/null for the rest of the process, so that
// the reports of the code under test do not flood the fuzzer's log. Safe to
// call more than once.
void silence_standard_output();

// Writes `size` bytes to this process's scratch file and returns its path;
// every call reuses the same file (created on first use, removed at exit).
std::string write_scratch_file(const uint8_t* data, std::size_t size);

// A broken invariant: prints `what` on standard error and aborts, which the
// fuzzer records as a crash with the input that caused it.
void require(bool condition, const char* what);

}  // namespace segdur::fuzzing
