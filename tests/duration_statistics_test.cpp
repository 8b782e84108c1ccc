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

using testing_support::capture_stdout;
using testing_support::run_in_child;
using testing_support::ScopedWorkingDirectory;
using testing_support::TempDir;

// Syllables ki, tapZ, evZ: open flags 1 1 1 0 0 0 0 0 0 0, syllables in the
// word 2 2 2 2 2 2 1 1 1 1, in-word positions 4 0 0 2 2 2 4 0 0 4.
const std::string kKitap = "ZkitapZevZ";
const std::vector<float> kKitapDurations = {0.125f, 0.25f, 0.375f, 0.5f, 0.625f,
                                            0.75f,  0.875f, 1.0f,  1.125f, 1.25f};
// One closed syllable emZ; e is followed by the nasal m.
const std::string kEm = "ZemZ";
const std::vector<float> kEmDurations = {0.0625f, 0.125f, 0.1875f, 0.25f};

std::string selection(int type, int number, int position) {
  DurationStatistics statistics("word", type, number, position);
  statistics.load(kKitap, kKitapDurations);
  std::string flags;
  for (char flag : statistics.selected) flags += flag ? '1' : '0';
  return flags;
}

TEST(DurationStatisticsSelection, SelectorsPickPositionsOfTheLoadedSentence) {
  EXPECT_EQ(selection(2, 0, 5), "1111111111");
  EXPECT_EQ(selection(1, 0, 5), "1110000000");
  EXPECT_EQ(selection(0, 0, 5), "0001111111");
  EXPECT_EQ(selection(2, 1, 5), "0000001111");
  EXPECT_EQ(selection(2, 2, 5), "1111110000");
  EXPECT_EQ(selection(2, 0, 0), "0110000110");
  EXPECT_EQ(selection(2, 0, 2), "0001110000");
  EXPECT_EQ(selection(0, 2, 2), "0001110000");
  EXPECT_EQ(selection(2, 0, 4), "1000001001");
  // Values outside the selector sets select no letter.
  EXPECT_EQ(selection(3, 0, 5), "0000000000");
  EXPECT_EQ(selection(2, -1, 5), "0000000000");
  EXPECT_EQ(selection(2, 0, 3), "0000000000");
}

TEST(DurationStatisticsSelection, FindLetterReturnsSelectedOccurrencesAscending) {
  DurationStatistics statistics("word", 2, 0, 5);
  statistics.load("ZaZaZaZ", std::vector<float>(7, 0.1f));
  EXPECT_EQ(statistics.find_letter(statistics.text, 'a'), (std::vector<int>{1, 3, 5}));
  statistics.selected[3] = 0;
  EXPECT_EQ(statistics.find_letter(statistics.text, 'a'), (std::vector<int>{1, 5}));
  EXPECT_TRUE(statistics.find_letter(statistics.text, 'e').empty());

  DurationStatistics none("word", 3, 0, 5);
  none.load(kKitap, kKitapDurations);
  EXPECT_TRUE(none.find_letter(none.text, 'a').empty());
}

