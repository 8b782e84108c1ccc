// End-to-end runs of the segdur2 program on tiny corpora.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "program_runner.h"
#include "test_support.h"

namespace segdur {
namespace {

using testing_support::ChildResult;
using testing_support::run_in_child;
using testing_support::TempDir;

const std::string kCorpus = std::string(SEGDUR_SOURCE_DIR) + "/tests/data/segdur2_small/";

// Runs segdur2 with `args` in `dir` (see run_program).
ChildResult run_segdur2(const TempDir& dir, const std::vector<std::string>& args,
                        bool fixed_clock = false) {
  return testing_support::run_program(SEGDUR2_PATH, dir, args, fixed_clock);
}

std::string corpus_file(const std::string& name) {
  std::ifstream in(kCorpus + name, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Copies corpus files into `dir`.
void copy_corpus(const TempDir& dir, const std::vector<std::string>& names) {
  for (const std::string& name : names) dir.write(name, corpus_file(name));
}

bool has_file(const TempDir& dir, const std::string& name) {
  return std::filesystem::exists(dir.file(name));
}

bool is_empty_dir(const TempDir& dir) { return std::filesystem::is_empty(dir.path()); }

// The two lines of the "edi" information of an untrained one-entry list.
const std::string kUntrainedEdi =
    "\nInformation for edi\nG. Durat -nan\n\nG. Count 0\n\nG. Error 0\n\nG. E. Count 0\n";
const std::string kUntrainedEdiFinal =
    "\nInformation for edi\nG. Durat -nan\n\nG. Count 0\n\nG. Error -nan\n\nG. E. Count 0\n";

TEST(Segdur2Arguments, FewerThanTwoArgumentsPrintTheUsageAndCreateNothing) {
  for (std::vector<std::string> args : {std::vector<std::string>{}, {"labels.txt"}}) {
    TempDir dir;
    ChildResult r = run_segdur2(dir, args);
    EXPECT_EQ(r.exit_status, 1);
    EXPECT_EQ(r.out, "Usage: Programname labellist.txt textout.txt");
    EXPECT_EQ(r.err, "");
    EXPECT_TRUE(is_empty_dir(dir));
  }
}

TEST(Segdur2Files, MissingOrUnwritableFilesEndTheRunInOrder) {
  TempDir dir;
  ChildResult r = run_segdur2(dir, {"labels.txt", "out.txt"});
  EXPECT_EQ(r.exit_status, 1);
  EXPECT_EQ(r.err, "Could not open file labels.txt to read\n");
  EXPECT_TRUE(is_empty_dir(dir));

  // No triphone list: refused before the second argument is created, also
  // when that argument names the missing list.
  dir.write("labels.txt", "a.lab\n");
  for (const char* output : {"missing/out.txt", "out.txt", "hepsi.txt", "./hepsi.txt"}) {
    r = run_segdur2(dir, {"labels.txt", output});
    EXPECT_EQ(r.exit_status, 1) << output;
    EXPECT_EQ(r.err, "Could not open file hepsi.txt to read\n") << output;
    EXPECT_EQ(testing_support::file_names(dir), std::set<std::string>{"labels.txt"}) << output;
  }

  dir.write("hepsi.txt", "edi\n\n\n");
  r = run_segdur2(dir, {"labels.txt", "missing/out.txt"});
  EXPECT_EQ(r.exit_status, 1);
  EXPECT_EQ(r.err, "Could not open file missing/out.txt to write\n");

  // A directory in the report's place.
  dir.write("a.lab", "#\n0.1 1 Z\n0.2 1 e\n0.3 1 Z\n");
  dir.write("performance_triphone.txt/keep", "");
  r = run_segdur2(dir, {"labels.txt", "out.txt"});
  EXPECT_EQ(r.exit_status, 1);
  EXPECT_EQ(r.err, "Could not open file performance_triphone.txt to write\n");
}

TEST(Segdur2Runs, AListThatNamesNoFileEndsTheRunAndChangesNothing) {
  TempDir dir;
  testing_support::copy_small_corpus(dir);
  ASSERT_EQ(run_segdur2(dir, {"labels.txt", "fine.txt"}).exit_status, 0);
  const std::string report = dir.read("performance_triphone.txt");
  const std::string list = dir.read("labels.txt");
  // An empty list, a blank one, and the arguments swapped after a run.
  for (const std::string& empty_list : {std::string(""), std::string(" \n\n\t\n")}) {
    dir.write("empty.txt", empty_list);
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"empty.txt", "out.txt"}, {"fine.txt", "labels.txt"}}) {
      const ChildResult r = run_segdur2(dir, args);
      EXPECT_EQ(r.exit_status, 1);
      EXPECT_EQ(r.out, "");
      EXPECT_EQ(r.err, "No labelled file in list " + args[0] + "\n");
      EXPECT_FALSE(has_file(dir, "out.txt"));
      EXPECT_EQ(dir.read("labels.txt"), list);
      EXPECT_EQ(dir.read("performance_triphone.txt"), report);
    }
  }
}

TEST(Segdur2Runs, OneFileIsTestedAgainstTheUntrainedTable) {
  TempDir dir;
  copy_corpus(dir, {"b.lab", "hepsi.txt"});
  dir.write("labels.txt", "b.lab");
  ChildResult r = run_segdur2(dir, {"labels.txt", "out.txt"});
  EXPECT_EQ(r.exit_status, 0);
  // Zed, edi and diZ are listed and have no value anywhere.
  EXPECT_NE(r.out.find("\nError finding\n0 b.lab\nNo No No \nInformation for edi"),
            std::string::npos)
      << r.out;
  std::string report = dir.read("performance_triphone.txt");
  EXPECT_NE(report.find("\n General size : 3\n Vowel size : 2\n Consonant size : 1"),
            std::string::npos);
  // Every token without estimate has a relative error of 100 %.
  EXPECT_NE(report.find("\nGeneral PERCENTAGE ERROR\n100\n"), std::string::npos);
  EXPECT_NE(report.find("\nMean errors for consonants\n-nan\n-nan\n-nan\n46.875\n"),
            std::string::npos);
}

TEST(Segdur2Runs, InvalidSentenceIsReadButNeitherTrainedNorTested) {
  TempDir dir;
  copy_corpus(dir, {"hepsi.txt"});
  // One word of 15 syllables: a ba ba ... ba.
  std::string body = "#\n";
  std::string labels = "Za";
  for (int k = 0; k < 14; ++k) labels += "ba";
  labels += "Z";
  for (size_t k = 0; k < labels.size(); ++k) {
    body += std::to_string(0.0625 * static_cast<double>(k + 1)) + " 1 " + labels[k] + "\n";
  }
  dir.write("long.lab", body);
  dir.write("labels.txt", "long.lab\n");
  ChildResult r = run_segdur2(dir, {"labels.txt", "out.txt"});
  EXPECT_EQ(r.exit_status, 0);
  EXPECT_NE(r.out.find("\nError finding\n0 long.lab\n"), std::string::npos);
  EXPECT_NE(dir.read("performance_triphone.txt").find("\n General size : 0\n"), std::string::npos);
}

// A file that opens with the one-letter word "o" keeps it: nine copies train
// ZoZ and the tenth tests it (a vowel-only study, so the overall figures are
// the vowels'). "a Z Z b e" keeps its doubled pause and is skipped.
TEST(Segdur2Runs, AFileOpeningWithAWordTrainsAndTestsThatWord) {
  TempDir dir;
  dir.write("o.lab", "#\n0.125 1 o\n0.25 1 Z\n0.375 1 g\n0.5 1 e\n0.625 1 l\n");
  dir.write("hepsi.txt", "ZoZ\n\n\n");
  std::string list;
  for (int k = 0; k < 10; ++k) list += "o.lab\n";
  dir.write("labels.txt", list);
  ChildResult r = run_segdur2(dir, {"labels.txt", "out.txt"});
  EXPECT_EQ(r.exit_status, 0);
  std::string report = dir.read("performance_triphone.txt");
  EXPECT_NE(report.find("\n General size : 1\n Vowel size : 1\n Consonant size : 0\n"
                        "Mean Error in ms\n0\nMean error percentage (not mean)\n0\n"),
            std::string::npos)
      << report;
  EXPECT_NE(report.find("\nGeneral PERCENTAGE ERROR\n0\n"), std::string::npos) << report;

  dir.write("pause.lab", "#\n0.125 1 a\n0.25 1 Z\n0.375 1 Z\n0.5 1 b\n0.625 1 e\n");
  dir.write("labels.txt", "pause.lab");
  r = run_segdur2(dir, {"labels.txt", "out.txt"});
  EXPECT_EQ(r.exit_status, 0);
  // The sentence is analysed twice, so its messages appear twice.
  const std::string message =
      "There should not be Z in the first part of the sentence\n for aZZbeZ";
  const std::size_t first = r.out.find(message);
  ASSERT_NE(first, std::string::npos) << r.out;
  EXPECT_NE(r.out.find(message, first + 1), std::string::npos) << r.out;
  EXPECT_NE(dir.read("performance_triphone.txt").find("\n General size : 0\n"), std::string::npos);
}

TEST(Segdur2Runs, DecreasingEndTimesEndTheRunWithoutReport) {
  TempDir dir;
  copy_corpus(dir, {"hepsi.txt"});
  dir.write("bad.lab", "#\n0.5 1 Z\n0.4 1 a\n0.6 1 Z\n");
  dir.write("labels.txt", "bad.lab");
  ChildResult r = run_segdur2(dir, {"labels.txt", "out.txt"});
  EXPECT_EQ(r.exit_status, 1);
  EXPECT_NE(r.out.find("0 bad.lab\n\n Durations in labeled file is wrong\n"), std::string::npos);
  EXPECT_EQ(dir.read("out.txt"), "");
  EXPECT_FALSE(has_file(dir, "performance_triphone.txt"));
}

// Three files with the clock fixed: b.lab and c.lab train, a.lab is tested;
// the expected files are computed by hand in the corpus's README.
TEST(Segdur2Golden, SmallCorpusGivesTheHandComputedReport) {
  if (!testing_support::has_faketime()) GTEST_SKIP() << "no faketime";
  TempDir dir;
  copy_corpus(dir, {"a.lab", "b.lab", "c.lab", "labels.txt", "hepsi.txt"});
  ChildResult r = run_segdur2(dir, {"labels.txt", "out.txt"}, true);
  EXPECT_EQ(r.exit_status, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out, corpus_file("expected_stdout.txt"));
  EXPECT_EQ(dir.read("performance_triphone.txt"),
            corpus_file("expected_performance_triphone.txt"));
  EXPECT_EQ(dir.read("out.txt"), "");
}

}  // namespace
}  // namespace segdur
