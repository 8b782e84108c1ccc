#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "database_support.h"
#include "model/database.h"
#include "test_support.h"

namespace segdur {
namespace {

using namespace testing_support;

// A heading and one line per value.
std::string list(const std::string& heading, const std::vector<std::string>& values) {
  std::string text = heading;
  for (const std::string& v : values) text += v + "\n";
  return text;
}

// `n` values: `first` entries given, the rest `rest`.
std::vector<std::string> values(int n, std::vector<std::string> first, const std::string& rest) {
  while (static_cast<int>(first.size()) < n) first.push_back(rest);
  return first;
}

// Consonant k (code 9) with `k`, every other consonant `rest`.
std::vector<std::string> at_k(const std::string& k, const std::string& rest) {
  std::vector<std::string> v(21, rest);
  v[9] = k;
  return v;
}

// Trained: a (lak) 0.125 and 0.0625, e (Zed) 0.125, k (akZ) 0.0625.
// Tested: a 0.125 and 0.0625 (errors 0.03125, relative 0.25 and 0.5),
// k 0.125 (error 0.0625, relative 0.5). Means: a 0.09375, e 0.125,
// vowels 0.3125 / 3, consonants 0.0625, all 0.375 / 4 = 0.09375.
TEST(PerformanceReport, SmallTableGivesTheHandComputedFigures) {
  TempDir dir;
  Database db("ortalama");
  read_keys(db, dir, {"lak", "Zed", "akZ"});
  db.update_database(0, 0.125f, place_at(0, 2, 1));
  db.update_database(0, 0.0625f, place_at(0, 2, 1));
  db.update_database(1, 0.125f, place_at(0, 2, 1));
  db.update_database(2, 0.0625f, place_at(2, 2, 1));
  capture_stdout([&] {
    db.compute_means();
    db.evaluate(0, 0.125f, place_at(0, 2, 1));
    db.evaluate(0, 0.0625f, place_at(0, 2, 1));
    db.evaluate(2, 0.125f, place_at(2, 2, 1));
  });
  db.finalize_statistics();
  ScopedWorkingDirectory cwd(dir.path());
  db.write_performance();

  // All errors: mean 0.125 / 3 s, sample deviation 0.0180422 s.
  std::string expected =
      "Results of Triphone Modelling\n"
      "for model type: ortalama\n"
      "\n General size : 3\n Vowel size : 2\n Consonant size : 1"
      "\nMean Error in ms\n41.6667"
      "\nMean error percentage (not mean)\n44.4444\n"
      "\nGeneral Standard deviation\n18.0422\n"
      "\nGeneral Standard deviation percentage \n19.245\n"
      "\nGeneral mean error of vowels\n31.25\n"
      "\nGeneral mean error of vowels (percentage) \n30\n"
      "\nGeneral mean error of consonants\n62.5\n"
      "\nGeneral mean error of consonants (percentage)\n100\n"
      "\nGeneral Std of vowels\n0\n"
      "\nGeneral Std of vowels over mean of duration of vowels (percent)\n0\n"
      "\nGeneral Std of consonants\n0\n"
      "\nGeneral Std of consonants over mean of duration of consonants (percent)\n0\n"
      "\nGeneral PERCENTAGE ERROR\n41.6667\n"
      "\nGeneral Vowel PERCENTAGE ERROR\n37.5\n"
      "\nGeneral Consonant PERCENTAGE ERROR\n50\n";
  // e was trained but not tested: no mean error, deviation 0; untrained
  // letters divide by a mean duration of 0.
  expected += list("\nMean errors for vowels\n", values(8, {"31.25"}, "nan"));
  expected += list("\nMean errors percentage for vowels over means (percent)\n",
                   values(8, {"33.3333"}, "nan"));
  expected += list("\nMean errors for consonants\n", at_k("62.5", "nan"));
  expected += list("\nMean error percentage for consonants (percent)\n", at_k("100", "nan"));
  expected += list("\nStandard deviations for vowels \n", values(8, {}, "0"));
  expected += list("\nStandard deviations for vowels over means (percent)\n",
                   values(8, {"0", "0"}, "nan"));
  expected += list("\nStandard deviations for consonants\n", at_k("0", "0"));
  expected += list("\nStandard deviations for consonants over means (percent)\n",
                   at_k("0", "nan"));
  expected += list("\nError percentages for vowels\n", values(8, {"37.5"}, "0"));
  expected += list("\nError percentages for consonants\n", at_k("50", "0"));
  expected += list("\nMean durations of vowels\n", values(8, {"93.75", "125"}, "0"));
  expected += list("\nMean durations of consonants\n", at_k("62.5", "0"));
  EXPECT_EQ(dir.read("performance_triphone.txt"), expected);
}

TEST(PerformanceReport, UnwritableReportEndsTheRun) {
  TempDir dir;
  dir.write("performance_triphone.txt/keep", "");  // a directory in the report's place
  auto r = run_in_child([&] {
    ScopedWorkingDirectory cwd(dir.path());
    Database db("tree");
    db.write_performance();
  });
  EXPECT_EQ(r.exit_status, 1);
  EXPECT_EQ(r.err, "Could not open file performance_triphone.txt to write\n");
}

}  // namespace
}  // namespace segdur
