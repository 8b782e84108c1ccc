#include "text/fatal.h"

namespace segdur {

namespace {

// Ends the run with `before`, the path (a null path as an empty name) and
// `after` on standard error.
[[noreturn]] void fatal_about_file(const char* before, const char* path, const char* after) {
  end_run(MessageStream::kStandardError, before + std::string(path ? path : "") + after);
}

}  // namespace

void fatal(const std::string& message) { end_run(MessageStream::kStandardOutput, message); }

void fatal_open_read(const char* path) {
  fatal_about_file("Could not open file ", path, " to read\n");
}

void fatal_open_write(const char* path) {
  fatal_about_file("Could not open file ", path, " to write\n");
}

void fatal_read(const char* path) { fatal_about_file("Could not read file ", path, "\n"); }

void fatal_write(const char* path) { fatal_about_file("Could not write file ", path, "\n"); }

void fatal_write_kept(const char* path, const std::string& kept) {
  fatal_about_file("Could not write file ", path, (": the complete report is in " + kept + "\n").c_str());
}

void fatal_output_is_input(const char* path) {
  fatal_about_file("Could not open file ", path, " to write: it is an input of the run\n");
}

void fatal_empty_list(const char* path) {
  fatal_about_file("No labelled file in list ", path, "\n");
}

void fatal_output_is_report(const char* path) {
  fatal_about_file("Could not open file ", path, " to write: it is the report of the run\n");
}

void fatal_empty_triphone_list(const char* path) {
  fatal_about_file("No triphone in list ", path, "\n");
}

void fatal_out_of_memory() { end_run(MessageStream::kStandardError, "Out of memory\n"); }

void fatal_standard_output() {
  end_run(MessageStream::kStandardError, "Could not write to standard output\n");
}

}  // namespace segdur
