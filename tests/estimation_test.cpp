#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "database_support.h"
#include "model/database.h"
#include "test_support.h"

namespace segdur {
namespace {

using namespace testing_support;

const float kNaN = std::numeric_limits<float>::quiet_NaN();

// Estimates `index` in `place` and returns the estimate and what was printed.
std::pair<float, std::string> estimate(Database& db, int index, place_info_struct place) {
  float value = -1;
  std::string out = capture_stdout([&] { value = db.tree_estimate(index, place); });
  return {value, out};
}

// Gives every back-off source of record 0 a distinct value for a token at
// pos 1, 2 words, 3 syllables; returns pointers to the sources in the order
// in which the pure back-off model tries them (the mean is the eighth).
std::vector<float*> fill_sources(Database& db) {
  triphone_struct& r = db.record(0);
  auto& level = r.cells[1][1];
  std::vector<float*> order = {&level[3][2].duration,     &r.syllable_duration[2],
                               &level[3][1].duration,     &level[3][3].duration,
                               &level[2][2].duration,     &level[2][1].duration,
                               &level[2][3].duration,     &r.mean_duration,
                               &r.syllable_duration[3],   &r.syllable_duration[1]};
  for (size_t k = 0; k < order.size(); ++k) *order[k] = 0.01f * static_cast<float>(k + 1);
  return order;
}

TEST(TreeEstimate, PureBackOffTriesTheSourcesInOrder) {
  TempDir dir;
  Database db("tree");
  read_keys(db, dir, {"Zal"});
  std::vector<float*> order = fill_sources(db);
  for (size_t k = 0; k < order.size(); ++k) {
    auto [value, out] = estimate(db, 0, place_at(1, 2, 3));
    EXPECT_EQ(value, *order[k]) << "step " << k;
    EXPECT_EQ(out, "");
    // A value without data counts as no value, like 0.
    *order[k] = k % 2 ? kNaN : 0.0f;
  }
  auto [value, out] = estimate(db, 0, place_at(1, 2, 3));
  EXPECT_EQ(value, 0.0f);
  EXPECT_EQ(out, "No ");
}

TEST(TreeEstimate, OtherModelsLetTheTriphoneMeanWinFirst) {
  TempDir dir;
  Database db("ortalama");
  read_keys(db, dir, {"Zal"});
  std::vector<float*> order = fill_sources(db);
  EXPECT_EQ(estimate(db, 0, place_at(1, 2, 3)).first, db.record(0).mean_duration);
  db.record(0).mean_duration = kNaN;
  EXPECT_EQ(estimate(db, 0, place_at(1, 2, 3)).first, *order[0]);
}

TEST(TreeEstimate, NeighbourSyllableClassesAreOnlyTriedInsideTheTable) {
  TempDir dir;
  Database db("tree");
  read_keys(db, dir, {"Zal"});
  triphone_struct& r = db.record(0);
  // syll 1: the neighbours below do not exist; the cell of two syllables does.
  r.cells[0][0][2][6].duration = 0.5f;  // just before cell [0][0][3][0] in memory
  EXPECT_EQ(estimate(db, 0, place_at(0, 1, 1)), std::make_pair(0.0f, std::string("No ")));
  r.cells[0][0][3][1].duration = 0.08f;
  EXPECT_EQ(estimate(db, 0, place_at(0, 1, 1)).first, 0.08f);
  // 9 syllables and 9 words are the last classes; nothing above them is read.
  r.cells[1][6][3][6].duration = kNaN;
  r.cells[2][0][0][0].duration = 0.5f;  // just after the cells of [1][6]
  EXPECT_EQ(estimate(db, 0, place_at(1, 9, 9)).second, "No ");
  r.syllable_duration[5] = 0.07f;
  EXPECT_EQ(estimate(db, 0, place_at(1, 9, 9)).first, 0.07f);
  // A context outside the table finds nothing.
  r.mean_duration = 0.2f;
  EXPECT_EQ(estimate(db, 0, place_at(3, 1, 1)), std::make_pair(0.0f, std::string("No ")));
  EXPECT_EQ(estimate(db, 0, place_at(0, 1, 0)), std::make_pair(0.0f, std::string("No ")));
}

// "lak" trained (a in context [0, 2, 1]: 0.1 and 0.2), "ZkZ" trained (k at
// [2, 2, 1]: 0.05); "Zal" and "aZe" listed but untrained.
class Evaluate : public ::testing::Test {
 protected:
  void train(Database& db) {
    read_keys(db, dir, {"lak", "Zal", "aZe", "ZkZ"});
    db.update_database(0, 0.1f, place_at(0, 2, 1));
    db.update_database(0, 0.2f, place_at(0, 2, 1));
    db.update_database(3, 0.05f, place_at(2, 2, 1));
    capture_stdout([&] { db.compute_means(); });
  }
  // Evaluates one token; returns what was printed.
  std::string evaluate(Database& db, int index, float actual, place_info_struct place) {
    return capture_stdout([&] { db.evaluate(index, actual, place); });
  }
  TempDir dir;
};

TEST_F(Evaluate, EstimateComesFromTheRecordThenTheLetterCellThenTheLetterMean) {
  Database db("ortalama");
  train(db);
  EXPECT_EQ(evaluate(db, 0, 0.1f, place_at(2, 5, 4)), "");  // the mean 0.15 wins
  EXPECT_FLOAT_EQ(db.errors_all.back(), 0.05f);
  // Untrained "Zal": the aggregate cell of a, then (other context) the mean of a.
  db.vowel_aggregate[0].cells[0][1][3][0].duration = 0.125f;
  EXPECT_EQ(evaluate(db, 1, 0.15f, place_at(0, 2, 1)), "No ");
  EXPECT_FLOAT_EQ(db.errors_all.back(), 0.025f);
  EXPECT_EQ(evaluate(db, 1, 0.2f, place_at(1, 2, 1)), "No ");
  EXPECT_FLOAT_EQ(db.errors_all.back(), 0.05f);
  EXPECT_EQ(db.record(1).error_count, 2);
  EXPECT_FLOAT_EQ(db.record(1).mean_error, 0.075f);
  // Centre Z without any value: no estimate; the whole duration is the
  // error, in errors_all only.
  EXPECT_EQ(evaluate(db, 2, 0.3f, place_at(0, 2, 1)), "No ");
  EXPECT_FLOAT_EQ(db.errors_all.back(), 0.3f);
  EXPECT_EQ(db.errors_all.size(), 4u);
  EXPECT_EQ(db.errors_vowels.size(), 3u);
  EXPECT_EQ(db.record(2).error_count, 0);
  // A context outside the table gives no estimate, even for a trained triphone.
  EXPECT_EQ(evaluate(db, 0, 0.2f, place_at(3, 2, 1)), "No ");
  EXPECT_FLOAT_EQ(db.errors_all.back(), 0.2f);
  EXPECT_EQ(db.record(0).error_count, 1);

  Database tree("tree");
  train(tree);
  tree.vowel_aggregate[0].cells[0][1][3][0].duration = 0.5f;
  EXPECT_EQ(evaluate(tree, 1, 0.2f, place_at(0, 2, 1)), "No ");
  EXPECT_FLOAT_EQ(tree.errors_all.back(), 0.05f);  // the letter mean, not the cell
  EXPECT_EQ(tree.letter_cell_estimate(1, place_at(0, 2, 1)), 0.5f);
  EXPECT_EQ(tree.letter_cell_estimate(2, place_at(0, 2, 1)), 0.0f);  // centre Z
}

TEST_F(Evaluate, ErrorStatisticsAreTokenWeightedMeans) {
  Database db("ortalama");
  train(db);
  capture_stdout([&] {
    db.evaluate(0, 0.0f, place_at(0, 2, 1));     // no duration: the record's error only
    db.evaluate(0, 0.125f, place_at(0, 2, 1));   // a: err 0.025, rel 0.2
    db.evaluate(0, 0.25f, place_at(0, 2, 1));    // a: err 0.1, rel 0.4
    db.evaluate(3, 0.0625f, place_at(0, 2, 1));  // k: err 0.0125, rel 0.2
  });
  EXPECT_EQ(db.errors_all.size(), 3u);
  EXPECT_EQ(db.record(0).error_count, 3);
  db.finalize_statistics();
  EXPECT_FLOAT_EQ(db.record(0).mean_error, (0.15f + 0.025f + 0.1f) / 3);
  EXPECT_TRUE(std::isnan(db.record(1).mean_error));
  EXPECT_FLOAT_EQ(db.rel_error_vowel[0], 0.3f);
  EXPECT_EQ(db.rel_error_vowel[1], 0.0f);
  EXPECT_FLOAT_EQ(db.rel_error_consonant[9], 0.2f);
  EXPECT_FLOAT_EQ(db.rel_error_vowels, 0.3f);
  EXPECT_FLOAT_EQ(db.rel_error_all, (2 * 0.3f + 0.2f) / 3);
}

TEST_F(Evaluate, WithOneGroupUntestedTheOverallRelativeErrorIsTheOtherGroups) {
  Database only_consonants("ortalama");
  train(only_consonants);
  capture_stdout([&] { only_consonants.evaluate(3, 0.0625f, place_at(0, 2, 1)); });
  only_consonants.finalize_statistics();
  EXPECT_TRUE(std::isnan(only_consonants.rel_error_vowels));
  EXPECT_FLOAT_EQ(only_consonants.rel_error_consonants, 0.2f);
  EXPECT_FLOAT_EQ(only_consonants.rel_error_all, only_consonants.rel_error_consonants);

  Database only_vowels("ortalama");
  train(only_vowels);
  capture_stdout([&] {
    only_vowels.evaluate(0, 0.125f, place_at(0, 2, 1));  // rel 0.2
    only_vowels.evaluate(0, 0.25f, place_at(0, 2, 1));   // rel 0.4
  });
  only_vowels.finalize_statistics();
  EXPECT_TRUE(std::isnan(only_vowels.rel_error_consonants));
  EXPECT_FLOAT_EQ(only_vowels.rel_error_vowels, 0.3f);
  EXPECT_FLOAT_EQ(only_vowels.rel_error_all, only_vowels.rel_error_vowels);

  // Only a segment of neither class: both groups empty, 0 / 0 still.
  Database neither("ortalama");
  train(neither);
  capture_stdout([&] { neither.evaluate(2, 0.3f, place_at(0, 2, 1)); });
  neither.finalize_statistics();
  EXPECT_TRUE(std::isnan(neither.rel_error_all));
}

// A study of one group: the overall report figures are that group's, the
// other group's own figures have no value.
TEST(OneGroupReport, OverallFiguresAreTheTrainedAndTestedGroups) {
  for (const char* key : {"ZaZ", "ZkZ"}) {
    TempDir dir;
    ScopedWorkingDirectory cwd(dir.path());
    Database db("ortalama");
    read_keys(db, dir, {key});
    db.update_database(0, 0.05f, place_at(0, 1, 1));
    db.update_database(0, 0.15f, place_at(0, 1, 1));  // mean 0.1
    capture_stdout([&] {
      db.compute_means();
      db.evaluate(0, 0.125f, place_at(0, 1, 1));  // err 0.025, rel 0.2
      db.evaluate(0, 0.0625f, place_at(0, 1, 1));  // err 0.0375, rel 0.6
    });
    db.finalize_statistics();
    db.write_performance();
    const std::string report = dir.read("performance_triphone.txt");
    const bool vowel = key[1] == 'a';
    EXPECT_NEAR(report_figure(report, "Mean error percentage (not mean)"), 31.25, 1e-3) << key;
    // Sample deviation of 0.025 and 0.0375 over the mean duration 0.1.
    EXPECT_NEAR(report_figure(report, "General Standard deviation percentage "), 8.83883, 1e-3)
        << key;
    EXPECT_NEAR(report_figure(report, "General PERCENTAGE ERROR"), 40, 1e-3) << key;
    EXPECT_TRUE(std::isnan(report_figure(
        report, vowel ? "General Consonant PERCENTAGE ERROR" : "General Vowel PERCENTAGE ERROR")))
        << key;
    EXPECT_TRUE(std::isnan(report_figure(
        report, vowel ? "General mean error of consonants (percentage)"
                      : "General mean error of vowels (percentage) ")))
        << key;
  }
}

}  // namespace
}  // namespace segdur
