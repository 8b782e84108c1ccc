// Whole runs of both programs under the faults a batch job meets: a reader
// of standard output that quits, a read error, a second run writing the same
// report, a report name that is an input, a report reached through a
// symlink, closed standard descriptors, a working folder without an
// absolute name, and memory that runs out.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "program_runner.h"
#include "test_support.h"


namespace segdur {
namespace {

namespace fs = std::filesystem;
using testing_support::ChildResult;
using testing_support::kReport;
using testing_support::copy_small_corpus;
using testing_support::expected_report;
using testing_support::expected_stdout;
using testing_support::file_names;
using testing_support::has_faketime;
using testing_support::Program;
using testing_support::programs;
using testing_support::run_program;
using testing_support::small_corpus_contents;
using testing_support::small_corpus_names_and;
using testing_support::TempDir;
using testing_support::run_in_child;
using testing_support::ScopedWorkingDirectory;

const char kProcMem[] = "/proc/self/mem";

// In the child about to start a program: standard output becomes a pipe of
// one page whose reader takes the first line and quits; SIGPIPE has its
// default action, so only the program can keep it from ending the run.
void pipe_into_reader_of_one_line() {
  int ends[2];
  if (pipe(ends) != 0) _exit(125);
  fcntl(ends[1], F_SETPIPE_SZ, 4096);
  if (fork() == 0) {
    close(ends[1]);
    char c = 0;
    while (read(ends[0], &c, 1) == 1 && c != '\n') {
    }
    _exit(0);
  }
  close(ends[0]);
  if (dup2(ends[1], STDOUT_FILENO) < 0) _exit(125);
  close(ends[1]);
  std::signal(SIGPIPE, SIG_DFL);
}

// The sample corpus of examples/ (over two pages of progress lines).
void copy_sample_corpus(const TempDir& dir) {
  const fs::path examples = fs::path(SEGDUR_SOURCE_DIR) / "examples";
  for (const char* name : {"corpus", "labels.txt", "hepsi.txt"}) {
    fs::copy(examples / name, dir.file(name), fs::copy_options::recursive);
  }
}

TEST(RunFaults, AReaderThatQuitsEndsTheRunWithStatusOneAfterTheCompleteReport) {
  const bool fixed_clock = has_faketime();
  for (const Program& program : programs()) {
    SCOPED_TRACE(program.path);
    TempDir dir;
    copy_sample_corpus(dir);
    std::string reference;
    if (fixed_clock) {
      ASSERT_EQ(run_program(program.path, dir, {"labels.txt", "out.txt"}, true).exit_status, 0);
      reference = dir.read(kReport);
      fs::remove(dir.file(kReport));
    }
    const ChildResult r = run_program(program.path, dir, {"labels.txt", "out.txt"}, fixed_clock,
                                      pipe_into_reader_of_one_line);
    EXPECT_EQ(r.exit_status, 1);
    EXPECT_EQ(r.err, "Could not write to standard output\n");
    const std::string report = dir.read(kReport);
    EXPECT_NE(report.find("Results of Triphone Modelling\n"), std::string::npos);
    if (fixed_clock) {
      EXPECT_EQ(report, reference);
    }
  }
}

TEST(RunFaults, AFailedReadEndsTheRunNamingTheFileAndWritesNoReport) {
  if (!testing_support::proc_mem_fails_reads()) GTEST_SKIP() << "reads of /proc/self/mem do not fail here";
  struct Case {
    const char* name;
    std::vector<std::string> args;
    const char* named;                                 // the path the message names
    std::function<void(const TempDir&)> prepare = {};  // after the corpus is copied
  };
  const std::vector<Case> cases = {
      {"label list", {kProcMem, "out.txt"}, kProcMem},
      {"triphone list", {"labels.txt", "out.txt"}, "hepsi.txt",
       [](const TempDir& dir) {
         fs::remove(dir.file("hepsi.txt"));
         fs::create_symlink(kProcMem, dir.file("hepsi.txt"));
       }},
      {"labelled file", {"labels.txt", "out.txt"}, kProcMem,
       [](const TempDir& dir) { dir.write("labels.txt", "a.lab /proc/self/mem b.lab c.lab\n"); }},
      {"labelled file through a symlink", {"labels.txt", "out.txt"}, "m.lab",
       [](const TempDir& dir) {
         fs::create_symlink(kProcMem, dir.file("m.lab"));
         dir.write("labels.txt", "a.lab b.lab m.lab c.lab\n");
       }},
  };
  for (const Program& program : programs()) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(program.path) + ": " + c.name);
      TempDir dir;
      copy_small_corpus(dir);
      if (c.prepare) c.prepare(dir);
      const ChildResult r = run_program(program.path, dir, c.args);
      EXPECT_EQ(r.exit_status, 1);
      EXPECT_EQ(r.err, std::string("Could not read file ") + c.named + "\n");
      EXPECT_FALSE(fs::exists(dir.file(kReport)));
    }
  }
}

