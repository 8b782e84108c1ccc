// What both programs write when writing fails, and that the file named by the
// second argument is never one of the run's inputs.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "program_runner.h"
#include "test_support.h"

namespace segdur {
namespace {

namespace fs = std::filesystem;
using testing_support::ChildResult;
using testing_support::kReport;
using testing_support::copy_small_corpus;
using testing_support::Program;
using testing_support::programs;
using testing_support::run_program;
using testing_support::small_corpus_contents;
using testing_support::TempDir;

const char kDevFull[] = "/dev/full";

class ProgramOutputs : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!fs::is_character_file(kDevFull)) GTEST_SKIP() << "no /dev/full here";
  }
};

TEST_F(ProgramOutputs, AReportThatCannotBeWrittenEndsTheRunAndNoCutReportIsLeft) {
  for (const Program& program : programs()) {
    SCOPED_TRACE(program.path);
    {
      TempDir dir;
      copy_small_corpus(dir);
      fs::create_symlink(kDevFull, dir.file(kReport));
      const ChildResult r = run_program(program.path, dir, {"labels.txt", "out.txt"});
      EXPECT_EQ(r.exit_status, 1);
      EXPECT_EQ(r.err, std::string("Could not write file ") + kReport + "\n");
      EXPECT_TRUE(fs::is_symlink(dir.file(kReport)));
      EXPECT_EQ(fs::read_symlink(dir.file(kReport)), kDevFull);
      EXPECT_TRUE(fs::is_character_file(kDevFull)) << "/dev/full was removed";
    }
    for (const bool previous_report : {false, true}) {
      // Both reports are longer than the limit; standard output goes where
      // the limit cannot reach it. The programs themselves must keep SIGXFSZ
      // from ending them.
      SCOPED_TRACE(previous_report ? "with a previous report" : "without a report");
      TempDir dir;
      copy_small_corpus(dir);
      if (previous_report) dir.write(kReport, "previous report\n");
      const ChildResult r = run_program(program.path, dir, {"labels.txt", "out.txt"}, false, [] {
        testing_support::redirect_standard_output("/dev/null");
        testing_support::limit_file_size(256, testing_support::SizeLimitSignal::kDefault);
      });
      EXPECT_EQ(r.exit_status, 1);
      EXPECT_EQ(r.err, std::string("Could not write file ") + kReport + "\n");
      if (previous_report) {
        EXPECT_EQ(dir.read(kReport), "previous report\n");
      } else {
        EXPECT_FALSE(fs::exists(fs::symlink_status(dir.file(kReport)))) << "a cut report was left";
      }
      std::set<std::string> left = testing_support::small_corpus_names_and({"out.txt"});
      if (previous_report) left.insert(kReport);
      EXPECT_EQ(testing_support::file_names(dir), left) << "a temporary was left";
    }
  }
}

TEST_F(ProgramOutputs, StandardOutputThatCannotBeWrittenEndsTheRunAfterTheReport) {
  const bool fixed_clock = testing_support::has_faketime();
  for (const Program& program : programs()) {
    SCOPED_TRACE(program.path);
    TempDir dir;
    copy_small_corpus(dir);
    const ChildResult r = run_program(program.path, dir, {"labels.txt", "out.txt"}, fixed_clock,
                                      [] { testing_support::redirect_standard_output(kDevFull); });
    EXPECT_EQ(r.exit_status, 1);
    EXPECT_EQ(r.err, "Could not write to standard output\n");
    EXPECT_TRUE(fs::is_character_file(kDevFull)) << "/dev/full was removed";
    const std::string report = dir.read(kReport);
    if (fixed_clock) {
      EXPECT_EQ(report, testing_support::expected_report(program));
    } else {
      EXPECT_FALSE(report.empty());
    }
  }
}

