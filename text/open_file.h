#pragma once
// Opening a file, or ending the run when it cannot be opened; closing a file
// that was written, or ending the run when a write to it failed.

#include <cstdint>
#include <fstream>
#include <ios>
#include <istream>

#include "text/link_walk.h"

namespace segdur {

// Opens `stream` on `path` for reading with `mode`. A null path, a stream
// that is already open, a directory (which opens as a stream but reads as
// nothing) or a failed open print "Could not open file <path> to read\n" on
// standard error and end the run (status 1); an open that failed for want of
// memory prints "Out of memory\n" instead.
void open_input_or_die(std::ifstream& stream, const char* path,
                       std::ios::openmode mode = std::ios::in);

// Ends the run when a read from `stream`, opened on `path`, failed with an
// I/O error (the stream's badbit): prints "Could not read file <path>\n" on
// standard error (status 1). The end of the file and a field that does not
// parse are no errors here; they end the data as each reader defines.
void check_read_or_die(const std::istream& stream, const char* path);

// Opens `stream` on `path` for writing with `mode` (created or truncated by
// default). A null path, a stream that is already open or a failed open
// print "Could not open file <path> to write\n" on standard error and end
// the run (status 1); an open that failed for want of memory prints "Out of
// memory\n" instead.
void open_output_or_die(std::ofstream& stream, const char* path,
                        std::ios::openmode mode = std::ios::out | std::ios::trunc);

// The walk of `path` (see find_destination); a walk that fails ends the run
// as a failed open of `path` for writing does (see fail_open).
Destination find_destination_or_die(const char* path);

// Opens `stream` for writing (created or truncated) on the entry that the
// walk `found` of `path` reached (see find_destination_or_die), through its
// folder and without following a symlink there: one that took its place
// since the walk is refused like a failed open. The stream then writes to
// that file through its descriptor's name in /proc. A stream that is already
// open, /proc not mounted (then before anything is created) or a failed open
// print "Could not open file <path> to write\n" on standard error and end
// the run (status 1); an open that failed for want of memory prints "Out of
// memory\n" instead.
void open_found_output_or_die(std::ofstream& stream, const char* path, const Destination& found);

// Closes `stream`, opened on `path` by open_output_or_die, after its last
// line. When a write to it or the close failed (a full disk, a size limit,
// /dev/full), prints "Could not write file <path>\n" on standard error and
// ends the run (status 1); before that the incomplete file is removed when
// `path` itself names a regular file. A device, a FIFO, a symlink and the
// file a symlink points to are never removed.
void close_output_or_die(std::ofstream& stream, const char* path);

// The same check for a stream that stays open: flushes `stream` and, when a
// write to it failed, handles it as close_output_or_die does.
void flush_output_or_die(std::ofstream& stream, const char* path);

// Ends the run after an open of `path` failed, as errno tells: "Out of
// memory\n" when memory ran out, else the open message for reading or
// writing (status 1).
[[noreturn]] void fail_open(const char* path, bool for_writing);

// Opens /dev/null on each of the descriptors 0, 1 and 2 that is closed,
// standard input for writing only and standard output and error for reading
// only, so that no file of the run takes their numbers and a write to a
// closed standard stream still fails. /dev/null that cannot be opened ends
// the run (status 1).
void occupy_closed_standard_descriptors();

// Flushes standard output; when anything written to it was lost, prints
// "Could not write to standard output\n" on standard error and ends the run
// (status 1).
void flush_standard_output_or_die();

// The identity of the regular file a path names (device and inode, through
// any symlinks), taken once, to tell whether other paths name that same file
// however they are spelt: relative or absolute, through a symlink or a hard
// link. A path that names no existing regular file (nothing, a device such as
// /dev/null, a FIFO) has no identity and matches nothing.
class FileIdentity {
 public:
  explicit FileIdentity(const char* path);

  // True when `other` names this same regular file; false when this has no
  // identity (without looking at `other`) or `other` names nothing (a null
  // path included).
  bool is_same_file(const char* other) const;
  // True when both name the same regular file.
  bool is_same_file(const FileIdentity& other) const;
  // True when the path named an existing regular file.
  bool names_a_file() const { return regular_; }

 private:
  bool regular_ = false;
  std::uint64_t device_ = 0;
  std::uint64_t inode_ = 0;
};

}  // namespace segdur