// Starts `program` in `dir` under the fixed clock with its output discarded.
pid_t start_program(const char* program, const TempDir& dir, const char* output) {
  const pid_t pid = fork();
  if (pid == 0) {
    const int null_fd = open("/dev/null", O_WRONLY);
    dup2(null_fd, STDOUT_FILENO);
    dup2(null_fd, STDERR_FILENO);
    testing_support::exec_program(program, dir, {"labels.txt", output}, true);
  }
  return pid;
}

int exit_status_of(pid_t pid) {
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(RunFaults, TwoRunsAtOnceInOneFolderLeaveOneRunsCompleteReport) {
  if (!has_faketime()) GTEST_SKIP() << "no faketime";
  const std::vector<Program> both = programs();
  const std::string reports[] = {expected_report(both[0]), expected_report(both[1])};
  TempDir dir;
  copy_small_corpus(dir);
  for (int pair = 0; pair < 30; ++pair) {
    SCOPED_TRACE(pair);
    const pid_t first = start_program(both[0].path, dir, "out2.txt");
    const pid_t second = start_program(both[1].path, dir, "out1.txt");
    EXPECT_EQ(exit_status_of(first), 0);
    EXPECT_EQ(exit_status_of(second), 0);
    const std::string report = dir.read(kReport);
    EXPECT_TRUE(report == reports[0] || report == reports[1]) << report;
    EXPECT_EQ(file_names(dir), small_corpus_names_and({"out1.txt", "out2.txt", kReport}));
  }
}

TEST(RunFaults, AReportNamingAnInputIsRefusedBeforeAnythingIsCreated) {
  struct Case {
    const char* name;
    const char* label_list;
    std::function<void(const TempDir&)> make_report;
  };
  const std::vector<Case> cases = {
      {"the label list", kReport,
       [](const TempDir& dir) { fs::rename(dir.file("labels.txt"), dir.file(kReport)); }},
      {"a symlink to a labelled file", "labels.txt",
       [](const TempDir& dir) { fs::create_symlink("c.lab", dir.file(kReport)); }},
      {"a hard link to the triphone list", "labels.txt",
       [](const TempDir& dir) { fs::create_hard_link(dir.file("hepsi.txt"), dir.file(kReport)); }},
  };
  for (const Program& program : programs()) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(program.path) + ": " + c.name);
      TempDir dir;
      copy_small_corpus(dir);
      c.make_report(dir);
      const auto before = small_corpus_contents(dir);
      const std::string report_before = dir.read(kReport);
      const ChildResult r = run_program(program.path, dir, {c.label_list, "out.txt"});
      EXPECT_EQ(r.exit_status, 1);
      EXPECT_EQ(r.out, "");
      EXPECT_EQ(r.err, std::string("Could not open file ") + kReport +
                           " to write: it is an input of the run\n");
      EXPECT_EQ(small_corpus_contents(dir), before);
      EXPECT_EQ(dir.read(kReport), report_before);
      EXPECT_FALSE(fs::exists(dir.file("out.txt")));
    }
  }
}

