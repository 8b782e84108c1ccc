#pragma once
// The permissions of a file that is replaced, given to the file that takes
// its place, never more widely than before.

#include <sys/stat.h>

#include <string>

namespace segdur {

class KeptPermissions {
 public:
  // Reads the mode, owner, group and access ACL of the regular file `name`
  // in `folder`, through a descriptor of its own (so all come from one
  // file) that looks at it as a path alone: nothing is opened for reading,
  // so a lease on it stays unbroken. The ACL is read through /proc. False,
  // with errno set, when the file cannot be looked at; an ACL that cannot
  // be read leaves the replacement readable by its owner alone.
  bool read(int folder, const char* name);

  // Gives `descriptor` (a new file the process owns, readable by nothing
  // else) what was read: the group when the process may set it (else the
  // group gets no permission, and the others no more than the old group
  // had), the permission bits and the access ACL or none (an ACL inherited
  // from a folder's default ACL is removed), then the owner when the
  // process may set it (else the group class and the others get no more
  // than the old owner had); the set-user-ID bit only when the owner is
  // kept, the set-group-ID bit only when both are. Whatever cannot be set leaves the file narrower
  // than the one replaced, never wider; no failure is reported.
  void give_to(int descriptor) const;

 private:
  struct stat info_ {};
  std::string acl_;        // the access ACL as the file system stores it; empty: none
  bool acl_known_ = false; // false: whether there is one could not be read
};

}  // namespace segdur
