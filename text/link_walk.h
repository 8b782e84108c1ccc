#pragma once
// Where a path leads through its symlinks, followed link by link.

#include <sys/stat.h>

#include <string>

#include "text/descriptor.h"

namespace segdur {

// The most symlinks followed from a path.
constexpr int kMaxSymlinks = 40;
// The mode of a file created as a plain create makes it, before the umask
// (or the folder's default ACL) takes from it.
constexpr mode_t kNewFileMode = 0666;

// What a path leads to.
enum class DestinationKind {
  kNothing,       // nothing at the path itself: a new file would take its name
  kRegularFile,   // a regular file, at the path or at the end of its links
  kDanglingLink,  // links that end in nothing
  kOther,         // a device, FIFO, directory or socket, a name under a non-folder,
                  // or a link of /proc (see Destination::through_proc)
};

// The end of a path: the folder and name of the file it leads to.
struct Destination {
  DestinationKind kind = DestinationKind::kNothing;
  // The folder of `name`: there for kNothing and kRegularFile; for
  // kDanglingLink when that folder exists; for kOther unless the path runs
  // through a non-folder.
  Folder folder;
  std::string name;   // the last part of the name, in `folder`
  struct stat info{}; // kRegularFile and kOther: its status
  bool through_links = false;  // true when a symlink was followed
  // True when `name` is a link of /proc (such as /dev/stdout leads to):
  // what it stands for, an open file of a process, has no name to walk to,
  // so the kernel follows it. Nobody but the kernel makes such links.
  bool through_proc = false;
  int error = 0;      // nonzero: the errno of a walk that failed; nothing else is set

  // True when both name the same entry of the same folder, whether or not
  // it exists, or the same regular file under two names (a hard link);
  // false when either has no folder or is kOther (a device or FIFO may
  // stand for both outputs).
  bool is_same_file(const Destination& other) const;
};

// Follows `path` link by link, each relative target from its own link's
// folder, so that no joined name grows with the chain and no absolute path
// of the working folder is needed. The walk fails (error set) on more than
// kMaxSymlinks links, on a link that the kernel would not follow for an
// open either (one another user owns in a sticky folder that anyone may
// write to, such as /tmp, when it is not the folder owner's), on a folder
// that cannot be searched or opened, on a name too long, and on a null or
// empty path. The runner's own links are followed wherever they are. A
// link of /proc ends the walk (kOther, through_proc).
Destination find_destination(const char* path);

// Opens the entry `found` reached, `name` in `folder`, with `flags` (and
// `mode` when they create), never following a symlink there but a link of
// /proc: one that took the name's place since the walk fails the open
// (ELOOP), as does a destination without a folder (ENOENT). Returns the descriptor, or -1 with
// errno set. O_NOCTTY and O_CLOEXEC are always added.
int open_destination(const Destination& found, int flags, mode_t mode = 0);

}  // namespace segdur
