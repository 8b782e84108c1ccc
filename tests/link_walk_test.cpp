// Where a path leads, link by link: which kind of end, which name in which
// folder, and which walks fail.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <string>

#include "test_support.h"
#include "text/link_walk.h"

namespace segdur {
namespace {

namespace fs = std::filesystem;
using testing_support::ScopedWorkingDirectory;
using testing_support::TempDir;

TEST(LinkWalk, FindsTheEndOfEachPathOrFails) {
  TempDir dir;
  ScopedWorkingDirectory here(dir.path());
  fs::create_directory("sub");
  std::ofstream("sub/file") << "x";
  fs::create_symlink("sub/../sub/file", "link");
  fs::create_symlink("missing", "dangling");
  fs::create_symlink("nodir/x", "dangling_folder");
  // A chain of kMaxSymlinks links to sub/file, and one of a link more.
  fs::create_symlink("sub/file", "chain0");
  for (int k = 1; k <= kMaxSymlinks; ++k) {
    fs::create_symlink("chain" + std::to_string(k - 1), "chain" + std::to_string(k));
  }
  // The runner's own link in a folder anyone may write to, sticky as /tmp.
  fs::create_directory("shared");
  fs::permissions("shared", fs::perms::all | fs::perms::sticky_bit);
  fs::create_symlink("../sub/file", "shared/own");

  struct Case {
    const char* path;
    DestinationKind kind;
    const char* name;  // in the folder found; "" when there is none
    int error = 0;
  };
  // A link of /proc, such as /dev/stdout leads to: the kernel's to follow.
  int ends[2];
  ASSERT_EQ(pipe(ends), 0);
  const std::string written_end = std::to_string(ends[1]);
  const std::string proc_link = "/proc/self/fd/" + written_end;
  const std::string last_chain = "chain" + std::to_string(kMaxSymlinks - 1);
  const std::string too_long_chain = "chain" + std::to_string(kMaxSymlinks);
  const Case cases[] = {
      {"new", DestinationKind::kNothing, "new"},
      {"sub/new", DestinationKind::kNothing, "new"},
      {"sub/file", DestinationKind::kRegularFile, "file"},
      {"link", DestinationKind::kRegularFile, "file"},
      {last_chain.c_str(), DestinationKind::kRegularFile, "file"},
      {"shared/own", DestinationKind::kRegularFile, "file"},
      {"dangling", DestinationKind::kDanglingLink, "missing"},
      {"dangling_folder", DestinationKind::kDanglingLink, ""},
      {"/dev/null", DestinationKind::kOther, "null"},
      {"sub", DestinationKind::kOther, "sub"},
      {"sub/file/x", DestinationKind::kOther, ""},
      {proc_link.c_str(), DestinationKind::kOther, written_end.c_str()},
      {too_long_chain.c_str(), DestinationKind::kNothing, "", ELOOP},
      {"nodir/new", DestinationKind::kNothing, "", ENOENT},
      {"", DestinationKind::kNothing, "", ENOENT},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    const Destination found = find_destination(c.path);
    EXPECT_EQ(found.error, c.error);
    EXPECT_EQ(found.kind, c.kind);
    EXPECT_EQ(found.name, c.name);
    EXPECT_EQ(found.folder.exists(), c.name[0] != '\0');
  }
  Descriptor written(open_destination(find_destination(proc_link.c_str()), O_WRONLY));
  close(ends[1]);  // the pipe then ends with `written`
  char byte = 0;
  EXPECT_EQ(write(written.get(), "x", 1), 1);
  written.reset();
  EXPECT_EQ(read(ends[0], &byte, 1), 1);
  EXPECT_EQ(byte, 'x');
  close(ends[0]);
  // The same entry however the path is spelt, found or not.
  EXPECT_TRUE(find_destination("new").is_same_file(find_destination("sub/../new")));
  EXPECT_TRUE(find_destination("link").is_same_file(find_destination((dir.path() + "/sub/file").c_str())));
  EXPECT_FALSE(find_destination("new").is_same_file(find_destination("sub/new")));
  EXPECT_FALSE(find_destination("/dev/null").is_same_file(find_destination("/dev/null")));
}

}  // namespace
}  // namespace segdur