TEST(DurationStatisticsSelection, LoadCopiesTheAnalysisAndLeavesAccumulatorsAlone) {
  DurationStatistics statistics("word", 2, 0, 5);
  statistics.load(kKitap, kKitapDurations);
  EXPECT_EQ(statistics.text, kKitap);
  EXPECT_EQ(statistics.durations, kKitapDurations);
  EXPECT_EQ(statistics.open_syllable, (std::vector<int>{1, 1, 1, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(statistics.syllables_in_word, (std::vector<int>{2, 2, 2, 2, 2, 2, 1, 1, 1, 1}));
  EXPECT_EQ(statistics.in_word_position, (std::vector<int>{4, 0, 0, 2, 2, 2, 4, 0, 0, 4}));
  EXPECT_EQ(statistics.place_info.size(), kKitap.size());
  EXPECT_EQ(statistics.sentence.get_text(), kKitap);
  EXPECT_EQ(statistics.vowel_count[0], 0);
  EXPECT_TRUE(statistics.vowel_durations[0].empty());
}

TEST(DurationStatisticsSelection, NewObjectIsEmptyAndItsLifetimeWritesNothing) {
  TempDir dir;
  ScopedWorkingDirectory cwd(dir.path());
  const std::string out = capture_stdout([] {
    DurationStatistics statistics("word", 2, 0, 5);
    for (int v = 0; v < kVowelCount; ++v) {
      EXPECT_EQ(statistics.vowel_sum[v], 0.0f);
      EXPECT_EQ(statistics.vowel_count[v], 0);
      for (const vowel_context_struct& context : statistics.contexts) {
        EXPECT_EQ(context.sum[v], 0.0f);
        EXPECT_EQ(context.count[v], 0);
        EXPECT_TRUE(context.durations[v].empty());
      }
    }
    for (int c = 0; c < kConsonantCount; ++c) {
      EXPECT_EQ(statistics.vowel_before_consonant_sum[c], 0.0f);
      EXPECT_EQ(statistics.vowel_before_consonant_count[c], 0);
    }
    // Collecting without a loaded sentence finds nothing.
    statistics.compute_statistics();
    for (int v = 0; v < kVowelCount; ++v) EXPECT_TRUE(statistics.vowel_PIVD_vectors[v].empty());
  });
  EXPECT_EQ(out, "");
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

// Counts and sums of one context for the vowels a e I i o O u U.
void expect_context(const DurationStatistics& s, int k, std::vector<int> counts,
                    std::vector<float> sums) {
  for (int v = 0; v < kVowelCount; ++v) {
    EXPECT_EQ(s.contexts[k].count[v], counts[v]) << "context " << k << " vowel " << v;
    EXPECT_EQ(s.contexts[k].sum[v], sums[v]) << "context " << k << " vowel " << v;
    EXPECT_EQ(s.contexts[k].durations[v].size(), static_cast<size_t>(counts[v]));
  }
}

bool same_codes(const place_info_struct& a, const place_info_struct& b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

// kKitap then kEm, both collected with all positions selected.
class TwoSentences : public ::testing::Test {
 protected:
  void SetUp() override {
    statistics.load(kKitap, kKitapDurations);
    statistics.compute_statistics();
    statistics.load(kEm, kEmDurations);
    statistics.compute_statistics();
  }
  DurationStatistics statistics{"word", 2, 0, 5};
};

TEST_F(TwoSentences, VowelsAndConsonantsAccumulateInSentenceOrder) {
  const DurationStatistics& s = statistics;
  EXPECT_EQ(s.vowel_durations[0], (std::vector<float>{0.625f}));
  EXPECT_EQ(s.vowel_durations[1], (std::vector<float>{1.0f, 0.125f}));
  EXPECT_EQ(s.vowel_durations[3], (std::vector<float>{0.375f}));
  EXPECT_TRUE(s.vowel_durations[2].empty());
  const int counts[kVowelCount] = {1, 2, 0, 1, 0, 0, 0, 0};
  const float sums[kVowelCount] = {0.625f, 1.125f, 0, 0.375f, 0, 0, 0, 0};
  for (int v = 0; v < kVowelCount; ++v) {
    EXPECT_EQ(s.vowel_count[v], counts[v]);
    EXPECT_EQ(s.vowel_sum[v], sums[v]);
  }
  EXPECT_EQ(s.consonant_durations[9], (std::vector<float>{0.25f}));     // k
  EXPECT_EQ(s.consonant_durations[17], (std::vector<float>{0.5f}));     // t
  EXPECT_EQ(s.consonant_durations[13], (std::vector<float>{0.75f}));    // p
  EXPECT_EQ(s.consonant_durations[18], (std::vector<float>{1.125f}));   // v
  EXPECT_EQ(s.consonant_durations[11], (std::vector<float>{0.1875f}));  // m
  EXPECT_TRUE(s.consonant_durations[0].empty());
}

TEST_F(TwoSentences, VowelsBeforeConsonantsArePooledByTheFollowingConsonant) {
  const DurationStatistics& s = statistics;
  for (int c = 0; c < kConsonantCount; ++c) {
    const float expected = c == 17 ? 0.375f : c == 13 ? 0.625f : c == 18 ? 1.0f
                                            : c == 11 ? 0.125f : 0.0f;
    EXPECT_EQ(s.vowel_before_consonant_sum[c], expected) << c;
    EXPECT_EQ(s.vowel_before_consonant_count[c], expected != 0.0f ? 1 : 0) << c;
    EXPECT_EQ(s.vowel_before_consonant_durations[c].size(), expected != 0.0f ? 1u : 0u);
  }
}

TEST_F(TwoSentences, VowelContextsSortEachVowelOncePerPair) {
  const DurationStatistics& s = statistics;
  // a 0.625 before p (closed), e 1.0 before v (closed), i 0.375 before t
  // (open), e 0.125 before m (closed).
  expect_context(s, 0, {0, 0, 0, 1, 0, 0, 0, 0}, {0, 0, 0, 0.375f, 0, 0, 0, 0});
  expect_context(s, 1, {1, 2, 0, 0, 0, 0, 0, 0}, {0.625f, 1.125f, 0, 0, 0, 0, 0, 0});
  expect_context(s, 2, {0, 1, 0, 0, 0, 0, 0, 0}, {0, 0.125f, 0, 0, 0, 0, 0, 0});
  expect_context(s, 3, {1, 1, 0, 1, 0, 0, 0, 0}, {0.625f, 1.0f, 0, 0.375f, 0, 0, 0, 0});
  expect_context(s, 4, {0, 1, 0, 0, 0, 0, 0, 0}, {0, 1.0f, 0, 0, 0, 0, 0, 0});
  expect_context(s, 5, {1, 1, 0, 1, 0, 0, 0, 0}, {0.625f, 0.125f, 0, 0.375f, 0, 0, 0, 0});
  for (int k : {6, 8, 12}) expect_context(s, k, {0, 0, 0, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0, 0, 0});
  for (int k : {7, 9, 13}) {
    expect_context(s, k, {1, 2, 0, 1, 0, 0, 0, 0}, {0.625f, 1.125f, 0, 0.375f, 0, 0, 0, 0});
  }
  expect_context(s, 10, {1, 0, 0, 1, 0, 0, 0, 0}, {0.625f, 0, 0, 0.375f, 0, 0, 0, 0});
  expect_context(s, 11, {0, 2, 0, 0, 0, 0, 0, 0}, {0, 1.125f, 0, 0, 0, 0, 0, 0});
  EXPECT_EQ(s.contexts[1].durations[1], (std::vector<float>{1.0f, 0.125f}));
}

TEST_F(TwoSentences, RecordsCarryTheCodesOfTheirOwnPosition) {
  const std::vector<place_info_struct> kitap = Sentence(kKitap, "do").get_place_info();
  const std::vector<place_info_struct> em = Sentence(kEm, "do").get_place_info();
  const std::vector<PIVD_struct>& e = statistics.vowel_PIVD_vectors[1];
  ASSERT_EQ(e.size(), 2u);
  EXPECT_EQ(e[0].duration, 1.0f);
  EXPECT_TRUE(same_codes(e[0].place_info_struct, kitap[7]));
  EXPECT_EQ(e[1].duration, 0.125f);
  EXPECT_TRUE(same_codes(e[1].place_info_struct, em[1]));
  const std::vector<PIVD_struct>& m = statistics.consonant_PIVD_vectors[11];
  ASSERT_EQ(m.size(), 1u);
  EXPECT_TRUE(same_codes(m[0].place_info_struct, em[2]));
  EXPECT_EQ(statistics.consonant_PIVD_vectors[9].size(), 1u);
}

TEST_F(TwoSentences, CollectingTheCurrentSentenceAgainCountsItTwice) {
  statistics.compute_statistics();
  EXPECT_EQ(statistics.vowel_count[1], 3);
  EXPECT_EQ(statistics.vowel_durations[1], (std::vector<float>{1.0f, 0.125f, 0.125f}));
  EXPECT_EQ(statistics.contexts[2].count[1], 2);
  EXPECT_EQ(statistics.vowel_before_consonant_count[11], 2);
}

TEST(DurationStatisticsCollection, SelectorsLimitAllButTheBeforeConsonantCollector) {
  DurationStatistics none("word", 3, 0, 5);
  none.load(kKitap, kKitapDurations);
  none.compute_statistics();
  for (int v = 0; v < kVowelCount; ++v) {
    EXPECT_EQ(none.vowel_count[v], 0);
    EXPECT_TRUE(none.vowel_PIVD_vectors[v].empty());
    for (const vowel_context_struct& context : none.contexts) EXPECT_EQ(context.count[v], 0);
  }
  for (int c = 0; c < kConsonantCount; ++c) EXPECT_TRUE(none.consonant_durations[c].empty());
  EXPECT_EQ(none.vowel_before_consonant_count[17], 1);
  EXPECT_EQ(none.vowel_before_consonant_count[13], 1);
  EXPECT_EQ(none.vowel_before_consonant_count[18], 1);

  // Open syllables only: i of ki goes to context 0, context 1 stays empty.
  DurationStatistics open("word", 1, 0, 5);
  open.load(kKitap, kKitapDurations);
  open.compute_statistics();
  EXPECT_EQ(open.vowel_count[3], 1);
  EXPECT_EQ(open.vowel_count[0], 0);
  EXPECT_EQ(open.contexts[0].count[3], 1);
  for (int v = 0; v < kVowelCount; ++v) EXPECT_EQ(open.contexts[1].count[v], 0);
}

TEST(DurationStatisticsLoad, RefusesTextsOutsideItsContract) {
  const std::string prefix = "\n in DurationStatistics::load, ";
  auto r = run_in_child([] { DurationStatistics("word", 2, 0, 5).load("kitapZ", {1, 1, 1, 1, 1, 1}); });
  EXPECT_EQ(r.exit_status, 1);
  EXPECT_EQ(r.out, prefix + "the text does not begin with Z \n");
  r = run_in_child([] { DurationStatistics("word", 2, 0, 5).load("", {}); });
  EXPECT_EQ(r.exit_status, 1);
  EXPECT_EQ(r.out, prefix + "the text does not begin with Z \n");
  r = run_in_child([] {
    DurationStatistics("word", 2, 0, 5).load(kKitap, std::vector<float>(kKitap.size() - 1, 0.1f));
  });
  EXPECT_EQ(r.exit_status, 1);
  EXPECT_EQ(r.out, prefix + "fewer durations than characters \n");
  // A doubled separator stops the syllabification: the analysis rejects it.
  r = run_in_child([] { DurationStatistics("word", 2, 0, 5).load("ZevZZelmaZ", std::vector<float>(10, 0.1f)); });
  EXPECT_EQ(r.exit_status, 1);
  const std::string rejected = prefix + "the sentence analysis rejected the text \n";
  ASSERT_GE(r.out.size(), rejected.size());
  EXPECT_EQ(r.out.substr(r.out.size() - rejected.size()), rejected);
  r = run_in_child([] { DurationStatistics("word", 2, 0, 5).load("Z", {0.1f}); });
  EXPECT_EQ(r.exit_status, 1);
}

TEST(DurationStatisticsFileNames, SelectorsNameTheFiles) {
  struct NameCase {
    int type, number, position;
    const char* prefix;
    const char* name;
  };
  const NameCase cases[] = {
      {2, 0, 5, "vowela", "vowela_allsyllables_all#syllables_word_all.txt"},
      {0, 1, 0, "consonantb", "consonantb_closedsyllables_in_1_syllable_word_init.txt"},
      {1, 7, 2, "vowelii", "vowelii_opensyllables_in_7_syllable_word_final.txt"},
      {2, 3, 1, "general", "general_allsyllables_in_3_syllable_word_mid.txt"},
      {3, 0, 5, "vowela", "vowelaall#syllables_word_all.txt"},
      {-1, 0, 5, "vowela", "vowelaall#syllables_word_all.txt"},
      {2, 8, 5, "vowela", "vowela_allsyllables_word_all.txt"},
      {2, -1, 5, "vowela", "vowela_allsyllables_word_all.txt"},
      {2, 0, 4, "vowela", "vowela_allsyllables_all#syllables_"},
      {2, 0, 3, "vowela", "vowela_allsyllables_all#syllables_"},
      {2, 0, 6, "vowela", "vowela_allsyllables_all#syllables_"},
      {9, 9, 9, "vowela", "vowela"},
  };
  for (const NameCase& c : cases) {
    DurationStatistics statistics("word", c.type, c.number, c.position);
    EXPECT_EQ(statistics.make_file_name(c.prefix), c.name);
  }
}

// The lines of a text, without their line ends.
std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

const char* const kGeneral = "general/general_allsyllables_all#syllables_word_all.txt";
const char* const kGeneralCopy = "general/Cgeneral_allsyllables_all#syllables_word_all.txt";

TEST_F(TwoSentences, FullExportWritesEveryFileUnderItsName) {
  TempDir dir;
  ScopedWorkingDirectory cwd(dir.path());
  EXPECT_EQ(capture_stdout([&] {
              statistics.write_vector_files();
              statistics.write_general_statistics();
            }),
            "");
  const std::pair<const char*, size_t> directories[] = {{"vowel_vectors", 8},
                                                        {"vowel_piv_d_vectors", 8},
                                                        {"consonant_vectors", 21},
                                                        {"consonant_pivd_vectors", 21},
                                                        {"general", 2}};
  for (const auto& [name, count] : directories) {
    size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir.file(name))) {
      EXPECT_TRUE(entry.is_regular_file());
      ++files;
    }
    EXPECT_EQ(files, count) << name;
  }
  const std::string suffix = "_allsyllables_all#syllables_word_all.txt";
  EXPECT_EQ(dir.read("vowel_vectors/vowele" + suffix), "1\n0.125\n");
  EXPECT_EQ(dir.read("vowel_vectors/vowelii" + suffix), "0.375\n");
  EXPECT_EQ(dir.read("vowel_vectors/voweli" + suffix), "");
  EXPECT_EQ(dir.read("consonant_vectors/consonantm" + suffix), "0.1875\n");
  EXPECT_TRUE(std::filesystem::exists(dir.file("consonant_vectors/consonantss" + suffix)));
  EXPECT_TRUE(std::filesystem::exists(dir.file("consonant_vectors/consonantcc" + suffix)));
  EXPECT_TRUE(std::filesystem::exists(dir.file("consonant_pivd_vectors/consonant_pivd_gg")));
  EXPECT_TRUE(std::filesystem::exists(dir.file("vowel_piv_d_vectors/piv_d_vowel_uu")));
  EXPECT_EQ(dir.read("vowel_piv_d_vectors/piv_d_vowel_oo"), "");

  const std::vector<std::string> e = lines_of(dir.read("vowel_piv_d_vectors/piv_d_vowel_e"));
  ASSERT_EQ(e.size(), 2u);
  EXPECT_EQ(e[0].substr(e[0].size() - 3), " 1 ");
  EXPECT_EQ(e[1].substr(e[1].size() - 7), " 0.125 ");
  EXPECT_EQ(lines_of(dir.read("consonant_pivd_vectors/consonant_pivd_k")).size(), 1u);

  // A second export into the existing directories writes the same files.
  const std::string before = dir.read("vowel_piv_d_vectors/piv_d_vowel_e");
  dir.write("vowel_vectors/vowele" + suffix, "stale");
  statistics.write_vector_files();
  EXPECT_EQ(dir.read("vowel_vectors/vowele" + suffix), "1\n0.125\n");
  EXPECT_EQ(dir.read("vowel_piv_d_vectors/piv_d_vowel_e"), before);
}

TEST_F(TwoSentences, GeneralStatisticsReportTheMeansAndACommaCopy) {
  TempDir dir;
  ScopedWorkingDirectory cwd(dir.path());
  statistics.write_general_statistics();
  const std::vector<std::string> lines = lines_of(dir.read(kGeneral));
  ASSERT_EQ(lines.size(), 161u);
  EXPECT_EQ(lines[0], "General Statistical Information");
  EXPECT_EQ(lines[1], "");
  EXPECT_EQ(lines[2], " Syllable type syllable_number desired_word_position");
  EXPECT_EQ(lines[3], "2   0   5");
  const char* const headings[] = {"Vowel Means",
                                  "Vowel Means Before Consonants",
                                  "Vowel Means In Open Syllables",
                                  "Vowel Means In Closed Syllables",
                                  "Vowel Means Before Nasals",
                                  "Vowel Means Before NOT Nasals",
                                  "Vowel Means Before Before Voiced Fricative",
                                  "Vowel Means Before Before NOT Voiced Fricative",
                                  "Vowel Means Before Unvoiced Fricative",
                                  "Vowel Means Before NOT Unvoiced Fricative",
                                  "Vowel Means Before Voiced Stop vowels",
                                  "Vowel Means Before NOT Voiced Stop vowels",
                                  "Vowel Means Before Unvoiced Stop  vowels",
                                  "Vowel Means Before Before Not Unvoiced Stop vowels",
                                  "Vowel Means Before Semi-vowels",
                                  "Vowel Means Before NOT Semi-vowels"};
  size_t line = 4;
  for (int block = 0; block < 16; ++block) {
    EXPECT_EQ(lines[line], headings[block]);
    line += 1 + (block == 1 ? kConsonantCount : kVowelCount);
  }
  // Vowel means a e I i: 0.625, 1.125 / 2, no data, 0.375.
  EXPECT_EQ(lines[5], "0.625");
  EXPECT_EQ(lines[6], "0.5625");
  EXPECT_TRUE(std::isnan(std::strtof(lines[7].c_str(), nullptr))) << lines[7];
  EXPECT_EQ(lines[8], "0.375");
  EXPECT_EQ(lines[14 + 11], "0.125");  // before m
  EXPECT_EQ(statistics.vowel_sum[1], 0.5625f);

  const std::string copy = dir.read(kGeneralCopy);
  const std::vector<std::string> words = lines_of(copy);
  const std::vector<std::string> first(words.begin(), words.begin() + 14);
  EXPECT_EQ(first, (std::vector<std::string>{"General", "Statistical", "Information", "Syllable",
                                             "type", "syllable_number", "desired_word_position",
                                             "2", "0", "5", "Vowel", "Means", "0,625",
                                             "0,5625"}));
  EXPECT_EQ(copy.find('.'), std::string::npos);
}

TEST(DurationStatisticsGeneral, EmptyObjectReportsNotANumberAndRepeatsDivide) {
  TempDir dir;
  ScopedWorkingDirectory cwd(dir.path());
  DurationStatistics empty("word", 2, 0, 5);
  empty.write_general_statistics();
  const std::vector<std::string> lines = lines_of(dir.read(kGeneral));
  ASSERT_EQ(lines.size(), 161u);
  int not_numbers = 0;
  for (const std::string& value : lines) {
    char* end = nullptr;
    const float parsed = std::strtof(value.c_str(), &end);
    if (!value.empty() && *end == '\0' && std::isnan(parsed)) ++not_numbers;
  }
  EXPECT_EQ(not_numbers, 141);

  DurationStatistics twice("word", 2, 0, 5);
  twice.load(kEm, kEmDurations);
  twice.compute_statistics();
  twice.compute_statistics();
  twice.write_general_statistics();
  EXPECT_EQ(lines_of(dir.read(kGeneral))[6], "0.125");
  twice.write_general_statistics();
  EXPECT_EQ(lines_of(dir.read(kGeneral))[6], "0.0625");
  EXPECT_EQ(lines_of(dir.read(kGeneralCopy))[13], "0,0625");
}

TEST(DurationStatisticsExport, LettersOutsideTheirRowsWriteNothing) {
  TempDir dir;
  ScopedWorkingDirectory cwd(dir.path());
  std::filesystem::create_directory("vowel_vectors");
  std::filesystem::create_directory("vowel_piv_d_vectors");
  std::filesystem::create_directory("consonant_vectors");
  DurationStatistics statistics("word", 2, 0, 5);
  EXPECT_EQ(capture_stdout([&] {
              for (char c : {'Z', 'b', 'A'}) statistics.write_vowel_vector(c);
              for (char c : {'a', 'Z'}) statistics.write_consonant_vector(c);
              statistics.write_vowel_PIVD_vector('b');
            }),
            "");
  EXPECT_TRUE(std::filesystem::is_empty("vowel_vectors"));
  EXPECT_TRUE(std::filesystem::is_empty("vowel_piv_d_vectors"));
  EXPECT_TRUE(std::filesystem::is_empty("consonant_vectors"));

  for (char c : {'a', 'Z', static_cast<char>(0xC7)}) {
    auto r = run_in_child([&] { statistics.write_consonant_PIVD_vector(c); });
    EXPECT_EQ(r.exit_status, 1);
    EXPECT_EQ(r.out, "illegal consonant\n error in consonant writing");
  }
  EXPECT_FALSE(std::filesystem::exists("consonant_pivd_vectors"));
}

TEST(DurationStatisticsExport, DirectoryThatCannotBeMadeFailsAtTheOpen) {
  TempDir dir;
  ScopedWorkingDirectory cwd(dir.path());
  dir.write("general", "a file in the way");
  dir.write("vowel_vectors", "a file in the way");
  DurationStatistics statistics("word", 2, 0, 5);
  auto r = run_in_child([&] { statistics.write_general_statistics(); });
  EXPECT_EQ(r.exit_status, 1);
  EXPECT_EQ(r.err, std::string("Could not open file ") + kGeneral + " to write\n");
  r = run_in_child([&] { statistics.write_vector_files(); });
  EXPECT_EQ(r.exit_status, 1);
  EXPECT_EQ(r.err,
            "Could not open file vowel_vectors/vowela_allsyllables_all#syllables_word_all.txt "
            "to write\n");
}

}  // namespace
}  // namespace segdur
