#include "text/kept_permissions.h"

#include <fcntl.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "text/descriptor.h"

namespace segdur {

namespace {

constexpr char kAccessAcl[] = "system.posix_acl_access";
// The stored form of an ACL: a 4-byte version, then entries of 8 bytes, a
// 16-bit tag, 16-bit permissions and a 32-bit id, all little-endian.
constexpr std::size_t kAclHeaderBytes = 4;
constexpr std::size_t kAclEntryBytes = 8;
constexpr unsigned kAclOwningGroup = 0x04;
constexpr unsigned kAclMask = 0x10;
constexpr unsigned kAclOther = 0x20;
// The permission bits of one class (read, write, search).
constexpr unsigned kAllRights = 07;
// Reads of an ACL that another process keeps changing in between.
constexpr int kAclReadAttempts = 3;

// The access ACL of `descriptor`, opened as a path alone, into `buffer`
// (size 0: its size), read through /proc, as the *xattr calls on such a
// descriptor refuse it.
ssize_t get_acl(int descriptor, char* buffer, std::size_t size) {
  return ::getxattr(DescriptorName(descriptor).get(), kAccessAcl, buffer, size);
}

// True when `error` of an ACL read says there is none.
bool means_no_acl(int error) { return error == ENODATA || error == ENOTSUP || error == EOPNOTSUPP; }

// Calls visit(tag, permissions) for each entry of the stored ACL, with a
// reference to its permissions.
template <class Visit>
void for_each_acl_entry(std::string& acl, Visit visit) {
  for (std::size_t at = kAclHeaderBytes; at + kAclEntryBytes <= acl.size(); at += kAclEntryBytes) {
    const unsigned tag = static_cast<unsigned char>(acl[at]) |
                         static_cast<unsigned>(static_cast<unsigned char>(acl[at + 1])) << 8;
    unsigned rights = static_cast<unsigned char>(acl[at + 2]);
    visit(tag, rights);
    acl[at + 2] = static_cast<char>(rights);
  }
}

// The rights of the owning group: of the group bits, or, under an ACL, of
// its owning-group entry within the mask.
unsigned owning_group_rights(const struct stat& info, std::string acl) {
  if (acl.empty()) return (info.st_mode >> 3) & kAllRights;
  unsigned group = 0;
  unsigned mask = kAllRights;
  for_each_acl_entry(acl, [&](unsigned tag, unsigned& rights) {
    if (tag == kAclOwningGroup) group = rights;
    if (tag == kAclMask) mask = rights;
  });
  return group & mask;
}

// Takes from the entries of the stored ACL with `tag` every right not in
// `kept`.
void limit_acl_entry(std::string& acl, unsigned tag, unsigned kept) {
  for_each_acl_entry(acl, [&](unsigned entry_tag, unsigned& rights) {
    if (entry_tag == tag) rights &= kept;
  });
}

// Gives `descriptor` the permission bits `mode` and the stored ACL `acl`
// (none when empty); an ACL that cannot be set leaves the owner's bits
// alone.
void set_permissions(int descriptor, mode_t mode, const std::string& acl) {
  if (acl.empty() || ::fsetxattr(descriptor, kAccessAcl, acl.data(), acl.size(), 0) != 0) {
    (void)!::fchmod(descriptor, acl.empty() ? mode : mode & S_IRWXU);
  }
}

}  // namespace

bool KeptPermissions::read(int folder, const char* name) {
  // Looked at as a path alone: nothing is opened for reading, so that no
  // lease on the file is broken and no read permission is needed.
  const Descriptor file(::openat(folder, name, O_PATH | O_NOFOLLOW | O_CLOEXEC));
  if (!file.is_open() || ::fstat(file.get(), &info_) != 0) return false;
  // A symlink (or anything else) that took the file's place since it was
  // found is not looked at as the file.
  if (!S_ISREG(info_.st_mode)) {
    errno = S_ISLNK(info_.st_mode) ? ELOOP : EINVAL;
    return false;
  }
  acl_.clear();
  acl_known_ = false;
  for (int attempt = 0; attempt < kAclReadAttempts && !acl_known_; ++attempt) {
    const ssize_t size = get_acl(file.get(), nullptr, 0);
    if (size < 0) {
      acl_known_ = means_no_acl(errno);
      return true;
    }
    acl_.resize(static_cast<std::size_t>(size));
    const ssize_t got = get_acl(file.get(), acl_.data(), acl_.size());
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
  // The old group's members, who now count among the others, gain nothing
  // by it.
  unsigned others_limit = kAllRights;
  if (!group_kept) {
    others_limit &= owning_group_rights(info_, acl);
    permissions &= ~static_cast<mode_t>(S_IRWXG);
    limit_acl_entry(acl, kAclOwningGroup, 0);
  }
  // An ACL inherited from the folder goes; the previous one, if any, comes.
  (void)::fremovexattr(descriptor, kAccessAcl);
  if (!acl_known_) permissions &= S_IRWXU;
  // The permission bits and the ACL with the others' rights (bits and ACL
  // entry) within `others_limit`, and the group class's (the group bits,
  // and the owning group's and the mask's entries, which bound every named
  // one) within `group_limit`.
  const auto limited = [&](unsigned others_limit, unsigned group_limit) {
    std::pair<mode_t, std::string> given(permissions, acl);
    given.first &= ~((S_IRWXO & ~others_limit) | (S_IRWXG & ~(group_limit << 3)));
    limit_acl_entry(given.second, kAclOther, others_limit);
    limit_acl_entry(given.second, kAclOwningGroup, group_limit);
    limit_acl_entry(given.second, kAclMask, group_limit);
    return given;
  };
  const auto wanted = limited(others_limit, kAllRights);
  // Until the owner is kept, as if it were not: the old owner, who then
  // counts among the group or the others, gains nothing either.
  const unsigned owner_rights = (info_.st_mode >> 6) & kAllRights;
  const bool owner_changes = info_.st_uid != ::geteuid();
  const auto meanwhile = owner_changes ? limited(others_limit & owner_rights, owner_rights) : wanted;
  set_permissions(descriptor, meanwhile.first, meanwhile.second);
  const bool owner_kept = ::fchown(descriptor, info_.st_uid, static_cast<gid_t>(-1)) == 0;
  if (owner_kept && meanwhile != wanted) set_permissions(descriptor, wanted.first, wanted.second);
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
