#pragma once
// The one way a run ends after a reported error: print the message and exit
// with status 1. Nothing is thrown; objects of the caller are not destroyed.

#include <string>
#include <string_view>

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

// Writes "Could not write file <path>: the complete report is in <kept>\n"
// to standard error and ends the process with exit status 1.
[[noreturn]] void fatal_write_kept(const char* path, const std::string& kept);

// Writes "Could not open file <path> to write: it is an input of the run\n"
// to standard error and ends the process with exit status 1.
[[noreturn]] void fatal_output_is_input(const char* path);

// Writes "Could not open file <path> to write: it is the report of the
// run\n" to standard error and ends the process with exit status 1.
[[noreturn]] void fatal_output_is_report(const char* path);

// Writes "Could not write to standard output\n" to standard error and ends
// the process with exit status 1.
[[noreturn]] void fatal_standard_output();

// Writes "No labelled file in list <path>\n" to standard error and ends the
// process with exit status 1.
[[noreturn]] void fatal_empty_list(const char* path);

// Writes "No triphone in list <path>\n" to standard error and ends the
// process with exit status 1.
[[noreturn]] void fatal_empty_triphone_list(const char* path);

// Writes "Out of memory\n" to standard error and ends the process with exit
// status 1; allocates nothing.
[[noreturn]] void fatal_out_of_memory();

// Where end_run writes its message.
enum class MessageStream { kStandardOutput, kStandardError };

// Ends the process with exit status 1 after writing `message` to `stream`,
// behind everything standard output held before; both streams are flushed
// first. Every function above composes its message and calls this one. It
// allocates nothing, so it also serves when memory has run out. (The fuzzing
// build links its own end_run, which throws instead of ending the process.)
[[noreturn]] void end_run(MessageStream stream, std::string_view message);

}  // namespace segdur
