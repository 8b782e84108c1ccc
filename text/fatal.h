#pragma once
// The one way a run ends after a reported error: print the message and exit
// with status 1. Nothing is thrown; objects of the caller are not destroyed.

#include <string>

namespace segdur {

// Writes `message` to standard output as it stands (no line end added),
// flushes it and ends the process with exit status 1.
[[noreturn]] void fatal(const std::string& message);

// Writes "Could not open file <path> to read\n" to standard error and ends
// the process with exit status 1. A null path prints as an empty name.
[[noreturn]] void fatal_open_read(const char* path);

// Writes "Could not open file <path> to write\n" to standard error and ends
// the process with exit status 1. A null path prints as an empty name.
[[noreturn]] void fatal_open_write(const char* path);

// Writes "Could not read file <path>\n" to standard error and ends the
// process with exit status 1. A null path prints as an empty name.
[[noreturn]] void fatal_read(const char* path);

// Writes "Could not write file <path>\n" to standard error and ends the
// process with exit status 1. A null path prints as an empty name.
[[noreturn]] void fatal_write(const char* path);

// Writes "Could not open file <path> to write: it is an input of the run\n"
// to standard error and ends the process with exit status 1.
[[noreturn]] void fatal_output_is_input(const char* path);

// Writes "Could not write to standard output\n" to standard error and ends
// the process with exit status 1.
[[noreturn]] void fatal_standard_output();

}  // namespace segdur
