#pragma once
// Opening a file, or ending the run when it cannot be opened.

#include <fstream>
#include <ios>

namespace segdur {

// Opens `stream` on `path` for reading with `mode`. A null path, a stream
// that is already open, a directory (which opens as a stream but reads as
// nothing) or a failed open print "Could not open file <path> to read\n" on
// standard error and end the run (status 1).
void open_input_or_die(std::ifstream& stream, const char* path,
                       std::ios::openmode mode = std::ios::in);

// Opens `stream` on `path` for writing with `mode` (created or truncated by
// default). A null path, a stream that is already open or a failed open
// print "Could not open file <path> to write\n" on standard error and end
// the run (status 1).
void open_output_or_die(std::ofstream& stream, const char* path,
                        std::ios::openmode mode = std::ios::out | std::ios::trunc);

}  // namespace segdur
