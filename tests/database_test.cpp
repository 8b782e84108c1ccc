#include "model/database.h"
#include "model/key_index.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <filesystem>
#include <iterator>
#include <string>
#include <vector>

#include "database_support.h"
#include "test_support.h"

namespace segdur {
namespace {

using namespace testing_support;

std::vector<std::string> keys_of(const Database& db) {
  std::vector<std::string> keys;
  for (const triphone_struct& r : db.get_records()) keys.push_back(key_of(r.name, 8));
  return keys;
}

// --- reading the triphone list ---

TEST(TriphoneList, EachEntryIsThreeLinesKeyedByTheFirstThreeCharactersOfItsFirst) {
  TempDir dir;
  std::string path = dir.write("hepsi.txt", "edi and more\nx\ny\nab\nx\ny\n\nx\ny\nq\n");
  Database db("ortalama");
  // Closed once read: no descriptor is held for the rest of the run.
  const auto open_descriptors = [] {
    return std::distance(std::filesystem::directory_iterator("/proc/self/fd"), std::filesystem::directory_iterator());
  };
  const auto before = open_descriptors();
  std::string out = capture_stdout([&] { db.read(path.c_str(), 8000); });
  EXPECT_EQ(open_descriptors(), before);
  EXPECT_EQ(out, "\nIn read Size of Database is : 4\n");
  // A short line gives a short key, an empty line the empty key; the last
  // entry lacks its second and third lines and still counts.
  EXPECT_EQ(keys_of(db), (std::vector<std::string>{"edi", "ab", "", "q"}));
  const triphone_struct& edi = db.get_records()[0];
  EXPECT_EQ(std::string(edi.name, 5), std::string("edi\0d", 5));
  const triphone_struct& empty = db.get_records()[2];
  EXPECT_EQ(std::string(empty.name, 5), std::string(5, '\0'));
  EXPECT_EQ(db.get_records()[1].name[4], 'b');
  for (const triphone_struct& r : db.get_records()) {
    EXPECT_EQ(r.count, 0);
    EXPECT_EQ(r.mean_duration, 0.0f);
    EXPECT_EQ(r.cells[2][6][3][6].count, 0);
  }
}

TEST(TriphoneList, TheLimitStopsALongList) {
  TempDir dir;
  std::vector<std::string> many;
  for (int k = 0; k < 8001; ++k) many.push_back(std::to_string(100 + k % 900));
  Database big("ortalama");
  read_keys(big, dir, many, 8000);
  EXPECT_EQ(big.get_records().size(), 8000u);
  EXPECT_EQ(big.get_names().size(), 8000u);
}

TEST(TriphoneList, ALimitFarAboveTheListReadsTheWholeList) {
  TempDir dir;
  Database db("ortalama");
  read_keys(db, dir, {"edi", "abc"}, std::numeric_limits<int>::max());
  EXPECT_EQ(keys_of(db), (std::vector<std::string>{"edi", "abc"}));
}

// --- lookup and information ---

TEST(FindTriphone, FirstRecordOfAKeyWinsAndUnlistedKeysGiveMinusOne) {
  TempDir dir;
  Database db("ortalama");
  read_keys(db, dir, {"abc", "edi", "ab", "edi", ""});
  std::string out = capture_stdout([&] {
    EXPECT_EQ(db.find_triphone(element_of("edi")), 1);
    EXPECT_EQ(db.find_triphone(element_of("abc")), 0);
    EXPECT_EQ(db.find_triphone(element_of("ab")), 2);
    EXPECT_EQ(db.find_triphone(element_of("")), 4);
    EXPECT_EQ(db.find_triphone(element_of("xyz")), -1);
    EXPECT_EQ(db.find_triphone(element_of("abd")), -1);
  });
  EXPECT_EQ(out, "");
  EXPECT_TRUE(db.contains("ab"));
  EXPECT_FALSE(db.contains("a"));
}

TEST(PrintInfo, PrintsEveryRecordOfTheNameAndNothingForAnUnlistedName) {
  TempDir dir;
  Database db("ortalama");
  read_keys(db, dir, {"edi", "abc", "edi"});
  db.update_database(0, 0.25f, place_at(0, 1, 1));
  db.update_database(0, 0.5f, place_at(0, 1, 1));
  EXPECT_EQ(capture_stdout([&] { db.print_info("edi"); }),
            "\nInformation for edi\nG. Durat 0.75\n\nG. Count 2\n\nG. Error 0\n\nG. E. Count 0\n"
            "\nInformation for edi\nG. Durat 0\n\nG. Count 0\n\nG. Error 0\n\nG. E. Count 0\n");
  EXPECT_EQ(capture_stdout([&] { db.print_info("xyz"); }), "");
  capture_stdout([&] { db.compute_means(); });
  // The second record has no tokens: its mean has no value.
  EXPECT_EQ(capture_stdout([&] { db.print_info("edi"); }),
            "\nInformation for edi\nG. Durat 0.375\n\nG. Count 2\n\nG. Error 0\n\nG. E. Count 0\n"
            "\nInformation for edi\nG. Durat -nan\n\nG. Count 0\n\nG. Error 0\n\nG. E. Count 0\n");
}

// --- binary form ---

TEST(BinaryDatabase, RecordsAreWrittenAsTheirLittleEndianLayout) {
  TempDir dir;
  Database db("ortalama");
  read_keys(db, dir, {"edi", "abc"});
  // pos 1, 3 words, 2 syllables: cell [1][2][3][1].
  db.update_database(1, 0.25f, place_at(1, 3, 2));
  db.record(1).error_count = -2;
  std::string path = dir.file("db.bin");
  EXPECT_EQ(capture_stdout([&] { db.write_binary(path.c_str()); }), "\nSize of Database : 2\n");
  std::string bytes = dir.read("db.bin");
  ASSERT_EQ(bytes.size(), 2u * 4784u);
  const size_t r = 4784;
  EXPECT_EQ(u32_at(bytes, r + 0), bits_of(0.25f));
  EXPECT_EQ(u32_at(bytes, r + 4), 0u);
  EXPECT_EQ(u32_at(bytes, r + 8), 1u);
  EXPECT_EQ(u32_at(bytes, r + 12), 0xFFFFFFFEu);
  EXPECT_EQ(u32_at(bytes, r + 16 + 4 * 1), bits_of(0.25f));  // syllable_duration[1]
  EXPECT_EQ(u32_at(bytes, r + 44 + 4 * 1), 1u);             // syllable_count[1]
  const size_t cell = r + 72 + 8 * (196 * 1 + 28 * 2 + 7 * 3 + 1);
  EXPECT_EQ(u32_at(bytes, cell), bits_of(0.25f));
  EXPECT_EQ(u32_at(bytes, cell + 4), 1u);
  EXPECT_EQ(bytes.substr(r + 4776, 5), std::string("abc\0b", 5));
  EXPECT_EQ(bytes.substr(4776, 5), std::string("edi\0d", 5));
  // Nothing else of the trained record is set.
  size_t nonzero = 0;
  for (size_t k = r + 16; k < r + 4776; ++k) nonzero += bytes[k] != 0;
  EXPECT_EQ(nonzero, 2u + 1u + 2u + 1u);  // two floats of 0.25 (2 bytes each) and two counts
}

TEST(BinaryDatabase, LoadBdAppendsTheFirst2000RecordsAndStopsAtAShortFileEnd) {
  TempDir dir;
  std::vector<std::string> keys;
  for (int k = 0; k < 2001; ++k) keys.push_back(std::to_string(1000 + k).substr(1));
  Database source("ortalama");
  read_keys(source, dir, keys, 0);
  source.record(5).count = 7;
  std::string full = dir.file("full.bin");
  capture_stdout([&] { source.write_binary(full.c_str()); });

  Database db("ortalama");
  read_keys(db, dir, {"edi"});
  EXPECT_EQ(capture_stdout([&] { db.load(full.c_str(), "-bd"); }),
            " \nbinary database \ncount size = 2001");
  ASSERT_EQ(db.get_records().size(), 2001u);
  EXPECT_EQ(key_of(db.get_records()[1].name, 8), "000");
  EXPECT_EQ(key_of(db.get_records()[2000].name, 8), "999");
  EXPECT_EQ(db.get_records()[6].count, 7);
  // The earlier record of a key keeps winning after a load.
  EXPECT_EQ(db.find_triphone(element_of("005")), 6);

  // Two and a half records: the two whole ones are appended.
  std::string bytes = dir.read("full.bin");
  std::string short_path = dir.write("short.bin", bytes.substr(0, 2 * 4784 + 100));
  Database small("ortalama");
  read_keys(small, dir, {});
  EXPECT_EQ(capture_stdout([&] { small.load(short_path.c_str(), "-bd"); }),
            " \nbinary database \ncount size = 2");
  EXPECT_EQ(keys_of(small), (std::vector<std::string>{"000", "001"}));

  EXPECT_EQ(capture_stdout([&] { small.load(full.c_str(), "-td"); }), "\ncount size = 2");
  EXPECT_EQ(small.get_records().size(), 2u);
}

TEST(BinaryDatabase, InvalidTypeAndUnwritableFileEndTheRun) {
  TempDir dir;
  std::string path = dir.write("any.bin", "");
  auto r = run_in_child([&] {
    Database db("ortalama");
    db.load(path.c_str(), "-xd");
  });
  EXPECT_EQ(r.exit_status, 1);
  EXPECT_EQ(r.out,
            " invalid database type \n Should be -bd for binary database \n-td for text database");
  r = run_in_child([] {
    Database db("ortalama");
    db.write_binary("/nonexistent/db.bin");
  });
  EXPECT_EQ(r.exit_status, 1);
  EXPECT_EQ(r.err, "Could not open file /nonexistent/db.bin to write\n");
}

// --- training and means ---

TEST(Training, TokensAddToTotalCellAndSyllableSumsAndMeansFollow) {
  TempDir dir;
  Database db("ortalama");
  read_keys(db, dir, {"Zal", "elZ"});
  db.update_database(0, 0.05f, place_at(2, 3, 2));
  db.update_database(0, 0.07f, place_at(2, 3, 2));
  // 12 words and 9 syllables fall into the last classes.
  db.update_database(1, 0.09f, place_at(1, 12, 9));
  const triphone_struct& a = db.get_records()[0];
  EXPECT_FLOAT_EQ(a.mean_duration, 0.12f);
  EXPECT_EQ(a.count, 2);
  EXPECT_EQ(a.cells[2][2][3][1].count, 2);
  EXPECT_EQ(a.syllable_count[1], 2);
  EXPECT_EQ(db.get_records()[1].cells[1][6][3][6].count, 1);
  EXPECT_EQ(db.get_records()[1].syllable_count[6], 1);

  capture_stdout([&] { db.compute_means(); });
  EXPECT_FLOAT_EQ(a.mean_duration, 0.06f);
  EXPECT_FLOAT_EQ(a.cells[2][2][3][1].duration, 0.06f);
  EXPECT_FLOAT_EQ(a.syllable_duration[1], 0.06f);
  EXPECT_TRUE(std::isnan(a.syllable_duration[0]));
  EXPECT_TRUE(std::isnan(a.cells[2][2][2][1].duration));
  EXPECT_FLOAT_EQ(db.get_records()[1].cells[1][6][3][6].duration, 0.09f);
}

TEST(Training, ContextsOutsideTheTableEndTheRunWithTheMessage) {
  for (place_info_struct bad : {place_at(3, 1, 1), place_at(-1, 1, 1), place_at(0, 0, 1),
                                place_at(0, 1, 0)}) {
    auto r = run_in_child([&] {
      TempDir dir;
      Database db("ortalama");
      read_keys(db, dir, {"Zal"});
      db.update_database(0, 0.05f, bad);
    });
    EXPECT_EQ(r.exit_status, 1);
    EXPECT_EQ(r.out, "error in Database::update_database");
  }
}

TEST(Training, LetterMeansAreTokenWeightedAndPooledInTheAggregateCells) {
  TempDir dir;
  Database db("ortalama");
  read_keys(db, dir, {"Zal", "lak", "kal", "aZe", "Zkx"});
  for (int k = 0; k < 3; ++k) db.update_database(0, 0.1f, place_at(0, 2, 1));
  db.update_database(1, 0.2f, place_at(0, 2, 1));
  db.update_database(3, 0.4f, place_at(1, 2, 1));   // centre Z: neither class
  db.update_database(4, 0.05f, place_at(1, 2, 1));  // consonant k
  capture_stdout([&] { db.compute_means(); });

  const duration_cell_struct& pooled = db.vowel_aggregate[0].cells[0][1][3][0];
  EXPECT_FLOAT_EQ(pooled.duration, 0.125f);
  EXPECT_EQ(pooled.count, 4);
  EXPECT_TRUE(std::isnan(db.vowel_aggregate[0].cells[1][1][3][0].duration));
  EXPECT_EQ(db.train_count_vowel[0], 4);
  EXPECT_FLOAT_EQ(db.mean_duration_vowel[0], 0.125f);
  // A vowel without a trained record keeps 0, its untrained record ("kal") adds nothing.
  EXPECT_EQ(db.train_count_vowel[1], 0);
  EXPECT_EQ(db.mean_duration_vowel[1], 0.0f);
  EXPECT_EQ(db.train_count_consonant[9], 1);
  EXPECT_FLOAT_EQ(db.mean_duration_consonant[9], 0.05f);
  EXPECT_FLOAT_EQ(db.mean_duration_vowels, 0.125f);
  EXPECT_FLOAT_EQ(db.mean_duration_consonants, 0.05f);
  EXPECT_FLOAT_EQ(db.mean_duration_all, (4 * 0.125f + 0.05f) / 5);
}

TEST(Training, WithOneGroupUntrainedTheOverallMeanIsTheOtherGroupsMean) {
  TempDir dir;
  // Tokens of one group only: that group's mean is the overall mean, the
  // other group's mean has no value.
  for (const char* key : {"ZkZ", "ZaZ"}) {
    Database db("ortalama");
    read_keys(db, dir, {key});
    db.update_database(0, 0.05f, place_at(0, 1, 1));
    db.update_database(0, 0.125f, place_at(0, 1, 1));
    capture_stdout([&] { db.compute_means(); });
    const bool vowel = key[1] == 'a';
    const float group = vowel ? db.mean_duration_vowels : db.mean_duration_consonants;
    EXPECT_FLOAT_EQ(group, 0.0875f) << key;
    EXPECT_TRUE(std::isnan(vowel ? db.mean_duration_consonants : db.mean_duration_vowels)) << key;
    EXPECT_FLOAT_EQ(db.mean_duration_all, group) << key;
  }

  // Neither group trained: 0 / 0 still.
  Database neither("ortalama");
  read_keys(neither, dir, {"ZaZ", "aZk"});
  neither.update_database(1, 0.05f, place_at(0, 1, 1));  // centre Z: neither class
  capture_stdout([&] { neither.compute_means(); });
  EXPECT_TRUE(std::isnan(neither.mean_duration_all));
}

}  // namespace
}  // namespace segdur

namespace segdur {
namespace {

// The key index behind find_triphone and contains: first record wins, every
// key length up to eight bytes, and keys no record can have are never found.
TEST(KeyIndex, FindsTheFirstRecordOfEveryKeyAcrossGrowth) {
  KeyIndex index;
  std::vector<std::string> keys = {"", "a", "ab", "abc", "abcdefgh", "\xC7\xFF\x80"};
  for (int k = 0; k < 9000; ++k) keys.push_back(std::to_string(1000000 + k).substr(1));
  for (std::size_t k = 0; k < keys.size(); ++k) index.add(keys[k], static_cast<int>(k));
  index.add("abc", 99999);  // a duplicate keeps its first record
  for (std::size_t k = 0; k < keys.size(); ++k) EXPECT_EQ(index.find(keys[k]), static_cast<int>(k));
  EXPECT_EQ(index.find("abcdefghi"), -1);
  EXPECT_EQ(index.find(std::string("ab\0", 3)), -1);
  EXPECT_EQ(index.find("abd"), -1);
  EXPECT_EQ(KeyIndex().find(""), -1);
}

}  // namespace
}  // namespace segdur
