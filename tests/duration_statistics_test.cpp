#include "stats/duration_statistics.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "test_support.h"
#include "text/sentence.h"

namespace segdur {
namespace {

namespace fs = std::filesystem;
using testing_support::capture_stdout;
using testing_support::run_in_child;
using testing_support::ScopedWorkingDirectory;
using testing_support::TempDir;

// Syllables ki, tapZ, evZ: open flags 1110000000, syllables in the word
// 2222221111, in-word positions 4 0 0 2 2 2 4 0 0 4.
const std::string kKitap = "ZkitapZevZ";
const std::vector<float> kKitapDurations = {0.125f, 0.25f,  0.375f, 0.5f,   0.625f,
                                            0.75f,  0.875f, 1.0f,   1.125f, 1.25f};
// One closed syllable; e is followed by the nasal m.
const std::string kEm = "ZemZ";
const std::vector<float> kEmDurations = {0.0625f, 0.125f, 0.1875f, 0.25f};

std::string selection(int type, int number, int position) {
  DurationStatistics s("word", type, number, position);
  s.load(kKitap, kKitapDurations);
  std::string flags;
  for (char flag : s.selected) flags += flag ? '1' : '0';
  return flags;
}

// Counts of the eight vowels (or of `n` entries) as one digit each.
std::string digits(const int32_t* counts, int n = kVowelCount) {
  std::string text;
  for (int k = 0; k < n; ++k) text += std::to_string(counts[k]);
  return text;
}

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

const std::string kSuffix = "_allsyllables_all#syllables_word_all.txt";
const std::string kGeneral = "general/general" + kSuffix;
const std::string kGeneralCopy = "general/Cgeneral" + kSuffix;

TEST(DurationStatistics, SelectorsPickPositionsAndFindLetterKeepsTheSelected) {
  EXPECT_EQ(selection(2, 0, 5), "1111111111");
  EXPECT_EQ(selection(1, 0, 5), "1110000000");
  EXPECT_EQ(selection(0, 0, 5), "0001111111");
  EXPECT_EQ(selection(2, 1, 5), "0000001111");
  EXPECT_EQ(selection(2, 0, 0), "0110000110");
  EXPECT_EQ(selection(0, 2, 2), "0001110000");
  EXPECT_EQ(selection(2, 0, 4), "1000001001");
  EXPECT_EQ(selection(3, 0, 5), "0000000000");
  EXPECT_EQ(selection(2, -1, 5), "0000000000");

  DurationStatistics s("word", 2, 0, 5);
  s.load("ZaZaZaZ", std::vector<float>(7, 0.1f));
  EXPECT_EQ(s.find_letter(s.text, 'a'), (std::vector<int>{1, 3, 5}));
  s.selected[3] = 0;
  EXPECT_EQ(s.find_letter(s.text, 'a'), (std::vector<int>{1, 5}));
  EXPECT_TRUE(s.find_letter(s.text, 'e').empty());
  EXPECT_EQ(s.vowel_count[0], 0);  // loading collects nothing
}

TEST(DurationStatistics, ConstructionAndDestructionWriteNothing) {
  TempDir dir;
  ScopedWorkingDirectory cwd(dir.path());
  EXPECT_EQ(capture_stdout([] {
              DurationStatistics s("word", 2, 0, 5);
              s.compute_statistics();  // nothing loaded: nothing found
              EXPECT_EQ(digits(s.vowel_count) + digits(s.contexts[13].count), "0000000000000000");
              EXPECT_EQ(s.vowel_sum[7] + s.vowel_before_consonant_sum[20], 0.0f);
            }),
            "");
  EXPECT_TRUE(fs::is_empty(dir.path()));
}

// kKitap, then kEm, collected with every position selected.
class TwoSentences : public ::testing::Test {
 protected:
  void SetUp() override {
    s.load(kKitap, kKitapDurations);
    s.compute_statistics();
    s.load(kEm, kEmDurations);
    s.compute_statistics();
  }
  DurationStatistics s{"word", 2, 0, 5};
};

TEST_F(TwoSentences, AccumulateSumsCountsAndRecordsInSentenceOrder) {
  // a 0.625 before p (closed), i 0.375 before t (open), e 1.0 before v
  // (closed), then e 0.125 before m (closed).
  EXPECT_EQ(s.vowel_durations[1], (std::vector<float>{1.0f, 0.125f}));
  EXPECT_EQ(digits(s.vowel_count), "12010000");
  EXPECT_EQ(s.vowel_sum[0], 0.625f);
  EXPECT_EQ(s.vowel_sum[1], 1.125f);
  EXPECT_EQ(s.vowel_sum[3], 0.375f);
  EXPECT_EQ(s.consonant_durations[11], (std::vector<float>{0.1875f}));  // m
  EXPECT_EQ(s.consonant_durations[18], (std::vector<float>{1.125f}));   // v
  EXPECT_TRUE(s.consonant_durations[0].empty());
  EXPECT_EQ(digits(s.vowel_before_consonant_count, kConsonantCount), "000000000001010001100");
  EXPECT_EQ(s.vowel_before_consonant_sum[11], 0.125f);
  EXPECT_EQ(s.vowel_before_consonant_sum[17], 0.375f);

  const char* const contexts[kVowelContextCount] = {
      "00010000", "12000000", "01000000", "11010000", "01000000", "11010000", "00000000",
      "12010000", "00000000", "12010000", "10010000", "02000000", "00000000", "12010000"};
  for (int k = 0; k < kVowelContextCount; ++k) {
    EXPECT_EQ(digits(s.contexts[k].count), contexts[k]) << "context " << k;
    for (int v = 0; v < kVowelCount; ++v) {
      EXPECT_EQ(s.contexts[k].durations[v].size(), static_cast<size_t>(s.contexts[k].count[v]));
    }
  }
  EXPECT_EQ(s.contexts[2].sum[1], 0.125f);
  EXPECT_EQ(s.contexts[4].sum[1], 1.0f);
  EXPECT_EQ(s.contexts[5].sum[1], 0.125f);

  const std::vector<PIVD_struct>& e = s.vowel_PIVD_vectors[1];
  ASSERT_EQ(e.size(), 2u);
  const place_info_struct second = Sentence(kEm, "do").get_place_info()[1];
  EXPECT_EQ(e[1].duration, 0.125f);
  EXPECT_EQ(std::memcmp(&e[1].place_info_struct, &second, sizeof second), 0);
  EXPECT_EQ(s.consonant_PIVD_vectors[9].size(), 1u);  // k

  s.compute_statistics();  // the current sentence once more
  EXPECT_EQ(s.vowel_durations[1], (std::vector<float>{1.0f, 0.125f, 0.125f}));
  EXPECT_EQ(s.contexts[2].count[1], 2);
}

TEST(DurationStatistics, SelectorsLimitAllButTheBeforeConsonantCollector) {
  DurationStatistics none("word", 3, 0, 5);
  none.load(kKitap, kKitapDurations);
  none.compute_statistics();
  EXPECT_EQ(digits(none.vowel_count) + digits(none.contexts[0].count) +
                digits(none.contexts[1].count),
            std::string(24, '0'));
  EXPECT_TRUE(none.consonant_durations[9].empty() && none.vowel_PIVD_vectors[0].empty());
  EXPECT_EQ(digits(none.vowel_before_consonant_count, kConsonantCount), "000000000000010001100");

  DurationStatistics open("word", 1, 0, 5);  // only i of ki, in context 0
  open.load(kKitap, kKitapDurations);
  open.compute_statistics();
  EXPECT_EQ(digits(open.contexts[0].count) + digits(open.contexts[1].count), "0001000000000000");
}

TEST(DurationStatistics, LoadRefusesTextsOutsideItsContract) {
  const std::string prefix = "\n in DurationStatistics::load, ";
  const auto load = [](std::string text, size_t n) {
    return run_in_child([&] { DurationStatistics("word", 2, 0, 5).load(text, std::vector<float>(n)); });
  };
  auto r = load("kitapZ", 6);
  EXPECT_EQ(r.exit_status, 1);
  EXPECT_EQ(r.out, prefix + "the text does not begin with Z \n");
  EXPECT_EQ(load("", 0).out, prefix + "the text does not begin with Z \n");
  r = load(kKitap, kKitap.size() - 1);
  EXPECT_EQ(r.exit_status, 1);
  EXPECT_EQ(r.out, prefix + "fewer durations than characters \n");
  r = load("ZevZZelmaZ", 10);  // the doubled separator stops the syllabification
  EXPECT_EQ(r.exit_status, 1);
  const std::string rejected = prefix + "the sentence analysis rejected the text \n";
  ASSERT_GE(r.out.size(), rejected.size());
  EXPECT_EQ(r.out.substr(r.out.size() - rejected.size()), rejected);
}

TEST(DurationStatistics, SelectorsNameTheFiles) {
  struct NameCase {
    int type, number, position;
    const char* prefix;
    const char* name;
  };
  const NameCase cases[] = {
      {2, 0, 5, "vowela", "vowela_allsyllables_all#syllables_word_all.txt"},
      {0, 1, 0, "consonantb", "consonantb_closedsyllables_in_1_syllable_word_init.txt"},
      {1, 7, 2, "vowelii", "vowelii_opensyllables_in_7_syllable_word_final.txt"},
      {3, 0, 5, "vowela", "vowelaall#syllables_word_all.txt"},
      {2, 8, 5, "vowela", "vowela_allsyllables_word_all.txt"},
      {2, 0, 4, "vowela", "vowela_allsyllables_all#syllables_"},
      {-1, 9, -1, "vowela", "vowela"},
  };
  for (const NameCase& c : cases) {
    EXPECT_EQ(DurationStatistics("word", c.type, c.number, c.position).make_file_name(c.prefix),
              c.name);
  }
}

TEST_F(TwoSentences, ExportWritesTheFiftyEightFilesAndTheGeneralReport) {
  TempDir dir;
  ScopedWorkingDirectory cwd(dir.path());
  fs::create_directory("vowel_vectors");  // an existing directory is reused
  EXPECT_EQ(capture_stdout([&] {
              s.write_vector_files();
              s.write_general_statistics();
            }),
            "");
  const std::pair<const char*, int> directories[] = {{"vowel_vectors", 8},
                                                     {"vowel_piv_d_vectors", 8},
                                                     {"consonant_vectors", 21},
                                                     {"consonant_pivd_vectors", 21},
                                                     {"general", 2}};
  for (const auto& [name, count] : directories) {
    EXPECT_EQ(std::distance(fs::directory_iterator(name), fs::directory_iterator()), count);
  }
  EXPECT_EQ(dir.read("vowel_vectors/vowele" + kSuffix), "1\n0.125\n");
  EXPECT_EQ(dir.read("vowel_vectors/vowelii" + kSuffix), "0.375\n");
  EXPECT_EQ(dir.read("vowel_vectors/voweli" + kSuffix), "");
  EXPECT_EQ(dir.read("consonant_vectors/consonantm" + kSuffix), "0.1875\n");
  EXPECT_TRUE(fs::exists("consonant_vectors/consonantss" + kSuffix));
  EXPECT_TRUE(fs::exists("consonant_pivd_vectors/consonant_pivd_gg"));
  EXPECT_EQ(dir.read("vowel_piv_d_vectors/piv_d_vowel_oo"), "");
  const std::vector<std::string> e = lines_of(dir.read("vowel_piv_d_vectors/piv_d_vowel_e"));
  ASSERT_EQ(e.size(), 2u);
  EXPECT_EQ(e[1].substr(e[1].size() - 7), " 0.125 ");

  const std::vector<std::string> lines = lines_of(dir.read(kGeneral));
  ASSERT_EQ(lines.size(), 161u);
  const std::vector<std::string> head(lines.begin(), lines.begin() + 9);
  EXPECT_EQ(head, (std::vector<std::string>{
                      "General Statistical Information", "",
                      " Syllable type syllable_number desired_word_position", "2   0   5",
                      "Vowel Means", "0.625", "0.5625", lines[7], "0.375"}));
  EXPECT_TRUE(std::isnan(std::strtof(lines[7].c_str(), nullptr))) << lines[7];
  // Headings of the before-consonant block and of contexts 0, 10 and 11.
  EXPECT_EQ(lines[13], "Vowel Means Before Consonants");
  EXPECT_EQ(lines[35], "Vowel Means In Open Syllables");
  EXPECT_EQ(lines[35 + 9 * 10], "Vowel Means Before Unvoiced Stop  vowels");
  EXPECT_EQ(lines[35 + 9 * 11], "Vowel Means Before Before Not Unvoiced Stop vowels");
  EXPECT_EQ(lines[35 + 9 * 13], "Vowel Means Before NOT Semi-vowels");
  EXPECT_EQ(lines[14 + 11], "0.125");  // vowels before m

  // The copy holds every word of the report on a line of its own, ',' for '.'.
  const std::vector<std::string> words = lines_of(dir.read(kGeneralCopy));
  std::istringstream report(dir.read(kGeneral));
  std::vector<std::string> expected;
  for (std::string word; report >> word;) {
    for (char& c : word) c = c == '.' ? ',' : c;
    expected.push_back(word);
  }
  EXPECT_EQ(words, expected);
  EXPECT_EQ(std::vector<std::string>(words.begin(), words.begin() + 14),
            (std::vector<std::string>{"General", "Statistical", "Information", "Syllable", "type",
                                      "syllable_number", "desired_word_position", "2", "0", "5",
                                      "Vowel", "Means", "0,625", "0,5625"}));

  s.write_general_statistics();  // divides the means once more
  EXPECT_EQ(lines_of(dir.read(kGeneral))[6], "0.28125");
  EXPECT_EQ(lines_of(dir.read(kGeneralCopy))[13], "0,28125");
}

TEST(DurationStatistics, EmptyObjectExportsEmptyFilesAndNotANumber) {
  TempDir dir;
  ScopedWorkingDirectory cwd(dir.path());
  DurationStatistics s("word", 2, 0, 5);
  s.write_vector_files();
  s.write_general_statistics();
  EXPECT_EQ(dir.read("consonant_pivd_vectors/consonant_pivd_z"), "");
  int not_numbers = 0;
  for (const std::string& value : lines_of(dir.read(kGeneral))) {
    char* end = nullptr;
    const float parsed = std::strtof(value.c_str(), &end);
    not_numbers += !value.empty() && *end == '\0' && std::isnan(parsed);
  }
  EXPECT_EQ(not_numbers, 141);
}

TEST(DurationStatistics, ExportOfBadLettersAndUnmakeableDirectories) {
  TempDir dir;
  ScopedWorkingDirectory cwd(dir.path());
  fs::create_directory("vowel_piv_d_vectors");
  DurationStatistics s("word", 2, 0, 5);
  EXPECT_EQ(capture_stdout([&] {
              for (char c : {'Z', 'b', 'A'}) s.write_vowel_vector(c);
              for (char c : {'a', 'Z'}) s.write_consonant_vector(c);
              s.write_vowel_PIVD_vector('b');
            }),
            "");
  EXPECT_TRUE(fs::is_empty("vowel_piv_d_vectors"));
  for (char c : {'a', 'Z', static_cast<char>(0xC7)}) {
    const auto r = run_in_child([&] { s.write_consonant_PIVD_vector(c); });
    EXPECT_EQ(r.exit_status, 1);
    EXPECT_EQ(r.out, "illegal consonant\n error in consonant writing");
  }
  EXPECT_FALSE(fs::exists("consonant_pivd_vectors"));

  dir.write("general", "a file in the way");
  dir.write("vowel_vectors", "a file in the way");
  auto r = run_in_child([&] { s.write_general_statistics(); });
  EXPECT_EQ(r.exit_status, 1);
  EXPECT_EQ(r.err, "Could not open file " + kGeneral + " to write\n");
  r = run_in_child([&] { s.write_vector_files(); });
  EXPECT_EQ(r.exit_status, 1);
  EXPECT_EQ(r.err, "Could not open file vowel_vectors/vowela" + kSuffix + " to write\n");
}

}  // namespace
}  // namespace segdur