TEST(RunFaults, AReportThatIsASymlinkIsWrittenThroughAndItsTargetKeepsItsMode) {
  const bool fixed_clock = has_faketime();
  for (const Program& program : programs()) {
    SCOPED_TRACE(program.path);
    TempDir dir;
    copy_small_corpus(dir);
    dir.write("kept/report.txt", "previous report\n");
    fs::permissions(dir.file("kept/report.txt"), fs::perms::owner_read | fs::perms::owner_write);
    // A chain whose second link is relative to its own folder.
    fs::create_symlink("kept/link", dir.file(kReport));
    fs::create_symlink("report.txt", dir.file("kept/link"));
    const ChildResult r = run_program(program.path, dir, {"labels.txt", "out.txt"}, fixed_clock,
                                      [] { umask(027); });
    EXPECT_EQ(r.exit_status, 0);
    EXPECT_TRUE(fs::is_symlink(dir.file(kReport)));
    EXPECT_EQ(fs::read_symlink(dir.file(kReport)), "kept/link");
    const std::string report = dir.read("kept/report.txt");
    if (fixed_clock) {
      EXPECT_EQ(report, expected_report(program));
    } else {
      EXPECT_NE(report.find("Results of Triphone Modelling\n"), std::string::npos);
    }
    struct stat info {};
    ASSERT_EQ(stat(dir.file("kept/report.txt").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_EQ(file_names(dir), small_corpus_names_and({"out.txt", "kept", kReport}));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.file("kept")), fs::directory_iterator()), 2)
        << "a temporary was left";
  }
}

TEST(RunFaults, ClosedStandardDescriptorsTakeNoFileOfTheRun) {
  const bool fixed_clock = has_faketime();
  for (const Program& program : programs()) {
    SCOPED_TRACE(program.path);
    {
      // Standard input and output closed: the progress log cannot be
      // written, and it must not land in the second argument.
      TempDir dir;
      copy_small_corpus(dir);
      const ChildResult r = run_program(program.path, dir, {"labels.txt", "out.txt"}, false, [] {
        close(STDIN_FILENO);
        close(STDOUT_FILENO);
      });
      EXPECT_EQ(r.exit_status, 1);
      EXPECT_EQ(r.err, "Could not write to standard output\n");
      EXPECT_TRUE(fs::exists(dir.file("out.txt")));
      EXPECT_EQ(dir.read("out.txt"), "");
      EXPECT_NE(dir.read(kReport).find("Results of Triphone Modelling\n"), std::string::npos);
    }
    {
      // Standard input alone closed: a complete run.
      TempDir dir;
      copy_small_corpus(dir);
      const ChildResult r = run_program(program.path, dir, {"labels.txt", "out.txt"}, fixed_clock,
                                        [] { close(STDIN_FILENO); });
      EXPECT_EQ(r.exit_status, 0);
      EXPECT_EQ(r.err, "");
      EXPECT_EQ(dir.read("out.txt"), "");
      if (fixed_clock) {
        EXPECT_EQ(r.out, expected_stdout(program));
        EXPECT_EQ(dir.read(kReport), expected_report(program));
      }
    }
  }
}

