#include "text/kept_permissions.h"

#include <fcntl.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "text/descriptor.h"

namespace segdur {

namespace {

constexpr char kAccessAcl[] = "system.posix_acl_access";
// The stored form of an ACL: a 4-byte version, then entries of 8 bytes, a
// 16-bit tag, 16-bit permissions and a 32-bit id, all little-endian.
constexpr std::size_t kAclHeaderBytes = 4;
constexpr std::size_t kAclEntryBytes = 8;
constexpr unsigned kAclOwningGroup = 0x04;
// Reads of an ACL that another process keeps changing in between.
constexpr int kAclReadAttempts = 3;

// The access ACL of `descriptor` into `buffer` (size 0: its size). A
// descriptor opened only as a path is read through /proc, as the *xattr
// calls on a descriptor refuse it.
ssize_t get_acl(int descriptor, bool path_only, char* buffer, std::size_t size) {
  if (!path_only) return ::fgetxattr(descriptor, kAccessAcl, buffer, size);
  char proc_path[64];
  std::snprintf(proc_path, sizeof proc_path, "/proc/self/fd/%d", descriptor);
  return ::getxattr(proc_path, kAccessAcl, buffer, size);
}

// True when `error` of an ACL read says there is none.
bool means_no_acl(int error) { return error == ENODATA || error == ENOTSUP || error == EOPNOTSUPP; }

// Takes every permission from the owning group's entry of the stored ACL.
void deny_owning_group(std::string& acl) {
  for (std::size_t at = kAclHeaderBytes; at + kAclEntryBytes <= acl.size(); at += kAclEntryBytes) {
    const unsigned tag = static_cast<unsigned char>(acl[at]) |
                         static_cast<unsigned>(static_cast<unsigned char>(acl[at + 1])) << 8;
    if (tag == kAclOwningGroup) acl[at + 2] = acl[at + 3] = 0;
  }
}

}  // namespace

bool KeptPermissions::read(int folder, const char* name) {
  // A file the process may not read is looked at as a path alone.
  bool path_only = false;
  Descriptor file(::openat(folder, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  if (!file.valid() && (errno == EACCES || errno == EPERM)) {
    path_only = true;
    file.reset(::openat(folder, name, O_PATH | O_NOFOLLOW | O_CLOEXEC));
  }
  if (!file.valid() || ::fstat(file.get(), &info_) != 0) return false;
  acl_.clear();
  acl_known_ = false;
  for (int attempt = 0; attempt < kAclReadAttempts && !acl_known_; ++attempt) {
    const ssize_t size = get_acl(file.get(), path_only, nullptr, 0);
    if (size < 0) {
      acl_known_ = means_no_acl(errno);
      return true;
    }
    acl_.resize(static_cast<std::size_t>(size));
    const ssize_t got = get_acl(file.get(), path_only, acl_.data(), acl_.size());
    if (got >= 0) {
      acl_.resize(static_cast<std::size_t>(got));
      acl_known_ = true;
    } else if (errno != ERANGE) {
      acl_known_ = means_no_acl(errno);
      acl_.clear();
      return true;
    }
  }
  if (!acl_known_) acl_.clear();
  return true;
}

void KeptPermissions::give_to(int descriptor) const {
  // The group first, while the process owns the file and may still set
  // everything else.
  const bool group_kept = ::fchown(descriptor, static_cast<uid_t>(-1), info_.st_gid) == 0;
  mode_t permissions = info_.st_mode & (S_IRWXU | S_IRWXG | S_IRWXO);
  std::string acl = acl_;
  if (!group_kept) {
    permissions &= ~static_cast<mode_t>(S_IRWXG);
    deny_owning_group(acl);
  }
  // An ACL inherited from the folder goes; the previous one, if any, comes.
  (void)::fremovexattr(descriptor, kAccessAcl);
  if (!acl_known_) permissions &= S_IRWXU;
  if (!acl.empty()) {
    if (::fsetxattr(descriptor, kAccessAcl, acl.data(), acl.size(), 0) != 0) {
      (void)!::fchmod(descriptor, permissions & S_IRWXU);
    }
  } else {
    (void)!::fchmod(descriptor, permissions);
  }
  const bool owner_kept = ::fchown(descriptor, info_.st_uid, static_cast<gid_t>(-1)) == 0;
  // A change of owner clears the set-ID bits, so they come last, and only
  // to whom they belonged.
  mode_t special = info_.st_mode & S_ISVTX;
  if (owner_kept) special |= info_.st_mode & (group_kept ? (S_ISUID | S_ISGID) : S_ISUID);
  struct stat now {};
  if (special != 0 && ::fstat(descriptor, &now) == 0) {
    (void)!::fchmod(descriptor, (now.st_mode & (S_IRWXU | S_IRWXG | S_IRWXO)) | special);
  }
}

}  // namespace segdur
