// Which file a ReplacedFile replaces, and the mode and owner it leaves.

#include "text/replaced_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "test_support.h"

namespace segdur {
namespace {

namespace fs = std::filesystem;
using testing_support::ChildResult;
using testing_support::run_in_child;
using testing_support::TempDir;

const std::string kLongFolder(250, 'd');
const std::string kLongName(250, 'n');

// A folder whose default ACL gives a new file rw-rw-r-- whatever the umask.
void make_folder_with_default_acl(const std::string& folder) {
  fs::create_directory(folder);
  const std::uint32_t acl[] = {2, 0x1 | 6 << 16, ~0u, 0x4 | 6 << 16, ~0u, 0x20 | 4 << 16, ~0u};
  if (setxattr(folder.c_str(), "system.posix_acl_default", acl, sizeof acl, 0) != 0) fs::remove(folder);
}

// "link", a chain of 18 relative links whose names, joined, exceed PATH_MAX,
// to kLongFolder/target.
void make_long_chain() {
  fs::create_directory(kLongFolder);
  std::ofstream(kLongFolder + "/target") << "previous\n";
  for (int k = 1; k < 17; ++k) {
    fs::create_symlink("../" + kLongFolder + "/l" + std::to_string(k + 1),
                       kLongFolder + "/l" + std::to_string(k));
  }
  fs::create_symlink("target", kLongFolder + "/l17");
  fs::create_symlink(kLongFolder + "/l1", "link");
}

// A previous file `name` with `mode`, owned by `owner` when that is not -1.
std::function<void()> previous(const std::string& name, mode_t mode, uid_t owner = -1) {
  return [=] {
    std::ofstream(name) << "previous\n";
    chmod(name.c_str(), mode);
    if (owner != static_cast<uid_t>(-1) && chown(name.c_str(), owner, owner) != 0) _exit(125);
  };
}

TEST(ReplacedFile, KeepsAPreviousFilesModeAndOwnerAndGivesANewOneWhatACreateGives) {
  struct Case {
    const char* name;
    mode_t umask;
    std::function<void()> prepare;  // in the working folder
    std::string path;               // handed to ReplacedFile
    std::string replaced;           // the file that holds the contents afterwards
    mode_t mode;                    // its permission bits afterwards
    uid_t owner = 0;                // its owner afterwards, when run as root
    bool size_limited = false;      // no file may grow: the previous contents stay
  };
  const uid_t nobody = 65534;
  const Case cases[] = {
      {"new, umask 022", 022, [] {}, "r", "r", 0644},
      {"new, umask 027", 027, [] {}, "r", "r", 0640},
      {"new, umask 077", 077, [] {}, "r", "r", 0600},
      {"new, default ACL", 077, [] { make_folder_with_default_acl("acl"); }, "acl/r", "acl/r", 0664},
      {"previous 0600", 022, previous("r", 0600), "r", "r", 0600},
      {"previous 0444", 022, previous("r", 0444), "r", "r", 0444},
      {"previous 0640 of nobody", 022, previous("r", 0640, nobody), "r", "r", 0640, nobody},
      {"long chain", 022, make_long_chain, "link", kLongFolder + "/target", 0644},
      {"long chain, size limit", 022, make_long_chain, "link", kLongFolder + "/target", 0644, 0, true},
      {"long target name", 022, [] {
         previous(kLongName, 0640)();
         fs::create_symlink(kLongName, "link");
       }, "link", kLongName, 0640},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.owner != 0 && geteuid() != 0) continue;  // only root gives a file away
    TempDir dir;
    const ChildResult r = run_in_child([&] {
      if (chdir(dir.path().c_str()) != 0) _exit(126);
      c.prepare();
      umask(c.umask);
      if (c.size_limited) testing_support::limit_file_size(0);
      ReplacedFile file(c.path.c_str());
      file.stream() << "new contents\n";
      file.commit_or_die();
    });
    if (c.name == std::string("new, default ACL") && !fs::exists(dir.file("acl"))) continue;
    EXPECT_EQ(r.exit_status, c.size_limited ? 1 : 0) << r.err;
    EXPECT_EQ(dir.read(c.replaced), c.size_limited ? "previous\n" : "new contents\n");
    struct stat info {};
    ASSERT_EQ(stat(dir.file(c.replaced).c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, c.mode);
    if (geteuid() == 0) {
      EXPECT_EQ(info.st_uid, c.owner);
    }
    for (const auto& entry : fs::recursive_directory_iterator(dir.path())) {
      EXPECT_EQ(entry.path().filename().string().find('.'), std::string::npos)
          << "a temporary was left: " << entry.path();
    }
  }
}

TEST(ReplacedFile, OneTemporaryIsPendingAtATime) {
  TempDir dir;
  const ChildResult r = run_in_child([&] {
    if (chdir(dir.path().c_str()) != 0) _exit(126);
    ReplacedFile first("first.txt");
    ReplacedFile second("second.txt");
  });
  EXPECT_EQ(r.exit_status, 1);
  EXPECT_EQ(r.err, "Could not open file second.txt to write\n");
  EXPECT_TRUE(fs::is_empty(dir.path())) << "a temporary was left";
}

}  // namespace
}  // namespace segdur