TEST(RunFaults, AFolderPathLongerThanPathMaxGetsItsReportReplacedWhole) {
  for (const bool limited : {true, false}) {
    SCOPED_TRACE(limited ? "ulimit -f 0" : "no limit");
    TempDir dir;
    {
      ScopedWorkingDirectory top(dir.path());
      const std::string name(200, 'd');
      bool entered = true;
      for (int level = 0; level < 22 && entered; ++level) {
        entered = fs::create_directory(name) && chdir(name.c_str()) == 0;
      }
      EXPECT_TRUE(entered);
      for (const std::string& file : testing_support::small_corpus_inputs()) {
        fs::copy_file(testing_support::test_data() + "segdur2_small/" + file, file);
      }
      std::ofstream(kReport) << "previous\n";
      const ChildResult r = run_in_child([&] {
        if (limited) {
          testing_support::redirect_standard_output("/dev/null");
          testing_support::limit_file_size(0);
        }
        testing_support::exec_program_here(SEGDUR2_PATH, {"labels.txt", "out.txt"}, false);
      });
      EXPECT_EQ(r.exit_status, limited ? 1 : 0);
      const std::string report = testing_support::read_file(kReport);
      EXPECT_EQ(report == "previous\n", limited);
      EXPECT_EQ(report.rfind("Results of Triphone Modelling\n", 0) == 0, !limited);
      EXPECT_EQ(std::distance(fs::directory_iterator("."), fs::directory_iterator()), 7);
    }
    EXPECT_EQ(std::system(("rm -rf '" + dir.path() + "'").c_str()), 0);  // past PATH_MAX too
  }
}

// Runs segdur2 on the small corpus in `dir`, over a previous report, with
// the fault library preloaded and `setup` run in the child first.
ChildResult run_with_faults(const TempDir& dir, const std::function<void()>& setup) {
  copy_small_corpus(dir);
  dir.write(kReport, "previous\n");
  return run_program(SEGDUR2_PATH, dir, {"labels.txt", "out.txt"}, false, [&] {
    setenv("LD_PRELOAD", SEGDUR_FAULTS_PATH, 1);
    setup();
  });
}

// A failed run keeps the previous report and leaves no temporary.
void expect_previous_report_and_no_temporary(const TempDir& dir) {
  EXPECT_EQ(dir.read(kReport), "previous\n");
  for (const std::string& name : file_names(dir)) {
    EXPECT_NE(name.rfind(std::string(kReport) + ".", 0), 0u) << "a temporary was left";
  }
}