TEST(ProgramInputs, AnOutputNamingAnInputOrTheReportIsRefusedAndNothingIsTruncated) {
  const std::string input = " to write: it is an input of the run\n";
  const std::string report = " to write: it is the report of the run\n";
  for (const Program& program : programs()) {
    SCOPED_TRACE(program.path);
    TempDir dir;
    copy_small_corpus(dir);
    dir.write(kReport, "previous\n");
    fs::create_symlink("hepsi.txt", dir.file("link.txt"));
    fs::create_hard_link(dir.file("hepsi.txt"), dir.file("hard.txt"));
    fs::create_symlink(kReport, dir.file("report_link.txt"));
    fs::create_hard_link(dir.file(kReport), dir.file("report_hard.txt"));
    fs::create_directory(dir.file("sub"));
    const auto before = small_corpus_contents(dir);
    const std::pair<std::string, std::string> outputs[] = {
        {"labels.txt", input},         {"hepsi.txt", input},     {"./hepsi.txt", input},
        {dir.file("hepsi.txt"), input}, {"sub/../hepsi.txt", input}, {"link.txt", input},
        {"hard.txt", input},           {"c.lab", input},          {"./b.lab", input},
        {kReport, report},             {"./performance_triphone.txt", report},
        {dir.file(kReport), report},   {"report_link.txt", report}, {"report_hard.txt", report}};
    for (const auto& [output, reason] : outputs) {
      SCOPED_TRACE(output);
      const ChildResult r = run_program(program.path, dir, {"labels.txt", output});
      EXPECT_EQ(r.exit_status, 1);
      EXPECT_EQ(r.out, "");
      EXPECT_EQ(r.err, "Could not open file " + output + reason);
      EXPECT_EQ(small_corpus_contents(dir), before);
      EXPECT_EQ(dir.read(kReport), "previous\n");
    }
    // A device that is also an input is opened as before: it loses nothing
    // (and names no labelled file).
    const ChildResult null_run = run_program(program.path, dir, {"/dev/null", "/dev/null"});
    EXPECT_EQ(null_run.exit_status, 1);
    EXPECT_EQ(null_run.err, "No labelled file in list /dev/null\n");
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
    // An existing file that is no input is truncated as before.
    dir.write("out.txt", "old contents\n");
    const ChildResult r = run_program(program.path, dir, {"labels.txt", "out.txt"});
    EXPECT_EQ(r.exit_status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(dir.read("out.txt"), "");
    EXPECT_EQ(small_corpus_contents(dir), before);
  }
}

TEST(ProgramInputs, TheSecondArgumentKeepsTheReportsRulesBeforeAnythingIsCreated) {
  // "victim" beside a folder anyone may write to, sticky as /tmp and owned
  // by nobody where that can be set, holding a link to it owned by `owner`.
  const auto shared_link = [](uid_t owner) {
    return [=](const TempDir& dir) {
      dir.write("victim", "victim\n");
      fs::create_directory(dir.file("shared"));
      (void)!chown(dir.file("shared").c_str(), 65534, 65534);
      fs::permissions(dir.file("shared"), fs::perms::all | fs::perms::sticky_bit);
      fs::create_symlink("../victim", dir.file("shared/fine.txt"));
      return lchown(dir.file("shared/fine.txt").c_str(), owner, owner) == 0;
    };
  };
  struct Case {
    const char* name;
    std::function<bool(const TempDir&)> prepare;  // false: the case cannot be made here
    std::string output;
    std::string err;  // "": a complete run, which empties the victim
    std::function<void()> before_start = {};  // in the child that starts the program
  };
  const std::string report = " to write: it is the report of the run\n";
  const Case cases[] = {
      {"the report's name before there is a report", [](const TempDir&) { return true; }, kReport,
       std::string("Could not open file ") + kReport + report},
      {"a dangling link to the report's name",
       [](const TempDir& dir) { return symlink(kReport, dir.file("link.txt").c_str()) == 0; }, "link.txt",
       "Could not open file link.txt" + report},
      {"a missing triphone list is named first",
       [](const TempDir& dir) { return fs::remove(dir.file("hepsi.txt")); }, kReport,
       "Could not open file hepsi.txt to read\n"},
      {"a link another user planted in a shared folder", shared_link(1001), "shared/fine.txt",
       "Could not open file shared/fine.txt to write\n"},
      {"the runner's own link in a shared folder", shared_link(geteuid()), "shared/fine.txt", ""},
      {"a report link another user planted in a shared working folder",
       [](const TempDir& dir) {
         dir.write("victim", "victim\n");
         fs::permissions(dir.path(), fs::perms::all | fs::perms::sticky_bit);
         fs::create_symlink("victim", dir.file(kReport));
         return lchown(dir.file(kReport).c_str(), 1001, 1001) == 0;
       },
       "out.txt", std::string("Could not open file ") + kReport + " to write\n"},
      {"no /proc", [](const TempDir&) { return geteuid() == 0; }, "out.txt", "Could not open file out.txt to write\n",
       [] {
         // The sanitizers' runtime needs /proc itself.
         if (testing_support::kSanitized || !testing_support::hide_proc()) _exit(testing_support::kUnsupported);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    copy_small_corpus(dir);
    if (!c.prepare(dir)) continue;
    const ChildResult r = run_program(SEGDUR2_PATH, dir, {"labels.txt", c.output}, false, c.before_start);
    if (r.exit_status == testing_support::kUnsupported) continue;
    EXPECT_EQ(r.exit_status, c.err.empty() ? 0 : 1);
    EXPECT_EQ(r.err, c.err);
    // Refused before a labelled file is read or anything is created.
    EXPECT_EQ(r.out.empty(), !c.err.empty());
    EXPECT_EQ(fs::is_regular_file(fs::symlink_status(dir.file(kReport))), c.err.empty());
    if (!c.err.empty()) {
      EXPECT_FALSE(fs::exists(dir.file("out.txt")));
    }
    if (fs::exists(fs::symlink_status(dir.file("victim")))) {
      EXPECT_EQ(dir.read("victim"), c.err.empty() ? "" : "victim\n");
    }
  }
}

}  // namespace
}  // namespace segdur
