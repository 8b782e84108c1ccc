#pragma once
// A file written whole before it takes the place of the file a path names.

#include <sys/stat.h>

#include <climits>
#include <ostream>
#include <streambuf>
#include <string>

namespace segdur {

// Bytes the stream of a ReplacedFile gathers before it writes them.
constexpr int kReplacedFileBuffer = 8192;

// A stream buffer that writes to an open file descriptor. A write that
// fails (a full disk, a size limit) makes the stream fail; nothing more is
// written after it.
class DescriptorBuffer : public std::streambuf {
 public:
  DescriptorBuffer();
  DescriptorBuffer(const DescriptorBuffer&) = delete;
  DescriptorBuffer& operator=(const DescriptorBuffer&) = delete;

  // The descriptor written to; -1 writes nothing and fails.
  void attach(int descriptor) { descriptor_ = descriptor; }

 protected:
  int_type overflow(int_type c) override;
  int sync() override;

 private:
  // Writes the gathered bytes; false when a write failed.
  bool drain();

  char buffer_[kReplacedFileBuffer];
  int descriptor_ = -1;
  bool failed_ = false;
};

// A file written whole before it takes the place of `path`, so that `path`
// holds either what it held before or the complete new contents, also when
// two runs write it at once or a run ends half way.
//
// When `path` names a regular file (through at most 40 symlinks, which
// stay) or nothing, the stream writes a new temporary file in the folder of
// the file it replaces, and commit_or_die() renames it onto that file. The
// chain is followed from `path` as given, link by link from each link's own
// folder, so that neither an unsearchable folder above the working folder
// nor a long chain of relative links makes a difference; the folder of the
// file replaced must be writable. The temporary is named after that file
// with "." and six random characters, the name shortened where it would
// exceed NAME_MAX. A file that existed keeps its permission bits, and its
// owner and group as far as the process may set them; a new file gets what
// a plain create in its folder gives (0666 less the umask, or what the
// folder's default ACL gives), and the temporary is never readable more
// widely than that while it is written. A link that the kernel would not
// follow for an open (one another user owns in a shared sticky folder such
// as /tmp) is not followed either.
//
// Only a path that ends in nothing after a symlink (a dangling symlink), or
// in no regular file (a device such as /dev/full, a FIFO, a directory), is
// written in place. A chain that cannot be followed otherwise (more than 40
// links, a protected link, a folder that cannot be searched or opened) ends
// the run with the open message before anything is created or truncated. A
// null or empty path ends it with the open message too.
//
// One ReplacedFile at a time may hold a temporary: its removal is recorded in
// one place, for the end of the run (an error, out of memory) and for a
// signal that ends the run before the commit: every signal whose default
// action ends the process without a core dump, and SIGQUIT and SIGXCPU; a
// signal ignored or handled before stays so. A second one while the first
// holds its temporary ends the run with the open message.
class ReplacedFile {
 public:
  // Opens the stream. A temporary or a file that cannot be created prints
  // "Could not open file <path> to write\n" on standard error ("Out of
  // memory\n" when memory ran out) and ends the run (status 1).
  explicit ReplacedFile(const char* path);
  // Removes a temporary that was not committed.
  ~ReplacedFile();
  ReplacedFile(const ReplacedFile&) = delete;
  ReplacedFile& operator=(const ReplacedFile&) = delete;

  // The stream to write the new contents to.
  std::ostream& stream() { return stream_; }

  // Flushes the stream and the file to disk and renames the file onto the
  // file it replaces. A failed write, flush or rename removes the temporary,
  // prints "Could not write file <path>\n" with `path` as it was given and
  // ends the run (status 1); the previous file then stays as it was.
  void commit_or_die();

 private:
  // Creates the temporary beside the file replaced, with the mode, owner
  // and group of `previous` (null: a new file).
  void create_temporary(const struct stat* previous);
  // Closes what is open and removes an uncommitted temporary.
  void release();
  // Release, then end the run with the open message ("Out of memory" when
  // that was the cause) or the write message.
  [[noreturn]] void open_failed();
  [[noreturn]] void write_failed();

  DescriptorBuffer buffer_;
  std::ostream stream_{&buffer_};
  std::string path_;       // as given
  std::string name_;       // the file replaced, in folder_; empty when written in place
  int folder_;             // the folder of the file replaced (AT_FDCWD: the working folder)
  int descriptor_ = -1;    // the file written
  char temporary_[NAME_MAX + 1] = "";  // the temporary's name in folder_
  bool holds_temporary_ = false;
  int kept_mode_ = -1;     // the previous file's mode, set at the commit; -1: none
};

}  // namespace segdur
