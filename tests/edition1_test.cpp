#include "edition1/database.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "database_support.h"
#include "test_support.h"

namespace segdur::edition1 {
namespace {

using namespace testing_support;

constexpr size_t kRecord = 4728;

// A context no cell of the table has; evaluation must not read it.
const place_info_struct kNowhere = place_at(7, -3, 0);

// --- record and binary form ---

TEST(Edition1Binary, RecordsAre4728BytesWithTheCellsAtOffset16) {
  TempDir dir;
  Database db;
  read_keys(db, dir, {"edi", "abc"});
  // pos 2, 9 words, 8 syllables: cell [2][6][3][6].
  db.update_database(1, 0.25f, place_at(2, 9, 8));
  db.record(1).mean_error = 0.5f;
  db.record(1).error_count = -2;
  std::string path = dir.file("db.bin");
  EXPECT_EQ(capture_stdout([&] { db.write_binary(path.c_str()); }), "\nSize of Database : 2\n");
  std::string bytes = dir.read("db.bin");
  ASSERT_EQ(bytes.size(), 2 * kRecord);
  const size_t r = kRecord;
  EXPECT_EQ(u32_at(bytes, r + 0), bits_of(0.25f));
  EXPECT_EQ(u32_at(bytes, r + 4), bits_of(0.5f));
  EXPECT_EQ(u32_at(bytes, r + 8), 1u);
  EXPECT_EQ(u32_at(bytes, r + 12), 0xFFFFFFFEu);
  const size_t cell = r + 16 + 8 * (196 * 2 + 28 * 6 + 7 * 3 + 6);
  EXPECT_EQ(u32_at(bytes, cell), bits_of(0.25f));
  EXPECT_EQ(u32_at(bytes, cell + 4), 1u);
  EXPECT_EQ(bytes.substr(4720, 5), std::string("edi\0d", 5));
  EXPECT_EQ(bytes.substr(r + 4720, 5), std::string("abc\0b", 5));
  // No syllable arrays: the one cell is all that is set between the totals and the name.
  size_t nonzero = 0;
  for (size_t k = r + 16; k < r + 4720; ++k) nonzero += bytes[k] != 0;
  EXPECT_EQ(nonzero, 2u + 1u);
}

TEST(Edition1Binary, LoadBdAppends2000RecordsOfThisEdition) {
  TempDir dir;
  std::vector<std::string> keys;
  for (int k = 0; k < 2001; ++k) keys.push_back(std::to_string(1000 + k).substr(1));
  Database source;
  read_keys(source, dir, keys, 0);
  source.record(1999).count = 7;
  source.record(1999).cells[1][2][3][4] = {0.125f, 3};
  std::string path = dir.file("full.bin");
  capture_stdout([&] { source.write_binary(path.c_str()); });
  ASSERT_EQ(dir.read("full.bin").size(), 2001 * kRecord);

  Database db;
  read_keys(db, dir, {"edi"});
  EXPECT_EQ(capture_stdout([&] { db.load(path.c_str(), "-bd"); }),
            " \nbinary database \ncount size = 2001");
  ASSERT_EQ(db.get_records().size(), 2001u);
  const triphone_struct& loaded = db.get_records()[2000];
  EXPECT_EQ(key_of(loaded.name, kRecordNameSize), "999");
  EXPECT_EQ(loaded.count, 7);
  EXPECT_EQ(loaded.cells[1][2][3][4].duration, 0.125f);
  EXPECT_EQ(loaded.cells[1][2][3][4].count, 3);
}

// --- reading and training ---

TEST(Edition1Read, ZeroesEveryStatisticAndEveryRecord) {
  TempDir dir;
  Database db;
  db.mean_abs_error = 1;
  db.mean_rel_error = 2;
  db.predicted_count = 3;
  for (int v = 0; v < kVowelCount; ++v) {
    db.test_count_vowel[v] = db.train_count_vowel[v] = 4;
    db.mean_duration_vowel[v] = db.rel_error_vowel[v] = 5;
  }
  for (int c = 0; c < kConsonantCount; ++c) {
    db.test_count_consonant[c] = db.train_count_consonant[c] = 6;
    db.mean_duration_consonant[c] = db.rel_error_consonant[c] = 7;
  }
  read_keys(db, dir, {"edi", "ab"});
  EXPECT_EQ(db.mean_abs_error, 0.0f);
  EXPECT_EQ(db.mean_rel_error, 0.0f);
  EXPECT_EQ(db.predicted_count, 0);
  for (int v = 0; v < kVowelCount; ++v) {
    EXPECT_EQ(db.test_count_vowel[v] + db.train_count_vowel[v], 0);
    EXPECT_EQ(db.mean_duration_vowel[v] + db.rel_error_vowel[v], 0.0f);
  }
  for (int c = 0; c < kConsonantCount; ++c) {
    EXPECT_EQ(db.test_count_consonant[c] + db.train_count_consonant[c], 0);
    EXPECT_EQ(db.mean_duration_consonant[c] + db.rel_error_consonant[c], 0.0f);
  }
  for (const triphone_struct& r : db.get_records()) {
    EXPECT_EQ(r.mean_duration + r.mean_error, 0.0f);
    EXPECT_EQ(r.count + r.error_count, 0);
    EXPECT_EQ(r.cells[2][6][3][6].count, 0);
    EXPECT_EQ(r.name[3], '\0');
  }
  EXPECT_EQ(std::string(db.get_records()[1].name, 5), std::string("ab\0\0b", 5));
}

TEST(Edition1Training, TokensFillTheTotalAndTheLevel3CellAndMeansFollow) {
  TempDir dir;
  Database db;
  read_keys(db, dir, {"edi", "abc"});
  db.update_database(0, 0.05f, place_at(1, 3, 2));
  db.update_database(0, 0.07f, place_at(1, 3, 2));
  db.update_database(0, 0.09f, place_at(0, 12, 9));  // counts above 6 fall into class 7
  capture_stdout([&] { db.compute_means(); });
  const triphone_struct& edi = db.get_records()[0];
  EXPECT_EQ(edi.count, 3);
  EXPECT_FLOAT_EQ(edi.mean_duration, 0.07f);
  EXPECT_FLOAT_EQ(edi.cells[1][2][3][1].duration, 0.06f);
  EXPECT_EQ(edi.cells[1][2][3][1].count, 2);
  EXPECT_FLOAT_EQ(edi.cells[0][6][3][6].duration, 0.09f);
  EXPECT_TRUE(std::isnan(edi.cells[1][2][2][1].duration));  // levels below 3 stay empty
  // An untrained record has no value in its mean and its cells.
  const triphone_struct& abc = db.get_records()[1];
  EXPECT_TRUE(std::isnan(abc.mean_duration));
  EXPECT_TRUE(std::isnan(abc.cells[0][0][3][0].duration));
}

TEST(Edition1Training, ContextsOutsideTheTableEndTheRunWithTheMessage) {
  TempDir dir;
  for (place_info_struct place : {place_at(3, 1, 1), place_at(0, 0, 1), place_at(0, 1, 0)}) {
    auto r = run_in_child([&] {
      Database db;
      read_keys(db, dir, {"edi"});
      db.update_database(0, 0.1f, place);
    });
    EXPECT_EQ(r.exit_status, 1);
    EXPECT_EQ(r.out, "error in Database::update_database");
    EXPECT_EQ(r.err, "");
  }
}

TEST(Edition1Training, LetterMeansAreTokenWeightedOverTrainedRecords) {
  TempDir dir;
  Database db;
  // a twice, k, an untrained e, a trained Z centre, an untrained d.
  read_keys(db, dir, {"tak", "kap", "aka", "tet", "aZa", "ada"});
  for (int k = 0; k < 3; ++k) db.update_database(0, 0.1f, place_at(0, 1, 1));
  db.update_database(1, 0.2f, place_at(0, 1, 1));
  db.update_database(2, 0.06f, place_at(0, 1, 1));
  db.update_database(4, 0.3f, place_at(0, 1, 1));
  capture_stdout([&] { db.compute_means(); });
  EXPECT_FLOAT_EQ(db.mean_duration_vowel[0], 0.125f);
  EXPECT_EQ(db.train_count_vowel[0], 4);
  EXPECT_FLOAT_EQ(db.mean_duration_consonant[9], 0.06f);
  EXPECT_EQ(db.train_count_consonant[9], 1);
  // e and d have only untrained records; Z is neither class.
  EXPECT_EQ(db.mean_duration_vowel[1], 0.0f);
  EXPECT_EQ(db.train_count_vowel[1], 0);
  EXPECT_EQ(db.mean_duration_consonant[3], 0.0f);
  EXPECT_EQ(db.train_count_consonant[3], 0);
}

// --- estimation ---

// A table with "tak" trained at 0.1 s and "kap" at 0.2 s (letter a: 0.15 s),
// and the untrained "pas" (a), "aZa" (Z) and "ele" (l, never trained).
class Edition1Evaluate : public ::testing::Test {
 protected:
  void SetUp() override {
    read_keys(db, dir, {"tak", "kap", "pas", "aZa", "ele"});
    db.update_database(0, 0.1f, place_at(0, 1, 1));
    db.update_database(1, 0.2f, place_at(0, 1, 1));
    capture_stdout([&] { db.compute_means(); });
  }
  // Evaluates in an impossible context and checks that nothing is printed.
  void evaluate(int index, float actual) {
    EXPECT_EQ(capture_stdout([&] { db.evaluate(index, actual, kNowhere); }), "");
  }
  TempDir dir;
  Database db;
};

TEST_F(Edition1Evaluate, TrainedTriphoneUsesItsOwnMeanAndUntrainedOneItsLettersMean) {
  evaluate(0, 0.12f);  // own mean 0.1, not the letter's 0.15
  EXPECT_FLOAT_EQ(db.get_records()[0].mean_error, 0.02f);
  EXPECT_EQ(db.get_records()[0].error_count, 1);
  evaluate(2, 0.1f);  // untrained: a's mean 0.15
  EXPECT_FLOAT_EQ(db.get_records()[2].mean_error, 0.05f);
  EXPECT_EQ(db.get_records()[2].error_count, 1);
  EXPECT_EQ(db.predicted_count, 2);
  EXPECT_FLOAT_EQ(db.mean_abs_error, 0.07f);
  EXPECT_FLOAT_EQ(db.mean_rel_error, 0.02f / 0.12f + 0.5f);
  EXPECT_FLOAT_EQ(db.rel_error_vowel[0], 0.02f / 0.12f + 0.5f);
  EXPECT_EQ(db.test_count_vowel[0], 2);
}

TEST_F(Edition1Evaluate, TokenWithoutEstimateAddsItsDurationButIsNotPredicted) {
  evaluate(3, 0.05f);  // Z: neither class, no letter mean
  EXPECT_FLOAT_EQ(db.mean_abs_error, 0.05f);
  EXPECT_FLOAT_EQ(db.mean_rel_error, 1.0f);
  EXPECT_EQ(db.predicted_count, 0);
  EXPECT_EQ(db.get_records()[3].mean_error, 0.0f);
  EXPECT_EQ(db.get_records()[3].error_count, 0);
  for (int v = 0; v < kVowelCount; ++v) EXPECT_EQ(db.test_count_vowel[v], 0);
  for (int c = 0; c < kConsonantCount; ++c) EXPECT_EQ(db.test_count_consonant[c], 0);

  evaluate(4, 0.04f);  // l: a consonant without mean
  EXPECT_FLOAT_EQ(db.mean_abs_error, 0.09f);
  EXPECT_FLOAT_EQ(db.mean_rel_error, 2.0f);
  EXPECT_FLOAT_EQ(db.rel_error_consonant[10], 1.0f);
  EXPECT_EQ(db.test_count_consonant[10], 1);
  EXPECT_EQ(db.predicted_count, 0);
  EXPECT_EQ(db.get_records()[4].error_count, 0);
}

TEST_F(Edition1Evaluate, ZeroDurationTokenAddsNoRelativeError) {
  evaluate(1, 0.0f);  // estimate 0.2
  EXPECT_FLOAT_EQ(db.mean_abs_error, 0.2f);
  EXPECT_FLOAT_EQ(db.get_records()[1].mean_error, 0.2f);
  EXPECT_EQ(db.get_records()[1].error_count, 1);
  EXPECT_EQ(db.predicted_count, 1);
  EXPECT_EQ(db.mean_rel_error, 0.0f);
  EXPECT_EQ(db.rel_error_vowel[0], 0.0f);
  EXPECT_EQ(db.test_count_vowel[0], 0);
}

TEST_F(Edition1Evaluate, FinalStatisticsDivideByTheirCountsAndThePredictedTokens) {
  evaluate(0, 0.12f);
  evaluate(0, 0.08f);
  evaluate(3, 0.05f);  // not predicted: in both sums, not in the divisor
  capture_stdout([&] { db.finalize_statistics(); });
  EXPECT_FLOAT_EQ(db.get_records()[0].mean_error, 0.02f);
  EXPECT_TRUE(std::isnan(db.get_records()[1].mean_error));
  EXPECT_FLOAT_EQ(db.rel_error_vowel[0], (0.02f / 0.12f + 0.25f) / 2);
  EXPECT_EQ(db.rel_error_vowel[1], 0.0f);
  EXPECT_FLOAT_EQ(db.mean_abs_error, (0.02f + 0.02f + 0.05f) / 2);
  EXPECT_FLOAT_EQ(db.mean_rel_error, (0.02f / 0.12f + 0.25f + 1.0f) / 2);
}

// --- report ---

// `heading` followed by one line per value.
std::string list(const std::string& heading, const std::vector<std::string>& values) {
  std::string text = heading;
  for (const std::string& v : values) text += v + "\n";
  return text;
}

TEST(Edition1Report, FourTokensGiveTheHandComputedShortReport) {
  TempDir dir;
  Database db;
  // Four triphones of centre a, one token each; each is tested once at 0.1 s.
  read_keys(db, dir, {"tak", "pap", "sas", "lal"});
  const float trained[] = {0.09f, 0.12f, 0.13f, 0.08f};  // errors 0.01 0.02 0.03 0.02
  for (int k = 0; k < 4; ++k) db.update_database(k, trained[k], place_at(0, 1, 1));
  capture_stdout([&] { db.compute_means(); });
  for (int k = 0; k < 4; ++k) db.evaluate(k, 0.1f, kNowhere);
  capture_stdout([&] { db.finalize_statistics(); });
  {
    ScopedWorkingDirectory cwd(dir.path());
    db.write_performance();
  }
  std::vector<std::string> vowel_errors(8, "0");
  vowel_errors[0] = "20";
  std::vector<std::string> vowel_means(8, "0");
  vowel_means[0] = "105";
  std::string expected =
      "Results of Triphone Modelling\nFor triphones \n\nGeneral Error 0.02\n"
      "\nGeneral Error Percentage 20\n";
  expected += list("\nError percentages for vowels\n", vowel_errors);
  expected += list("\nError percentages for consonants\n", std::vector<std::string>(21, "0"));
  expected += list("\nMean durations of vowels\n", vowel_means);
  expected += list("\nMean durations of consonants\n", std::vector<std::string>(21, "0"));
  EXPECT_EQ(dir.read("performance_triphone.txt"), expected);
}

TEST(Edition1Report, NoPredictedTokenGivesValuesWithoutDataButEveryLine) {
  TempDir dir;
  Database db;
  read_keys(db, dir, {"aZa"});
  capture_stdout([&] { db.compute_means(); });
  db.finalize_statistics();  // nothing evaluated: 0 / 0
  {
    ScopedWorkingDirectory cwd(dir.path());
    db.write_performance();
  }
  EXPECT_EQ(dir.read("performance_triphone.txt")
                .rfind("Results of Triphone Modelling\nFor triphones \n\nGeneral Error nan\n"
                       "\nGeneral Error Percentage nan\n",
                       0),
            0u);

  Database other;
  read_keys(other, dir, {"aZa"});
  capture_stdout([&] { other.compute_means(); });
  other.evaluate(0, 0.05f, kNowhere);  // a sum over no predicted token
  other.finalize_statistics();
  {
    ScopedWorkingDirectory cwd(dir.path());
    other.write_performance();
  }
  std::string report = dir.read("performance_triphone.txt");
  EXPECT_NE(report.find("\nGeneral Error inf\n\nGeneral Error Percentage inf\n"),
            std::string::npos);
  EXPECT_EQ(std::count(report.begin(), report.end(), '\n'), 6 + 4 * 2 + 2 * 8 + 2 * 21);
}

TEST(Edition1Report, UnwritableReportEndsTheRun) {
  TempDir dir;
  dir.write("performance_triphone.txt/keep", "");  // a directory in the report's place
  auto r = run_in_child([&] {
    ScopedWorkingDirectory cwd(dir.path());
    Database db;
    db.write_performance();
  });
  EXPECT_EQ(r.exit_status, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "Could not open file performance_triphone.txt to write\n");
}

}  // namespace
}  // namespace segdur::edition1
