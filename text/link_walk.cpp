#include "text/link_walk.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>

namespace segdur {

namespace {

// The folder part of `name`: "/" for a name right below the root, empty for
// a name without a slash.
std::string folder_part(const std::string& name) {
  const std::string::size_type slash = name.rfind('/');
  return slash == std::string::npos ? "" : name.substr(0, std::max<std::size_t>(slash, 1));
}

// Moves `folder` to the folder of `name` (relative to `folder`) and leaves
// only the last part of the name in `name`. A name without a slash is in
// `folder` itself, which stays. False (errno set, both unchanged) when the
// folder cannot be opened.
bool enter_folder_of(Folder& folder, std::string& name) {
  const std::string part = folder_part(name);
  if (part.empty()) return true;
  Folder opened(Descriptor(::openat(folder.get(), part.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC)));
  if (!opened.exists()) return false;
  folder = std::move(opened);
  name.erase(0, name.rfind('/') + 1);
  return true;
}

// True when the link whose status is `link`, at `name` relative to
// `folder`, must not be followed, as the kernel refuses to follow it for an
// open: it lies in a sticky folder that anyone may write to (such as /tmp)
// and belongs neither to this process's user nor to the folder's owner. A
// folder that cannot be looked at refuses too (errno tells why).
bool is_protected_link(int folder, const std::string& name, const struct stat& link) {
  const std::string part = folder_part(name);
  struct stat shared {};
  if (::fstatat(folder, part.empty() ? "." : part.c_str(), &shared, 0) != 0) return true;
  errno = EACCES;
  return (shared.st_mode & S_ISVTX) != 0 && (shared.st_mode & S_IWOTH) != 0 &&
         link.st_uid != ::geteuid() && link.st_uid != shared.st_uid;
}

// The device of the /proc file system; none (0) without one.
dev_t proc_device() {
  static const dev_t device = [] {
    struct stat proc {};
    return ::stat("/proc/self", &proc) == 0 ? proc.st_dev : 0;
  }();
  return device;
}

Destination failed(int error) {
  Destination walk;
  walk.error = error != 0 ? error : EIO;
  return walk;
}

}  // namespace

bool Destination::is_same_file(const Destination& other) const {
  if (!folder.exists() || !other.folder.exists() || kind == DestinationKind::kOther ||
      other.kind == DestinationKind::kOther) {
    return false;
  }
  if (kind == DestinationKind::kRegularFile && other.kind == DestinationKind::kRegularFile &&
      info.st_dev == other.info.st_dev && info.st_ino == other.info.st_ino) {
    return true;
  }
  if (name != other.name) return false;
  struct stat mine {};
  struct stat theirs {};
  return ::fstatat(folder.get(), "", &mine, AT_EMPTY_PATH) == 0 &&
         ::fstatat(other.folder.get(), "", &theirs, AT_EMPTY_PATH) == 0 &&
         mine.st_dev == theirs.st_dev && mine.st_ino == theirs.st_ino;
}

Destination find_destination(const char* path) {
  if (path == nullptr || path[0] == '\0') return failed(ENOENT);
  Destination found;
  Folder folder = Folder::working();
  std::string name = path;
  for (int links = 0;; ++links) {
    if (::fstatat(folder.get(), name.c_str(), &found.info, AT_SYMLINK_NOFOLLOW) != 0) {
      if (errno == ENOENT && links == 0) {
        found.kind = DestinationKind::kNothing;
        break;
      }
      if ((errno == ENOENT || errno == ENOTDIR) && links > 0) {
        found.kind = DestinationKind::kDanglingLink;
        break;
      }
      if (errno == ENOTDIR) {
        found.kind = DestinationKind::kOther;
        return found;
      }
      return failed(errno);
    }
    if (S_ISREG(found.info.st_mode)) {
      found.kind = DestinationKind::kRegularFile;
      break;
    }
    if (!S_ISLNK(found.info.st_mode)) {
      found.kind = DestinationKind::kOther;
      break;
    }
    if (proc_device() != 0 && found.info.st_dev == proc_device()) {
      found.kind = DestinationKind::kOther;
      found.through_proc = true;
      break;
    }
    if (links == kMaxSymlinks) return failed(ELOOP);
    if (is_protected_link(folder.get(), name, found.info)) return failed(errno);
    char target[PATH_MAX];
    const ssize_t length = ::readlinkat(folder.get(), name.c_str(), target, sizeof target);
    if (length <= 0 || static_cast<std::size_t>(length) >= sizeof target) {
      return failed(length < 0 ? errno : ENAMETOOLONG);
    }
    found.through_links = true;
    if (target[0] == '/') {
      folder = Folder::working();
    } else if (!enter_folder_of(folder, name)) {
      return failed(errno);
    }
    name.assign(target, static_cast<std::size_t>(length));
  }
  if (!enter_folder_of(folder, name)) {
    // Links that end in a folder that does not exist either: there is no
    // entry to name.
    if (found.kind == DestinationKind::kDanglingLink) return found;
    return failed(errno);
  }
  found.folder = std::move(folder);
  found.name = std::move(name);
  return found;
}

int open_destination(const Destination& found, int flags, mode_t mode) {
  if (!found.folder.exists()) {
    errno = ENOENT;
    return -1;
  }
  const int follow = found.through_proc ? 0 : O_NOFOLLOW;
  return ::openat(found.folder.get(), found.name.c_str(), flags | follow | O_NOCTTY | O_CLOEXEC, mode);
}

}  // namespace segdur