// Each fault swept from its first step on to a complete run past
// `complete_after`: the n-th allocation failing with every one after it, or
// alone (the split, drawn from the clock, moves a run's count of allocations
// a little); a descriptor limit of n, where the first complete run has
// `first_complete` (the run holds the label list, the second argument and
// one more file at a time). A failing run ends with the fault's message,
// keeps the previous report and leaves no temporary; so do a signal raised
// as the temporary is created and a failing fsync.
TEST(RunFaults, InjectedFaultsEndTheRunWithTheirMessageAndKeepTheReport) {
  if (testing_support::kSanitized) {
    GTEST_SKIP() << "the sanitizers' runtime is not preloaded over nor run short of descriptors";
  }
  TempDir counted;
  const std::string count_file = counted.file("count");
  ASSERT_EQ(run_with_faults(counted, [&] { setenv("SEGDUR_COUNT_MALLOC", count_file.c_str(), 1); })
                .exit_status, 0);
  const int allocations = std::stoi(counted.read("count"));
  const std::string complete = counted.read(kReport);
  const auto lines = std::count(complete.begin(), complete.end(), '\n');
  const auto out_of_memory = [](const std::string& err) { return err == "Out of memory\n"; };
  const auto open_message = [](const std::string& err) {
    const std::string tail = err.substr(std::min(err.size(), err.find(" to ")));
    return err.rfind("Could not open file ", 0) == 0 && (tail == " to read\n" || tail == " to write\n");
  };
  struct Sweep {
    const char* name;
    int complete_after;
    std::function<void(int)> set;
    std::function<bool(const std::string&)> message_ok;
    int first_complete = 0;  // 0: anywhere up to complete_after
  };
  const Sweep sweeps[] = {
      {"allocations failing from", allocations,
       [](int n) { setenv("SEGDUR_FAIL_MALLOC_AT", std::to_string(n).c_str(), 1); }, out_of_memory},
      {"allocation failing alone", allocations,
       [](int n) {
         setenv("SEGDUR_FAIL_MALLOC_AT", std::to_string(n).c_str(), 1);
         setenv("SEGDUR_FAIL_MALLOC_ONLY", "1", 1);
       },
       out_of_memory},
      {"descriptor limit", 0,
       [](int n) {
         testing_support::close_inherited_descriptors();  // the program's own descriptors alone
         const rlimit descriptors{static_cast<rlim_t>(n), static_cast<rlim_t>(n)};
         setrlimit(RLIMIT_NOFILE, &descriptors);
       },
       open_message, 6},
  };
  for (const Sweep& sweep : sweeps) {
    int failed = 0;
    for (int n = 1;; ++n) {
      SCOPED_TRACE(std::string(sweep.name) + " " + std::to_string(n));
      ASSERT_LT(n, 2 * allocations);
      TempDir dir;
      const ChildResult r = run_with_faults(dir, [&] { sweep.set(n); });
      if (r.exit_status == 127) continue;  // the loader could not start the program
      if (r.exit_status == 0) {
        const std::string report = dir.read(kReport);
        EXPECT_EQ(r.err, "");
        EXPECT_EQ(std::count(report.begin(), report.end(), '\n'), lines);
        if (sweep.first_complete > 0) {
          EXPECT_EQ(n, sweep.first_complete);
        }
        if (n > sweep.complete_after) break;
        continue;
      }
      ++failed;
      EXPECT_EQ(r.exit_status, 1);
      EXPECT_TRUE(sweep.message_ok(r.err)) << r.err;
      expect_previous_report_and_no_temporary(dir);
    }
    EXPECT_GT(failed, 0) << sweep.name;
  }
  // One fault each; a bind-mounted report (a file mounted over its name, as
  // a container may do) then holds the complete report, and "volume", the
  // file mounted, is what the run wrote to.
  struct SingleFault {
    const char* name;
    std::vector<std::pair<const char*, const char*>> environment;
    ChildResult expected;
    bool bind_mounted = false;
  };
  const std::string could_not_write = std::string("Could not write file ") + kReport + "\n";
  const SingleFault single_faults[] = {
      {"a signal as the temporary is created", {{"SEGDUR_SIGNAL_AFTER_CREATE", "15"}}, {-1, "", ""}},
      {"a failing fsync", {{"SEGDUR_FAIL_FSYNC", "1"}}, {1, "", could_not_write}},
      {"a failing close", {{"SEGDUR_FAIL_CLOSE_AFTER_FSYNC", "1"}}, {1, "", could_not_write}},
      {"a signal right before the temporary's unlink",
       {{"SEGDUR_FAIL_FSYNC", "1"}, {"SEGDUR_SIGNAL_BEFORE_UNLINK", "15"}}, {-1, "", ""}},
      {"a link swapped in for the second argument after its check", {{"SEGDUR_LINK_AT_CREATE", "victim"}},
       {1, "", "Could not open file out.txt to write\n"}},
      {"a signal right after a bind-mounted report is truncated", {{"SEGDUR_SIGNAL_AFTER_TRUNCATE", "15"}},
       {-1, "", ""}, true},
  };
  for (const SingleFault& fault : single_faults) {
    SCOPED_TRACE(fault.name);
    TempDir dir;
    dir.write("victim", "victim\n");
    dir.write("volume", "previous\n");
    const ChildResult r = run_with_faults(dir, [&] {
      for (const auto& [name, value] : fault.environment) setenv(name, value, 1);
      if (fault.bind_mounted && !testing_support::bind_mount_privately(dir.file("volume"), dir.file(kReport))) {
        _exit(testing_support::kUnsupported);
      }
    });
    if (r.exit_status == testing_support::kUnsupported) continue;
    EXPECT_EQ(r.exit_status, fault.expected.exit_status);
    EXPECT_EQ(r.err, fault.expected.err);
    expect_previous_report_and_no_temporary(dir);
    EXPECT_EQ(dir.read("victim"), "victim\n");
    if (fault.bind_mounted) {
      const std::string report = dir.read("volume");
      EXPECT_EQ(std::count(report.begin(), report.end(), '\n'), lines);
    }
  }
}

}  // namespace
}  // namespace segdur
