// Every file writer of the libraries, made to fail: on /dev/full, through a
// symlink to /dev/full, and part way into a regular file by a size limit.
// Each must end the run with status 1 and "Could not write file <path>\n",
// remove the file it cut short when the path is a regular file, and never
// remove a device, a symlink or what a symlink points to. And the replaced
// report: which file it replaces, and the mode and owner it leaves.

#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <linux/capability.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <climits>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <initializer_list>
#include <iostream>
#include <iterator>
#include <ostream>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "edition1/database.h"
#include "model/database.h"
#include "stats/duration_statistics.h"
#include "stats/letter_table.h"
#include "test_support.h"
#include "text/fatal.h"
#include "text/kept_permissions.h"
#include "text/letter.h"
#include "text/open_file.h"
#include "text/replaced_file.h"
#include "text/sentence_filter.h"
#include "text/utility.h"

namespace segdur {
namespace {

namespace fs = std::filesystem;
using testing_support::capture_stdout;
using testing_support::ChildResult;
using testing_support::run_in_child;
using testing_support::kUnsupported;
using testing_support::TempDir;

const char kDevFull[] = "/dev/full";
// Every case writes more than this; the messages of a child stay below it.
constexpr long kSizeLimit = 256;

// A sentence long enough that a set of two passes the size limit.
const std::string kLongSentence = "Z" + std::string(200, 'a') + "Z";

// kKitap of the statistics tests: a, i, a, e with their durations.
const std::string kKitap = "ZkitapZevZ";
const std::vector<float> kKitapDurations = {0.125f, 0.25f,  0.375f, 0.5f,   0.625f,
                                            0.75f,  0.875f, 1.0f,   1.125f, 1.25f};
const std::string kSuffix = "_allsyllables_all#syllables_word_all.txt";

std::vector<float> many_floats() { return std::vector<float>(100, 0.123456f); }
std::vector<int> many_ints() { return std::vector<int>(100, 123456); }

// Statistics of kKitap collected `times` times.
DurationStatistics collected(int times) {
  DurationStatistics s("word", 2, 0, 5);
  for (int k = 0; k < times; ++k) {
    s.load(kKitap, kKitapDurations);
    s.compute_statistics();
  }
  return s;
}

// A filter holding two fine and two faulty sentences, each set written
// long or short.
SentenceFilter filter_with(const std::string& fine, const std::string& faulty) {
  SentenceFilter filter;
  filter.add_fine_sentence(fine, "dont");
  filter.add_fine_sentence(fine, "dont");
  filter.add_faulty_sentence(faulty);
  filter.add_faulty_sentence(faulty);
  return filter;
}

// A triphone table of either edition with one record, written as binary; the
// triphone list is prepared in the working directory.
template <class Table>
void write_one_record(Table table, const char* path) {
  capture_stdout([&] { table.read("list.txt", 8000); });
  table.write_binary(path);
}

// One writer. `fixed_path` is the path the writer always writes, relative to
// the working directory; empty when the writer takes the path it is given.
// `size_limited` says whether the size limit makes this file, and no file
// before it, fail. `inputs` are written into the working directory first.
struct Writer {
  const char* name;
  std::string fixed_path;
  std::function<void(const char* path)> write;
  bool size_limited = true;
  std::vector<std::pair<std::string, std::string>> inputs = {};
};

void PrintTo(const Writer& w, std::ostream* os) { *os << w.name; }

const std::vector<Writer>& writers() {
  static const std::vector<Writer> table = {
      {"IntArray", "",
       [](const char* path) { write_int_array_to_file(many_ints().data(), 100, path); }},
      {"FloatArray", "",
       [](const char* path) { write_float_array_to_file(many_floats().data(), 100, path); }},
      {"IntVector", "", [](const char* path) { write_int_vector_to_file(many_ints(), path); }},
      {"FloatVector", "",
       [](const char* path) { write_float_vector_to_file(many_floats(), path); }},
      {"DecimalPointCopy", "",
       [](const char* path) { convert_decimal_points("numbers.txt", path); }, true,
       {{"numbers.txt", std::string(300, '1') + ".5\n"}}},
      {"FeatureVectors", "",
       [](const char* path) {
         write_PID_V_vector_to_file(collected(2).vowel_PIVD_vectors[0], path, "word");
       }},
      {"SetToFile", "",
       [](const char* path) {
         SentenceFilter().write_set_to_file(path, {kLongSentence, kLongSentence});
       }},
      {"BothSetsFineFile", "",
       [](const char* path) {
         SentenceFilter filter = filter_with(kLongSentence, "ZevZ");
         filter.open_fine_file(path);
         filter.open_faulty_file("faulty.txt");
         filter.write_sets();
       }},
      {"BothSetsFaultyFile", "",
       [](const char* path) {
         SentenceFilter filter = filter_with("ZevZ", kLongSentence);
         filter.open_fine_file("fine.txt");
         filter.open_faulty_file(path);
         filter.write_sets();
       }},
      {"FineSet", "",
       [](const char* path) {
         SentenceFilter filter = filter_with(kLongSentence, "ZevZ");
         filter.open_fine_file(path);
         filter.write_fine_set();
       }},
      {"BinaryDatabase", "",
       [](const char* path) { write_one_record(Database("ortalama"), path); }, true,
       {{"list.txt", "edi\n1\n2\n"}}},
      {"EarlierBinaryDatabase", "",
       [](const char* path) { write_one_record(edition1::Database(), path); }, true,
       {{"list.txt", "edi\n1\n2\n"}}},
      // The export writes its files in order; with kKitap collected 60 times
      // the first one, the durations of a, is past the limit.
      {"StatisticsDurationVector", "vowel_vectors/vowela" + kSuffix,
       [](const char*) { collected(60).write_vector_files(); }},
      // Collected twice, every duration file is small and the feature vectors
      // of a are the first file past the limit; of the consonants, those of k.
      {"StatisticsFeatureVectors", std::string("vowel_piv_d_vectors/piv_d_vowel_") + kVowelTags[0],
       [](const char*) { collected(2).write_vector_files(); }},
      {"StatisticsConsonantFiles",
       std::string("consonant_pivd_vectors/consonant_pivd_") +
           kConsonantTags[Letter('k').consonant_number()],
       [](const char*) { collected(2).write_consonant_files(); }},
      {"StatisticsGeneralFile", "general/general" + kSuffix,
       [](const char*) { collected(1).write_general_statistics(); }},
      // The general file is complete before its copy is made.
      {"StatisticsGeneralCopy", "general/Cgeneral" + kSuffix,
       [](const char*) { collected(1).write_general_statistics(); }, false},
  };
  return table;
}

enum class Failure { kDevFull, kSymlinkToDevFull, kSizeLimit };

// Runs the writer in `dir` as the working directory; sets `path` to the path
// it writes.
ChildResult run_writer(const Writer& w, Failure failure, const TempDir& dir, std::string* path) {
  *path = !w.fixed_path.empty() ? w.fixed_path : failure == Failure::kDevFull ? kDevFull : "out.txt";
  for (const auto& [name, contents] : w.inputs) dir.write(name, contents);
  if (failure == Failure::kSymlinkToDevFull) {
    fs::create_directories(fs::path(dir.file(*path)).parent_path());
    fs::create_symlink(kDevFull, dir.file(*path));
  }
  return run_in_child([&] {
    if (chdir(dir.path().c_str()) != 0) _exit(126);
    if (failure == Failure::kSizeLimit) testing_support::limit_file_size(kSizeLimit);
    w.write(path->c_str());
  });
}

class WriterFailure : public ::testing::TestWithParam<Writer> {
 protected:
  void SetUp() override {
    if (!fs::is_character_file(kDevFull)) GTEST_SKIP() << "no /dev/full here";
  }
};

TEST_P(WriterFailure, EndsTheRunNamingTheFileAndLeavesNoCutFileNorRemovesDevices) {
  const Writer& w = GetParam();
  for (Failure failure : {Failure::kDevFull, Failure::kSymlinkToDevFull, Failure::kSizeLimit}) {
    if (failure == Failure::kDevFull && !w.fixed_path.empty()) continue;
    if (failure == Failure::kSizeLimit && !w.size_limited) continue;
    SCOPED_TRACE(static_cast<int>(failure));
    TempDir dir;
    std::string path;
    const ChildResult r = run_writer(w, failure, dir, &path);
    EXPECT_EQ(r.exit_status, 1);
    EXPECT_EQ(r.err, "Could not write file " + path + "\n");
    EXPECT_TRUE(fs::is_character_file(kDevFull)) << "/dev/full was removed";
    const fs::path written = dir.file(path);
    if (failure == Failure::kSymlinkToDevFull) {
      EXPECT_TRUE(fs::is_symlink(written));
      EXPECT_EQ(fs::read_symlink(written), kDevFull);
    }
    if (failure == Failure::kSizeLimit) {
      EXPECT_FALSE(fs::exists(fs::symlink_status(written))) << "a cut file was left";
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Writers, WriterFailure, ::testing::ValuesIn(writers()),
                         [](const ::testing::TestParamInfo<Writer>& info) { return info.param.name; });

TEST(WriteCheck, ASymlinkedFileCutShortIsKeptAndSoIsTheSymlink) {
  TempDir dir;
  dir.write("target.txt", "");
  fs::create_symlink("target.txt", dir.file("out.txt"));
  const ChildResult r = run_in_child([&] {
    if (chdir(dir.path().c_str()) != 0) _exit(126);
    testing_support::limit_file_size(kSizeLimit);
    write_float_vector_to_file(many_floats(), "out.txt");
  });
  EXPECT_EQ(r.exit_status, 1);
  EXPECT_EQ(r.err, "Could not write file out.txt\n");
  EXPECT_TRUE(fs::is_symlink(dir.file("out.txt")));
  EXPECT_EQ(fs::file_size(dir.file("target.txt")), static_cast<std::uintmax_t>(kSizeLimit));
}

TEST(WriteCheck, AWriterThatSucceedsLeavesItsFileAsBefore) {
  TempDir dir;
  const ChildResult r = run_in_child([&] {
    if (chdir(dir.path().c_str()) != 0) _exit(126);
    write_float_vector_to_file({0.5f}, "out.txt");
    SentenceFilter filter;
    filter.add_fine_sentence("ZevZ", "dont");
    filter.open_fine_file("fine.txt");
    filter.write_sets();  // the faulty file was never opened: its set is dropped
  });
  EXPECT_EQ(r.exit_status, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(dir.read("out.txt"), "0.5\n");
  EXPECT_EQ(dir.read("fine.txt"), "ZevZ\n");
}

TEST(DecimalPointCopy, AnOutputThatIsTheInputIsRefusedBeforeItIsTruncated) {
  TempDir dir;
  const std::string contents = "1.5 2.5\n";
  dir.write("in.txt", contents);
  fs::create_symlink("in.txt", dir.file("link.txt"));
  const std::vector<std::string> spellings = {"in.txt", "./in.txt", dir.file("in.txt"), "link.txt"};
  for (const std::string& out : spellings) {
    SCOPED_TRACE(out);
    const ChildResult r = run_in_child([&] {
      if (chdir(dir.path().c_str()) != 0) _exit(126);
      convert_decimal_points("in.txt", out.c_str());
    });
    EXPECT_EQ(r.exit_status, 1);
    EXPECT_EQ(r.err, "Could not open file " + out + " to write: it is an input of the run\n");
    EXPECT_EQ(dir.read("in.txt"), contents);
  }
}

TEST(ReplacedFile, ARunEndedOrInterruptedBeforeTheCommitKeepsThePreviousFileAndTheCommitRestoresActions) {
  // Every signal whose default action ends the process, and SIGQUIT and
  // SIGXCPU, which dump core; 0 stands for an error of the run. A signal
  // ignored before the file is opened stays ignored.
  const int signals[] = {0,       SIGHUP,  SIGINT,    SIGQUIT, SIGPIPE,   SIGALRM, SIGTERM,  SIGUSR1,
                         SIGUSR2, SIGPOLL, SIGPROF,   SIGVTALRM, SIGXCPU, SIGSTKFLT, SIGPWR, SIGRTMIN,
                         SIGRTMAX};
  for (const bool ignored : {false, true}) {
    for (int s : signals) {
      if (ignored && s == 0) continue;
      SCOPED_TRACE(std::string(s == 0 ? "an error" : strsignal(s)) + (ignored ? ", ignored" : ""));
      TempDir dir;
      dir.write("report.txt", "previous\n");
      const ChildResult r = run_in_child([&] {
        if (chdir(dir.path().c_str()) != 0) _exit(126);
        const rlimit no_core{0, 0};
        setrlimit(RLIMIT_CORE, &no_core);
        if (s != 0) std::signal(s, ignored ? SIG_IGN : SIG_DFL);
        ReplacedFile report("report.txt");
        report.stream() << "new contents" << std::endl;
        if (s == 0) fatal("ended\n");
        std::raise(s);
        report.commit_or_die();
      });
      EXPECT_EQ(r.exit_status, ignored ? 0 : (s == 0 ? 1 : -1));
      EXPECT_EQ(dir.read("report.txt"), ignored ? "new contents\n" : "previous\n");
      EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1)
          << "a temporary was left";
    }
  }
  // A second replaced file while the first holds its temporary is refused;
  // neither temporary is left.
  TempDir dir;
  dir.write("report.txt", "previous\n");
  const ChildResult second = run_in_child([&] {
    if (chdir(dir.path().c_str()) != 0) _exit(126);
    ReplacedFile report("report.txt");
    ReplacedFile other("other.txt");
  });
  EXPECT_EQ(second.exit_status, 1);
  EXPECT_EQ(second.err, "Could not open file other.txt to write\n");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
  // After the commit each interruption does again what it did before: the
  // child prints every one that does not.
  const ChildResult restored = run_in_child([&] {
    if (chdir(dir.path().c_str()) != 0) _exit(126);
    std::signal(SIGUSR1, SIG_IGN);
    std::signal(SIGUSR2, [](int) {});
    struct sigaction before[NSIG] {};
    for (int s : signals) sigaction(s, nullptr, &before[s]);
    ReplacedFile report("report.txt");
    report.stream() << "new contents" << std::endl;
    report.commit_or_die();
    for (int s : signals) {
      struct sigaction now {};
      sigaction(s, nullptr, &now);
      if (s != 0 && now.sa_handler != before[s].sa_handler) std::cout << strsignal(s) << "\n";
    }
  });
  EXPECT_EQ(restored.exit_status, 0);
  EXPECT_EQ(restored.out, "");
  EXPECT_EQ(dir.read("report.txt"), "new contents\n");
}

const std::string kLongFolder(250, 'd');
const std::string kLongName(250, 'n');

constexpr char kAccessAcl[] = "system.posix_acl_access";
constexpr uid_t kNobody = 65534;
// Longer than kSizeLimit, unlike what a child prints.
const std::string kNewContents = "new contents\n" + std::string(kSizeLimit, 'n') + "\n";

// An ACL as stored: a version, then (tag, permissions, id) entries.
std::string stored_acl(std::initializer_list<std::array<std::uint32_t, 3>> entries) {
  std::string bytes(4, '\0');
  bytes[0] = 2;
  for (const auto& [tag, permissions, id] : entries) {
    const std::uint16_t head[2] = {static_cast<std::uint16_t>(tag), static_cast<std::uint16_t>(permissions)};
    bytes.append(reinterpret_cast<const char*>(head), sizeof head);
    bytes.append(reinterpret_cast<const char*>(&id), sizeof id);
  }
  return bytes;
}
constexpr std::uint32_t kAnyone = ~0u;
// rw for the owner, r for user 2003, nothing for the group (a mask of r)
// and the others, as `setfacl -m u:2003:r` leaves a 0600 file.
const std::string kSharedAcl =
    stored_acl({{0x1, 6, kAnyone}, {0x2, 4, 2003}, {0x4, 0, kAnyone}, {0x10, 4, kAnyone}, {0x20, 0, kAnyone}});

// Sets a stored ACL on `path` as `attribute`, or ends the child as unsupported.
void set_acl(const std::string& path, const char* attribute, const std::string& acl) {
  if (setxattr(path.c_str(), attribute, acl.data(), acl.size(), 0) != 0) _exit(kUnsupported);
}

// The access ACL of `path` as stored; empty without one.
std::string access_acl(const std::string& path) {
  char bytes[1024];
  const ssize_t size = getxattr(path.c_str(), kAccessAcl, bytes, sizeof bytes);
  return size > 0 ? std::string(bytes, static_cast<std::size_t>(size)) : "";
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

// A previous file `name` with `mode`, owned by `owner` and `group` unless
// they are -1.
std::function<void()> previous(const std::string& name, mode_t mode, uid_t owner = -1,
                               gid_t group = -1) {
  return [=] {
    std::ofstream(name) << "previous\n";
    if (chown(name.c_str(), owner, group) != 0 || chmod(name.c_str(), mode) != 0) _exit(125);
  };
}

// Both preparations, in order.
std::function<void()> then(std::function<void()> first, std::function<void()> second) {
  return [=] {
    first();
    second();
  };
}

// The child runs on as `user` of primary group `group` and the extra
// `groups`, in a working folder anyone may write to.
std::function<void()> become(uid_t user, gid_t group, std::vector<gid_t> groups = {}) {
  return [=] {
    if (chmod(".", 0777) != 0 || setgroups(groups.size(), groups.data()) != 0 || setgid(group) != 0 ||
        setuid(user) != 0) {
      _exit(kUnsupported);
    }
  };
}

// The child runs on without `capability`, as a container may start root.
void drop_capability(unsigned capability) {
  __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
  __user_cap_data_struct data[2]{};
  if (syscall(SYS_capget, &header, data) != 0) _exit(kUnsupported);
  data[capability / 32].effective &= ~(1u << (capability % 32));
  data[capability / 32].permitted &= ~(1u << (capability % 32));
  if (syscall(SYS_capset, &header, data) != 0) _exit(kUnsupported);
}

// The child runs on with no descriptor open but the standard ones and
// `spare` more allowed.
std::function<void()> spare_descriptors(int spare) {
  return [=] {
    if (testing_support::kSanitized) _exit(kUnsupported);
    testing_support::close_inherited_descriptors();
    const rlimit limit{static_cast<rlim_t>(3 + spare), static_cast<rlim_t>(3 + spare)};
    if (setrlimit(RLIMIT_NOFILE, &limit) != 0) _exit(kUnsupported);
  };
}

// The suffix of the temporary that is to replace `target` (the name in its
// folder that is the target's name, shortened to leave room, "." and more),
// and " private" when nobody but its owner may read it or " shared"; empty
// without one.
std::string temporary_of(const fs::path& target) {
  const fs::path folder = target.parent_path().empty() ? "." : target.parent_path();
  const std::string prefix = target.filename().string().substr(0, NAME_MAX - 7) + ".";
  for (const auto& entry : fs::directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    if (name.rfind(prefix, 0) != 0) continue;
    struct stat info {};
    lstat(entry.path().c_str(), &info);
    return name.substr(prefix.size() - 1) + ((info.st_mode & 077) == 0 ? " private" : " shared");
  }
  return "";
}

TEST(ReplacedFile, KeepsAPreviousFilesPermissionsNeverWiderAndGivesANewOneWhatACreateGives) {
  struct Case {
    const char* name;
    mode_t umask;
    std::function<void()> prepare;  // in the working folder; then the process that replaces
    std::string path;               // handed to ReplacedFile
    std::string replaced;           // the file that holds the contents afterwards
    mode_t mode;                    // its permission bits afterwards
    std::string message = "";       // standard error; a failure keeps the previous contents
    bool as_root = false;           // the case needs root; the owner is then checked
    uid_t owner = 0;                // the user and group of `replaced` afterwards
    gid_t group = 0;
    std::string acl = "";           // its access ACL afterwards
    std::string beside = "";        // the file the temporary is named after, when not `replaced`
  };
  const auto long_target_name = [] {
    previous(kLongName, 0640)();
    fs::create_symlink(kLongName, "link");
  };
  // A folder anyone may write to, sticky as /tmp, owned by nobody where
  // that can be set, with a link to "victim" owned by `owner`.
  const auto shared_link = [](uid_t owner) {
    return [=] {
      previous("victim", 0644)();
      fs::create_directory("shared");
      (void)!chown("shared", kNobody, kNobody);
      chmod("shared", 01777);
      fs::create_symlink("../victim", "shared/link");
      if (lchown("shared/link", owner, owner) != 0) _exit(125);
    };
  };
  // "volume", holding `held`, mounted over "r" (read-only when asked), as a
  // container may mount a file.
  const auto bind_mounted = [](const std::string& held, bool read_only) {
    return then(previous("r", 0644), [=] {
      std::ofstream("volume") << held;
      if (!testing_support::bind_mount_privately("volume", "r", read_only)) _exit(kUnsupported);
    });
  };
  // A write lease on "r", as a file server takes for its clients; the
  // descriptor that holds it stays open.
  const auto leased = [] {
    const int holder = open("r", O_RDONLY);
    if (holder < 0 || fcntl(holder, F_SETLEASE, F_WRLCK) != 0) _exit(kUnsupported);
  };
  // rw for the owner and r for user 2003, the owning group and the mask.
  const std::string group_reads = stored_acl(
      {{0x1, 6, kAnyone}, {0x2, 4, 2003}, {0x4, 4, kAnyone}, {0x10, 4, kAnyone}, {0x20, 0, kAnyone}});
  const std::string group_denied = stored_acl(
      {{0x1, 6, kAnyone}, {0x2, 4, 2003}, {0x4, 0, kAnyone}, {0x10, 4, kAnyone}, {0x20, 0, kAnyone}});
  // The default ACL gives user 1005 rw, and a new file rw-rw-r-- whatever the umask.
  const auto default_acl_folder = [] {
    fs::create_directory("acl");
    previous("acl/r", 0640)();
    set_acl("acl", "system.posix_acl_default",
            stored_acl({{0x1, 6, kAnyone}, {0x2, 6, 1005}, {0x4, 6, kAnyone}, {0x10, 6, kAnyone},
                        {0x20, 4, kAnyone}}));
  };
  const std::string could_not_open = "Could not open file sub/r to write\n";
  const auto in_sub = [](bool existed) {
    return [=] {
      fs::create_directory("sub");
      if (existed) previous("sub/r", 0644)();
    };
  };
  const Case cases[] = {
      {"new, umask 022", 022, [] {}, "r", "r", 0644},
      {"new, umask 027", 027, [] {}, "r", "r", 0640},
      {"new, umask 077", 077, [] {}, "r", "r", 0600},
      {"new, default ACL", 077, [] { fs::create_directory("acl"); set_acl("acl", "system.posix_acl_default",
          stored_acl({{0x1, 6, kAnyone}, {0x4, 6, kAnyone}, {0x20, 4, kAnyone}})); }, "acl/r", "acl/r", 0664},
      {"previous 0666", 022, previous("r", 0666), "r", "r", 0666},
      {"previous 0444", 022, previous("r", 0444), "r", "r", 0444},
      {"previous 0600 shared by an ACL", 022, then(previous("r", 0600), [] { set_acl("r", kAccessAcl, kSharedAcl); }),
       "r", "r", 0640, "", false, 0, 0, kSharedAcl},
      {"previous without ACL in a folder with a default ACL", 022, default_acl_folder, "acl/r", "acl/r", 0640},
      {"previous 06750 of nobody, root keeps all", 022, previous("r", 06750, kNobody, kNobody), "r", "r", 06750, "",
       true, kNobody, kNobody},
      {"previous 0640 of a group the runner is not in", 022, then(previous("r", 0640, 1001, 3000), become(1002, 100)),
       "r", "r", 0600, "", true, 1002, 100},
      {"previous 06754 of another user, group kept", 022,
       then(previous("r", 06754, 1001, 3000), become(1002, 100, {3000})), "r", "r", 0754, "", true, 1002, 3000},
      {"previous 0640 of a user, root without CAP_FOWNER", 022, then(then(in_sub(true), [] {
         if (chown("sub", 1001, 1001) != 0 || chown("sub/r", 1001, 1001) != 0 || chmod("sub/r", 0640) != 0) _exit(125);
       }), [] { drop_capability(CAP_FOWNER); }), "sub/r", "sub/r", 0640, "", true, 1001, 1001},
      {"previous 0604 of a group the runner is not in", 022, then(previous("r", 0604, 1001, 3000), become(1002, 100)),
       "r", "r", 0600, "", true, 1002, 100},
      {"previous 0406 of another user, group kept", 022, then(previous("r", 0406, 1001, 100), become(1002, 100)),
       "r", "r", 0404, "", true, 1002, 100},
      {"previous ACL with a reading group the runner is not in", 022,
       then(then(previous("r", 0640, 1001, 3000), [=] { set_acl("r", kAccessAcl, group_reads); }),
            become(1002, 100)),
       "r", "r", 0640, "", true, 1002, 100, group_denied},
      {"previous 0644, its ACL unreadable without /proc", 022,
       then(previous("r", 0644), [] { if (!testing_support::hide_proc()) _exit(kUnsupported); }), "r", "r", 0600, "",
       true, 0, 0},
      {"previous 0640 under a write lease", 022, then(previous("r", 0640), leased), "r", "r", 0640},
      {"bind-mounted", 022, bind_mounted("previous\n", false), "r", "volume", 0644, "", true, 0, 0, "", "r"},
      {"bind-mounted, holding more than the new contents", 022, bind_mounted(std::string(1000, 'v'), false), "r",
       "volume", 0644, "", true, 0, 0, "", "r"},
      {"bind-mounted read-only", 022, bind_mounted("previous\n", true), "r", "volume", 0644,
       "Could not write file r: the complete report is in r.XXXXXX\n", true, 0, 0, "", "r"},
      {"bind-mounted 0200 of the runner", 022,
       then(then(bind_mounted("previous\n", false), [] {
              if (chown("r", 1002, 100) != 0 || chmod("r", 0200) != 0) _exit(125);
            }),
            become(1002, 100)),
       "r", "volume", 0200, "", true, 1002, 100, "", "r"},
      {"previous 0460 of another user, both in the group", 022,
       then(previous("r", 0460, 1001, 3000), become(1002, 100, {3000})), "r", "r", 0440, "", true, 1002, 3000},
      {"long chain", 022, make_long_chain, "link", kLongFolder + "/target", 0644},
      {"long chain, size limit", 022, then(make_long_chain, [] { testing_support::limit_file_size(kSizeLimit); }), "link",
       kLongFolder + "/target", 0644, "Could not write file link\n"},
      {"long target name", 022, long_target_name, "link", kLongName, 0640},
      {"link of another user in a shared folder", 022, shared_link(1001), "shared/link", "victim", 0644,
       "Could not open file shared/link to write\n", true},
      {"own link in a shared folder", 022, shared_link(geteuid()), "shared/link", "victim", 0644},
      {"link of the folder's owner in a shared folder", 022, shared_link(kNobody), "shared/link", "victim", 0644,
       "", true, 0, 0},
      {"no descriptor for the folder", 022, then(in_sub(true), spare_descriptors(0)), "sub/r", "sub/r", 0644,
       could_not_open},
      {"no descriptor for the previous file", 022, then(in_sub(true), spare_descriptors(1)), "sub/r", "sub/r", 0644,
       could_not_open},
      {"no descriptor for the temporary", 022, spare_descriptors(0), "r", "r", 0644, "Could not open file r to write\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.as_root && geteuid() != 0) continue;
    TempDir dir;
    // The child prints whether the target existed, then the temporary. It
    // names files relative to its working folder alone, which a child run
    // as another user can reach when the folders above it are private.
    const ChildResult r = run_in_child([&] {
      if (chdir(dir.path().c_str()) != 0) _exit(126);
      c.prepare();
      umask(c.umask);
      const fs::path target = c.beside.empty() ? c.replaced : c.beside;
      std::cout << (fs::exists(target) ? "existed\n" : "new\n") << std::flush;
      ReplacedFile file(c.path.c_str());
      file.stream() << kNewContents;
      std::cout << temporary_of(target) << std::flush;
      file.commit_or_die();
    });
    if (r.exit_status == kUnsupported) continue;
    const bool fails = !c.message.empty();
    const bool existed = r.out.rfind("existed\n", 0) == 0;
    const std::string temporary = r.out.substr(std::min(r.out.size(), r.out.find('\n') + 1));
    // A message that names the temporary kept names it by its six characters.
    std::string message = c.message;
    const std::string::size_type kept_at = message.find("XXXXXX");
    const std::string kept = kept_at == std::string::npos ? "" : c.beside + temporary.substr(0, 7);
    if (!kept.empty()) message.replace(kept_at - 1, 7, temporary.substr(0, 7));
    EXPECT_EQ(r.exit_status, fails ? 1 : 0) << r.err;
    EXPECT_EQ(r.err, message);
    // Named after the file it replaces, "." and six characters; while it is
    // written, private when it replaces a file.
    EXPECT_EQ(temporary.empty(), c.message.rfind("Could not open", 0) == 0) << temporary;
    if (!temporary.empty()) {
      const std::string suffix = temporary.substr(0, 7);
      const std::string privacy = temporary.substr(std::min<std::size_t>(temporary.size(), 7));
      EXPECT_TRUE(suffix.size() == 7 && suffix[0] == '.' &&
                  std::all_of(suffix.begin() + 1, suffix.end(), [](char k) { return std::isalnum(k) != 0; }))
          << temporary;
      EXPECT_TRUE(privacy == " private" || (!existed && privacy == " shared")) << temporary;
    }
    if (fails && !existed) {
      EXPECT_FALSE(fs::exists(fs::symlink_status(dir.file(c.replaced))));
    } else {
      EXPECT_EQ(dir.read(c.replaced), fails ? "previous\n" : kNewContents);
      struct stat info {};
      ASSERT_EQ(stat(dir.file(c.replaced).c_str(), &info), 0);
      EXPECT_EQ(info.st_mode & 07777, c.mode);
      EXPECT_EQ(access_acl(dir.file(c.replaced)), c.acl);
      if (c.as_root) {
        EXPECT_EQ(info.st_uid, c.owner);
        EXPECT_EQ(info.st_gid, c.group);
      }
    }
    if (!kept.empty()) {
      EXPECT_EQ(dir.read(kept), kNewContents);
    }
    for (const auto& entry : fs::recursive_directory_iterator(dir.path())) {
      if (!kept.empty() && entry.path().filename() == kept) continue;
      EXPECT_EQ(entry.path().filename().string().find('.'), std::string::npos)
          << "a temporary was left: " << entry.path();
    }
  }
}

TEST(KeptPermissions, ReadsARegularFileAlone) {
  TempDir dir;
  dir.write("file", "");
  fs::create_symlink("file", dir.file("link"));
  KeptPermissions permissions;
  EXPECT_TRUE(permissions.read(AT_FDCWD, dir.file("file").c_str()));
  EXPECT_FALSE(permissions.read(AT_FDCWD, dir.file("link").c_str()));
  EXPECT_FALSE(permissions.read(AT_FDCWD, dir.path().c_str()));
}

}  // namespace
}  // namespace segdur
