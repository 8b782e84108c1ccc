#include "edition1/database.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "database_support.h"
#include "test_support.h"

namespace segdur::edition1 {
namespace {

using namespace testing_support;

constexpr size_t kRecord = 4728;

// --- record and binary form ---

TEST(Edition1Binary, RecordsAre4728BytesWithTheCellsAtOffset16AndLoadBack) {
  TempDir dir;
  std::vector<std::string> keys;
  for (int k = 0; k < 2001; ++k) keys.push_back(std::to_string(1000 + k).substr(1));
  Database db;
  read_keys(db, dir, keys, 0);
  // pos 2, 9 words, 8 syllables: cell [2][6][3][6].
  db.update_database(1, 0.25f, place_at(2, 9, 8));
  db.record(1).mean_error = 0.5f;
  db.record(1).error_count = -2;
  std::string path = dir.file("db.bin");
  EXPECT_EQ(capture_stdout([&] { db.write_binary(path.c_str()); }), "\nSize of Database : 2001\n");
  std::string bytes = dir.read("db.bin");
  ASSERT_EQ(bytes.size(), 2001 * kRecord);
  const size_t r = kRecord;
  EXPECT_EQ(u32_at(bytes, r + 0), bits_of(0.25f));
  EXPECT_EQ(u32_at(bytes, r + 4), bits_of(0.5f));
  EXPECT_EQ(u32_at(bytes, r + 8), 1u);
  EXPECT_EQ(u32_at(bytes, r + 12), 0xFFFFFFFEu);
  const size_t cell = r + 16 + 8 * (196 * 2 + 28 * 6 + 7 * 3 + 6);
  EXPECT_EQ(u32_at(bytes, cell), bits_of(0.25f));
  EXPECT_EQ(u32_at(bytes, cell + 4), 1u);
  EXPECT_EQ(bytes.substr(4720, 5), std::string("000\0""0", 5));
  EXPECT_EQ(bytes.substr(r + 4720, 5), std::string("001\0""0", 5));
  // No syllable arrays: the one cell is all that is set between the totals and the name.
  size_t nonzero = 0;
  for (size_t k = r + 16; k < r + 4720; ++k) nonzero += bytes[k] != 0;
  EXPECT_EQ(nonzero, 2u + 1u);

  // "-bd" appends the first 2000 records of the file.
  Database loaded;
  read_keys(loaded, dir, {"edi"});
  EXPECT_EQ(capture_stdout([&] { loaded.load(path.c_str(), "-bd"); }),
            " \nbinary database \ncount size = 2001");
  ASSERT_EQ(loaded.get_records().size(), 2001u);
  const triphone_struct& back = loaded.get_records()[2];
  EXPECT_EQ(key_of(back.name, kRecordNameSize), "001");
  EXPECT_EQ(back.error_count, -2);
  EXPECT_EQ(back.cells[2][6][3][6].count, 1);
  EXPECT_EQ(key_of(loaded.get_records()[2000].name, kRecordNameSize), "999");
}

// --- reading and training ---

TEST(Edition1Read, ZeroesEveryStatistic) {
  TempDir dir;
  Database db;
  db.mean_abs_error = db.mean_rel_error = 1;
  db.predicted_count = 3;
  db.test_count_vowel[7] = db.train_count_vowel[7] = db.test_count_consonant[20] = 4;
  db.train_count_consonant[20] = 4;
  db.mean_duration_vowel[7] = db.rel_error_vowel[7] = db.mean_duration_consonant[20] = 5;
  db.rel_error_consonant[20] = 5;
  read_keys(db, dir, {"edi"});
  EXPECT_EQ(db.mean_abs_error + db.mean_rel_error, 0.0f);
  EXPECT_EQ(db.predicted_count + db.test_count_vowel[7] + db.train_count_vowel[7], 0);
  EXPECT_EQ(db.test_count_consonant[20] + db.train_count_consonant[20], 0);
  EXPECT_EQ(db.mean_duration_vowel[7] + db.rel_error_vowel[7], 0.0f);
  EXPECT_EQ(db.mean_duration_consonant[20] + db.rel_error_consonant[20], 0.0f);
}

TEST(Edition1Training, TokensFillTotalsAndLevel3CellsAndTokenWeightedLetterMeans) {
  TempDir dir;
  Database db;
  // Two records of a, one of k, an untrained e, a trained Z centre.
  read_keys(db, dir, {"tak", "kap", "aka", "tet", "aZa"});
  db.update_database(0, 0.05f, place_at(1, 3, 2));
  db.update_database(0, 0.07f, place_at(1, 3, 2));
  db.update_database(0, 0.18f, place_at(0, 12, 9));  // counts above 6 fall into class 7
  db.update_database(1, 0.2f, place_at(0, 1, 1));
  db.update_database(2, 0.06f, place_at(0, 1, 1));
  db.update_database(4, 0.3f, place_at(0, 1, 1));
  capture_stdout([&] { db.compute_means(); });
  const triphone_struct& tak = db.get_records()[0];
  EXPECT_EQ(tak.count, 3);
  EXPECT_FLOAT_EQ(tak.mean_duration, 0.1f);
  EXPECT_FLOAT_EQ(tak.cells[1][2][3][1].duration, 0.06f);
  EXPECT_EQ(tak.cells[1][2][3][1].count, 2);
  EXPECT_FLOAT_EQ(tak.cells[0][6][3][6].duration, 0.18f);
  EXPECT_TRUE(std::isnan(tak.cells[1][2][2][1].duration));  // levels below 3 stay empty
  EXPECT_TRUE(std::isnan(db.get_records()[3].mean_duration));
  EXPECT_FLOAT_EQ(db.mean_duration_vowel[0], 0.125f);  // (3 x 0.1 + 0.2) / 4
  EXPECT_EQ(db.train_count_vowel[0], 4);
  EXPECT_FLOAT_EQ(db.mean_duration_consonant[9], 0.06f);
  // e has only an untrained record; Z is neither class.
  EXPECT_EQ(db.mean_duration_vowel[1], 0.0f);
  EXPECT_EQ(db.train_count_vowel[1], 0);

  auto r = run_in_child([&] { db.update_database(0, 0.1f, place_at(3, 1, 1)); });
  EXPECT_EQ(r.exit_status, 1);
  EXPECT_EQ(r.out, "error in Database::update_database");
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
  // Evaluates in a context no cell has and checks that nothing is printed.
  void evaluate(int index, float actual) {
    EXPECT_EQ(capture_stdout([&] { db.evaluate(index, actual, place_at(7, -3, 0)); }), "");
  }
  TempDir dir;
  Database db;
};

TEST_F(Edition1Evaluate, OwnMeanThenLetterMeanAndFinalStatisticsOverPredictedTokens) {
  evaluate(0, 0.12f);  // own mean 0.1, not the letter's 0.15
  evaluate(0, 0.08f);
  evaluate(2, 0.1f);  // untrained: a's mean 0.15
  EXPECT_EQ(db.predicted_count, 3);
  EXPECT_EQ(db.get_records()[2].error_count, 1);
  EXPECT_EQ(db.test_count_vowel[0], 3);
  capture_stdout([&] { db.finalize_statistics(); });
  EXPECT_FLOAT_EQ(db.get_records()[0].mean_error, 0.02f);
  EXPECT_FLOAT_EQ(db.get_records()[2].mean_error, 0.05f);
  EXPECT_TRUE(std::isnan(db.get_records()[1].mean_error));
  const float relative = 0.02f / 0.12f + 0.25f + 0.5f;
  EXPECT_FLOAT_EQ(db.rel_error_vowel[0], relative / 3);
  EXPECT_EQ(db.rel_error_vowel[1], 0.0f);
  EXPECT_FLOAT_EQ(db.mean_abs_error, 0.09f / 3);
  EXPECT_FLOAT_EQ(db.mean_rel_error, relative / 3);
}

TEST_F(Edition1Evaluate, TokensWithoutEstimateOrWithoutDurationCountOnlyWhereTheyBelong) {
  evaluate(3, 0.05f);  // Z: no estimate, in the overall sums only
  EXPECT_FLOAT_EQ(db.mean_abs_error, 0.05f);
  EXPECT_FLOAT_EQ(db.mean_rel_error, 1.0f);
  EXPECT_EQ(db.get_records()[3].mean_error, 0.0f);
  for (int v = 0; v < kVowelCount; ++v) EXPECT_EQ(db.test_count_vowel[v], 0);
  for (int c = 0; c < kConsonantCount; ++c) EXPECT_EQ(db.test_count_consonant[c], 0);
  evaluate(4, 0.04f);  // l: a consonant without mean, no estimate
  EXPECT_FLOAT_EQ(db.rel_error_consonant[10], 1.0f);
  EXPECT_EQ(db.get_records()[4].error_count, 0);
  EXPECT_EQ(db.predicted_count, 0);
  evaluate(1, 0.0f);  // estimate 0.2, no relative error
  EXPECT_FLOAT_EQ(db.mean_abs_error, 0.29f);
  EXPECT_FLOAT_EQ(db.get_records()[1].mean_error, 0.2f);
  EXPECT_EQ(db.get_records()[1].error_count, 1);
  EXPECT_EQ(db.predicted_count, 1);
  EXPECT_FLOAT_EQ(db.mean_rel_error, 2.0f);
  EXPECT_EQ(db.test_count_vowel[0], 0);
}

// --- report ---

// The short report with the two overall figures, the vowel a's relative
// error and mean duration as given, and 0 for every other letter.
std::string short_report(const std::string& error, const std::string& percentage,
                         const std::string& a_error, const std::string& a_duration) {
  auto list = [](const std::string& heading, int n, const std::string& first) {
    std::string text = heading + first + "\n";
    for (int k = 1; k < n; ++k) text += "0\n";
    return text;
  };
  return "Results of Triphone Modelling\nFor triphones \n\nGeneral Error " + error +
         "\n\nGeneral Error Percentage " + percentage + "\n" +
         list("\nError percentages for vowels\n", 8, a_error) +
         list("\nError percentages for consonants\n", 21, "0") +
         list("\nMean durations of vowels\n", 8, a_duration) +
         list("\nMean durations of consonants\n", 21, "0");
}

TEST(Edition1Report, FourTokensGiveTheHandComputedShortReport) {
  TempDir dir;
  ScopedWorkingDirectory cwd(dir.path());
  Database db;
  // Four triphones of centre a, one token each; each is tested once at 0.1 s.
  read_keys(db, dir, {"tak", "pap", "sas", "lal"});
  const float trained[] = {0.09f, 0.12f, 0.13f, 0.08f};  // errors 0.01 0.02 0.03 0.02
  for (int k = 0; k < 4; ++k) db.update_database(k, trained[k], place_at(0, 1, 1));
  capture_stdout([&] { db.compute_means(); });
  for (int k = 0; k < 4; ++k) db.evaluate(k, 0.1f, place_at(0, 1, 1));
  db.finalize_statistics();
  db.write_performance();
  EXPECT_EQ(dir.read("performance_triphone.txt"), short_report("0.02", "20", "20", "105"));

  // Nothing predicted: the overall figures are 0 / 0, every line is still there.
  Database empty;
  read_keys(empty, dir, {"aZa"});
  capture_stdout([&] { empty.compute_means(); });
  empty.finalize_statistics();
  empty.write_performance();
  EXPECT_EQ(dir.read("performance_triphone.txt"), short_report("-nan", "-nan", "0", "0"));
}

}  // namespace
}  // namespace segdur::edition1
