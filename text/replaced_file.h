#pragma once
// A file written whole before it takes the place of the file a path names.

#include <climits>
#include <memory>
#include <ostream>
#include <string>

#include "text/descriptor.h"
#include "text/kept_permissions.h"

namespace segdur {

// Bytes the stream of a ReplacedFile gathers before it writes them.
constexpr int kReplacedFileBuffer = 8192;

// A file written whole before it takes the place of `path`, so that `path`
// holds either what it held before or the complete new contents, also when
// two runs write it at once or a run ends half way.
//
// When `path` names a regular file or nothing (found as find_destination
// says, its symlinks staying), the stream writes a new temporary file in the
// folder of the file it replaces, and commit_or_die() renames it onto that
// file; the folder must be writable. The temporary is named after that file
// with "." and six random characters, the name shortened where it would
// exceed NAME_MAX. A new file gets what a plain create in its folder gives
// (0666 less the umask, or what the folder's default ACL gives). The
// temporary of a file that existed is readable by the process alone while it
// is written, and then gets that file's permissions as KeptPermissions
// gives them: never readable or writable more widely than before.
//
// A file that is a mount point (a file bind-mounted over the name) cannot be
// renamed onto: the complete temporary is then copied into it in place,
// with the interruptions held from the truncation until the copy is on
// disk, and removed. When that copy fails the temporary stays beside the
// file, as the only complete copy, and is named in the message.
//
// Only a path that ends in nothing after a symlink (a dangling symlink) or
// in no regular file (a device such as /dev/full, a FIFO, a directory) is
// opened in place at once, through the folder the walk reached and never
// through a symlink that took the last name's place since. A walk that
// fails (see find_destination) ends the run with the open message before
// anything is created or truncated.
//
// One ReplacedFile at a time may hold a temporary (see pending_temporary.h):
// a second one while the first holds its temporary ends the run with the
// open message.
class ReplacedFile {
 public:
  // Opens the stream. A null or empty path, a walk that fails, or a
  // temporary or file that cannot be created print "Could not open file
  // <path> to write\n" on standard error ("Out of memory\n" when memory ran
  // out) and end the run (status 1).
  explicit ReplacedFile(const char* path);
  // Removes a temporary that was not committed.
  ~ReplacedFile();
  ReplacedFile(const ReplacedFile&) = delete;
  ReplacedFile& operator=(const ReplacedFile&) = delete;

  // The stream to write the new contents to.
  std::ostream& stream() { return stream_; }

  // Flushes the stream and the file to disk, gives it the kept permissions,
  // closes it and renames it onto the file it replaces (or copies it into a
  // mount point). A failed write, flush, close or rename removes the
  // temporary, prints "Could not write file <path>\n" with `path` as it was
  // given and ends the run (status 1); the previous file then stays as it
  // was. A failed copy into a mount point keeps the temporary and prints
  // "Could not write file <path>: the complete report is in <temporary>\n"
  // (status 1).
  void commit_or_die();

 private:
  class Buffer;

  // Creates the temporary beside the file replaced; `existed`: readable by
  // the process alone.
  void create_temporary(bool existed);
  // Copies the whole temporary, read through `source`, into the file
  // replaced, in place, and removes it; when the copy fails (or `source`
  // holds nothing), keeps it and ends the run.
  void copy_into_place(Descriptor source);
  // The temporary's path as a user finds it: beside `path` as given, or by
  // its folder's absolute name when links led there.
  std::string temporary_path() const;
  // Closes what is open and removes an uncommitted temporary.
  void close_and_discard();
  // close_and_discard, then end the run with the open message ("Out of
  // memory" when that was the cause) or the write message.
  [[noreturn]] void open_failed();
  [[noreturn]] void write_failed();

  std::unique_ptr<Buffer> buffer_;
  std::ostream stream_;
  std::string path_;       // as given
  std::string name_;       // the file replaced, in folder_; empty when written in place
  Folder folder_;          // the folder of the file replaced
  Descriptor file_;        // the file written
  char temporary_[NAME_MAX + 1] = "";  // the temporary's name in folder_
  bool holds_temporary_ = false;
  bool replaces_existing_ = false;     // then permissions_ are given at the commit
  bool through_links_ = false;         // the walk to the file replaced followed a symlink
  KeptPermissions permissions_;
};

}  // namespace segdur
