// What both programs write when writing fails, and that the file named by the
// second argument is never one of the run's inputs.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "program_runner.h"
#include "test_support.h"

namespace segdur {
namespace {

namespace fs = std::filesystem;
using testing_support::ChildResult;
using testing_support::read_file;
using testing_support::run_program;
using testing_support::TempDir;

const std::string kData = std::string(SEGDUR_SOURCE_DIR) + "/tests/data/";
const std::vector<std::string> kInputs = {"a.lab", "b.lab", "c.lab", "labels.txt", "hepsi.txt"};
const char kReport[] = "performance_triphone.txt";
const char kDevFull[] = "/dev/full";

struct Program {
  const char* path;
  const char* expected;  // folder of its expected output on the small corpus
};

std::vector<Program> programs() {
  return {{SEGDUR2_PATH, "segdur2_small/"}, {SEGDUR1_PATH, "segdur1_small/"}};
}

// The small corpus copied into `dir`.
void copy_inputs(const TempDir& dir) {
  for (const std::string& name : kInputs) {
    dir.write(name, read_file(kData + "segdur2_small/" + name));
  }
}

std::map<std::string, std::string> contents_of_inputs(const TempDir& dir) {
  std::map<std::string, std::string> contents;
  for (const std::string& name : kInputs) contents[name] = dir.read(name);
  return contents;
}

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
      copy_inputs(dir);
      fs::create_symlink(kDevFull, dir.file(kReport));
      const ChildResult r = run_program(program.path, dir, {"labels.txt", "out.txt"});
      EXPECT_EQ(r.exit_status, 1);
      EXPECT_EQ(r.err, std::string("Could not write file ") + kReport + "\n");
      EXPECT_TRUE(fs::is_symlink(dir.file(kReport)));
      EXPECT_EQ(fs::read_symlink(dir.file(kReport)), kDevFull);
      EXPECT_TRUE(fs::is_character_file(kDevFull)) << "/dev/full was removed";
    }
    {
      // Both reports are longer than the limit; standard output goes where
      // the limit cannot reach it.
      TempDir dir;
      copy_inputs(dir);
      const ChildResult r = run_program(program.path, dir, {"labels.txt", "out.txt"}, false, [] {
        testing_support::redirect_standard_output("/dev/null");
        testing_support::limit_file_size(256);
      });
      EXPECT_EQ(r.exit_status, 1);
      EXPECT_EQ(r.err, std::string("Could not write file ") + kReport + "\n");
      EXPECT_FALSE(fs::exists(fs::symlink_status(dir.file(kReport)))) << "a cut report was left";
    }
  }
}

TEST_F(ProgramOutputs, StandardOutputThatCannotBeWrittenEndsTheRunAfterTheReport) {
  const bool fixed_clock = testing_support::has_faketime();
  for (const Program& program : programs()) {
    SCOPED_TRACE(program.path);
    TempDir dir;
    copy_inputs(dir);
    const ChildResult r = run_program(program.path, dir, {"labels.txt", "out.txt"}, fixed_clock,
                                      [] { testing_support::redirect_standard_output(kDevFull); });
    EXPECT_EQ(r.exit_status, 1);
    EXPECT_EQ(r.err, "Could not write to standard output\n");
    EXPECT_TRUE(fs::is_character_file(kDevFull)) << "/dev/full was removed";
    const std::string report = dir.read(kReport);
    if (fixed_clock) {
      EXPECT_EQ(report, read_file(kData + program.expected + "expected_performance_triphone.txt"));
    } else {
      EXPECT_FALSE(report.empty());
    }
  }
}

TEST(ProgramInputs, AnOutputNamingAnInputOfTheRunIsRefusedAndNothingIsTruncated) {
  for (const Program& program : programs()) {
    SCOPED_TRACE(program.path);
    TempDir dir;
    copy_inputs(dir);
    fs::create_symlink("hepsi.txt", dir.file("link.txt"));
    fs::create_hard_link(dir.file("hepsi.txt"), dir.file("hard.txt"));
    fs::create_directory(dir.file("sub"));
    const auto before = contents_of_inputs(dir);
    for (const std::string& output :
         {std::string("labels.txt"), std::string("hepsi.txt"), std::string("./hepsi.txt"),
          dir.file("hepsi.txt"), std::string("sub/../hepsi.txt"), std::string("link.txt"),
          std::string("hard.txt"), std::string("c.lab"), std::string("./b.lab")}) {
      SCOPED_TRACE(output);
      const ChildResult r = run_program(program.path, dir, {"labels.txt", output});
      EXPECT_EQ(r.exit_status, 1);
      EXPECT_EQ(r.out, "");
      EXPECT_EQ(r.err, "Could not open file " + output + " to write: it is an input of the run\n");
      EXPECT_EQ(contents_of_inputs(dir), before);
      EXPECT_FALSE(fs::exists(dir.file(kReport)));
    }
    // A device that is also an input is opened as before: it loses nothing.
    const ChildResult null_run = run_program(program.path, dir, {"/dev/null", "/dev/null"});
    EXPECT_EQ(null_run.exit_status, 0);
    EXPECT_EQ(null_run.err, "");
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
    // An existing file that is no input is truncated as before.
    dir.write("out.txt", "old contents\n");
    const ChildResult r = run_program(program.path, dir, {"labels.txt", "out.txt"});
    EXPECT_EQ(r.exit_status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(dir.read("out.txt"), "");
    EXPECT_EQ(contents_of_inputs(dir), before);
  }
}

}  // namespace
}  // namespace segdur
