// End-to-end runs of the segdur1 program on tiny corpora.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "program_runner.h"
#include "test_support.h"

namespace segdur {
namespace {

using testing_support::ChildResult;
using testing_support::read_file;
using testing_support::run_program;
using testing_support::TempDir;

const std::string kData = std::string(SEGDUR_SOURCE_DIR) + "/tests/data/";
const std::string kInputs = kData + "segdur2_small/";
const std::string kExpected = kData + "segdur1_small/";

// Copies input files of the small corpus into `dir`.
void copy_inputs(const TempDir& dir, const std::vector<std::string>& names) {
  for (const std::string& name : names) dir.write(name, read_file(kInputs + name));
}

// One file: nothing is trained and no letter has a mean, so no token gets an
// estimate and both overall figures are sums divided by 0.
TEST(Segdur1Runs, OneFileIsTestedAgainstTheUntrainedTable) {
  TempDir dir;
  copy_inputs(dir, {"b.lab", "hepsi.txt"});
  dir.write("labels.txt", "b.lab\n");
  ChildResult r = run_program(SEGDUR1_PATH, dir, {"labels.txt", "out.txt"});
  EXPECT_EQ(r.exit_status, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_NE(r.out.find("\nError finding\n0 b.lab\n\nInformation for edi"), std::string::npos)
      << r.out;
  EXPECT_EQ(r.out.find("No "), std::string::npos);
  std::string report = dir.read("performance_triphone.txt");
  EXPECT_EQ(report.rfind("Results of Triphone Modelling\nFor triphones \n\nGeneral Error inf\n"
                         "\nGeneral Error Percentage inf\n\nError percentages for vowels\n0\n"
                         "100\n0\n100\n",
                         0),
            0u)
      << report;
  EXPECT_EQ(dir.read("out.txt"), "");
}

// The small corpus with the clock fixed; the expected files are computed by
// hand in the README beside them.
TEST(Segdur1Golden, SmallCorpusGivesTheHandComputedShortReport) {
  if (!testing_support::has_faketime()) GTEST_SKIP() << "no faketime";
  TempDir dir;
  copy_inputs(dir, {"a.lab", "b.lab", "c.lab", "labels.txt", "hepsi.txt"});
  ChildResult r = run_program(SEGDUR1_PATH, dir, {"labels.txt", "out.txt"}, true);
  EXPECT_EQ(r.exit_status, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out, read_file(kExpected + "expected_stdout.txt"));
  EXPECT_EQ(dir.read("performance_triphone.txt"),
            read_file(kExpected + "expected_performance_triphone.txt"));
  EXPECT_EQ(dir.read("out.txt"), "");
}

}  // namespace
}  // namespace segdur
