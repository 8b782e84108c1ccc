// Every file writer of the libraries, made to fail: on /dev/full, through a
// symlink to /dev/full, and part way into a regular file by a size limit.
// Each must end the run with status 1 and "Could not write file <path>\n",
// remove the file it cut short when the path is a regular file, and never
// remove a device, a symlink or what a symlink points to. And the replaced
// report: which file it replaces, and the mode and owner it leaves.

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <csignal>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
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

TEST(ReplacedFile, ARunEndedOrInterruptedBeforeTheCommitKeepsThePreviousFileAndNoTemporary) {
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
}

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

// A previous file `name` with `mode`, owned by `owner` (user and group)
// when that is not -1.
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
    bool fails = false;             // the previous contents then stay
    bool as_root = false;           // the case needs root; the owner is then checked
    uid_t owner = 0;                // the user and group of `replaced` afterwards
  };
  const uid_t nobody = 65534;
  const auto long_target_name = [] {
    previous(kLongName, 0640)();
    fs::create_symlink(kLongName, "link");
  };
  const auto planted_link = [=] {
    previous("victim", 0644)();
    fs::create_directory("shared");
    chmod("shared", 01777);
    fs::create_symlink("../victim", "shared/link");
    if (lchown("shared/link", nobody, nobody) != 0) _exit(125);
  };
  const Case cases[] = {
      {"new, umask 022", 022, [] {}, "r", "r", 0644},
      {"new, umask 027", 027, [] {}, "r", "r", 0640},
      {"new, umask 077", 077, [] {}, "r", "r", 0600},
      {"new, default ACL", 077, [] { make_folder_with_default_acl("acl"); }, "acl/r", "acl/r", 0664},
      {"previous 0666", 022, previous("r", 0666), "r", "r", 0666},
      {"previous 0444", 022, previous("r", 0444), "r", "r", 0444},
      {"previous 0640 of nobody", 022, previous("r", 0640, nobody), "r", "r", 0640, false, true, nobody},
      {"long chain", 022, make_long_chain, "link", kLongFolder + "/target", 0644},
      {"long chain, size limit", 022, [] {
         make_long_chain();
         testing_support::limit_file_size(0);
       }, "link", kLongFolder + "/target", 0644, true},
      {"long target name", 022, long_target_name, "link", kLongName, 0640},
      {"link of nobody in a shared folder", 022, planted_link, "shared/link", "victim", 0644, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.as_root && geteuid() != 0) continue;
    TempDir dir;
    const ChildResult r = run_in_child([&] {
      if (chdir(dir.path().c_str()) != 0) _exit(126);
      c.prepare();
      umask(c.umask);
      ReplacedFile file(c.path.c_str());
      file.stream() << "new contents\n";
      file.commit_or_die();
    });
    if (c.name == std::string("new, default ACL") && !fs::exists(dir.file("acl"))) continue;
    EXPECT_EQ(r.exit_status, c.fails ? 1 : 0) << r.err;
    EXPECT_EQ(dir.read(c.replaced), c.fails ? "previous\n" : "new contents\n");
    struct stat info {};
    ASSERT_EQ(stat(dir.file(c.replaced).c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, c.mode);
    if (c.as_root) {
      EXPECT_EQ(info.st_uid, c.owner);
      EXPECT_EQ(info.st_gid, c.owner);
    }
    for (const auto& entry : fs::recursive_directory_iterator(dir.path())) {
      EXPECT_EQ(entry.path().filename().string().find('.'), std::string::npos)
          << "a temporary was left: " << entry.path();
    }
  }
}

}  // namespace
}  // namespace segdur
