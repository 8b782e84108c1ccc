#include "text/sentence.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "test_support.h"

namespace segdur {
namespace {

using testing_support::capture_stdout;
using testing_support::run_in_child;
using V = std::vector<int>;

// Opens the members that have no reader outside the class.
class OpenSentence : public Sentence {
 public:
  OpenSentence(std::string text, std::string mode) : Sentence(std::move(text), std::move(mode)) {}
  V starts() const { return syllable_starts; }
  V types() const { return syllable_types; }
  V ends() const { return word_ends; }
};

// Analyses `text` in mode "do" with its messages swallowed.
OpenSentence quiet(const std::string& text) {
  OpenSentence* made = nullptr;
  capture_stdout([&] { made = new OpenSentence(text, "do"); });
  OpenSentence result = *made;
  delete made;
  return result;
}

// Every per-position vector has one entry per position of the stored text.
void expect_full_length(const Sentence& s) {
  const std::size_t n = s.get_text().size();
  EXPECT_EQ(s.get_open_syllable_flags().size(), n);
  EXPECT_EQ(s.get_syllables_in_word().size(), n);
  EXPECT_EQ(s.get_in_word_positions().size(), n);
  EXPECT_EQ(s.get_in_sentence_positions().size(), n);
  EXPECT_EQ(s.get_syllable_pattern().size(), n);
  EXPECT_EQ(s.get_C_or_V().size(), n);
  EXPECT_EQ(s.get_prev_C_or_V().size(), n);
  EXPECT_EQ(s.get_after_C_or_V().size(), n);
  EXPECT_EQ(s.get_consonant_codes().size(), n);
  EXPECT_EQ(s.get_prev_consonant_codes().size(), n);
  EXPECT_EQ(s.get_next_consonant_codes().size(), n);
  EXPECT_EQ(s.get_vowel_codes().size(), n);
  EXPECT_EQ(s.get_prev_vowel_codes().size(), n);
  EXPECT_EQ(s.get_next_vowel_codes().size(), n);
  EXPECT_EQ(s.get_place_info().size(), n);
}

TEST(SentenceAnalysis, KitapEvGivesEveryVectorOfTheWorkedExample) {
  OpenSentence s("ZkitapZevZ", "do");
  EXPECT_TRUE(s.is_valid());
  EXPECT_EQ(s.get_text(), "ZkitapZevZ");
  EXPECT_EQ(s.starts(), (V{0, 2, 6, 9}));
  EXPECT_EQ(s.types(), (V{3, 5, 2}));
  EXPECT_EQ(s.ends(), (V{6, 9}));
  EXPECT_EQ(s.get_word_count(), 2);
  EXPECT_EQ(s.get_vowel_positions(), (V{2, 4, 7}));
  EXPECT_EQ(s.get_syllables_in_word(), (V{2, 2, 2, 2, 2, 2, 1, 1, 1, 1}));
  EXPECT_EQ(s.get_in_word_positions(), (V{4, 0, 0, 2, 2, 2, 4, 0, 0, 4}));
  EXPECT_EQ(s.get_in_sentence_positions(), (V{0, 0, 0, 0, 0, 0, 2, 2, 2, 2}));
  EXPECT_EQ(s.get_C_or_V(), (V{2, 0, 1, 0, 1, 0, 2, 1, 0, 2}));
  EXPECT_EQ(s.get_prev_C_or_V(), (V{0, 2, 0, 1, 0, 1, 0, 2, 1, 0}));
  EXPECT_EQ(s.get_after_C_or_V(), (V{0, 1, 0, 1, 0, 2, 1, 0, 2, 0}));
  EXPECT_EQ(s.get_consonant_codes(), (V{21, 9, 21, 17, 21, 13, 21, 21, 18, 21}));
  EXPECT_EQ(s.get_prev_consonant_codes(), (V{0, 21, 9, 21, 17, 21, 13, 21, 21, 18}));
  EXPECT_EQ(s.get_next_consonant_codes(), (V{9, 21, 17, 21, 13, 21, 21, 18, 21, 0}));
  EXPECT_EQ(s.get_vowel_codes(), (V{8, 8, 3, 8, 0, 8, 8, 1, 8, 8}));
  EXPECT_EQ(s.get_prev_vowel_codes(), (V{0, 8, 8, 3, 8, 0, 8, 8, 1, 8}));
  EXPECT_EQ(s.get_next_vowel_codes(), (V{8, 3, 8, 0, 8, 8, 1, 8, 8, 0}));
  EXPECT_EQ(s.get_open_syllable_flags(), (V{1, 1, 1, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(s.get_syllable_pattern(), (V{3, 3, 3, 5, 5, 5, 5, 2, 2, 2}));
  expect_full_length(s);
}

TEST(SentenceAnalysis, AlRecordOfTheLetterA) {
  OpenSentence s("ZalZ", "do");
  EXPECT_TRUE(s.is_valid());
  EXPECT_EQ(s.starts(), (V{0, 3}));
  EXPECT_EQ(s.types(), (V{2}));
  EXPECT_EQ(s.ends(), (V{3}));
  EXPECT_EQ(s.get_word_count(), 1);
  const place_info_struct p = s.get_place_info().at(1);
  const int32_t expected[12] = {0, 1, 0, 0, 2, 0, 21, 10, 1, 2, 8, 8};
  EXPECT_EQ(std::memcmp(&p, expected, sizeof expected), 0);

  // info_place fills fields 0 to 3 and 8 only.
  const place_info_struct q = s.info_place(1);
  const int32_t expected_info[12] = {0, 1, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0};
  EXPECT_EQ(std::memcmp(&q, expected_info, sizeof expected_info), 0);
  s.info_place(3);  // the last position works
}

TEST(SentenceAnalysis, MissingLeadingZIsPutInFront) {
  OpenSentence with("ZalZ", "do");
  OpenSentence without("alZ", "do");
  EXPECT_EQ(without.get_text(), "ZalZ");
  EXPECT_EQ(without.starts(), with.starts());
  EXPECT_EQ(without.get_place_info().size(), 4u);
  EXPECT_EQ(std::memcmp(without.get_place_info().data(), with.get_place_info().data(),
                        4 * sizeof(place_info_struct)),
            0);
  OpenSentence elma("elmaZ", "do");
  EXPECT_EQ(elma.get_text(), "ZelmaZ");
  EXPECT_EQ(elma.starts(), (V{0, 2, 5}));
}

TEST(SentenceAnalysis, ModeDontKeepsTheTextAndAnalysesNothing) {
  Sentence s("alZ", "dont");
  EXPECT_TRUE(s.is_valid());
  EXPECT_EQ(s.get_text(), "alZ");
  EXPECT_EQ(s.get_word_count(), 0);
  EXPECT_TRUE(s.get_place_info().empty());
  EXPECT_TRUE(s.get_C_or_V().empty());
  // Any other mode analyses.
  for (const char* mode : {"", "dont ", "dontt", "Dont", "x"}) {
    Sentence t("alZ", mode);
    EXPECT_EQ(t.get_text(), "ZalZ") << mode;
    EXPECT_EQ(t.get_place_info().size(), 4u) << mode;
  }
}

TEST(SentenceAnalysis, DefaultIsEmptyAndInvalid) {
  Sentence s;
  EXPECT_FALSE(s.is_valid());
  EXPECT_EQ(s.get_text(), "");
  EXPECT_EQ(s.get_word_count(), 0);
  EXPECT_TRUE(s.get_place_info().empty());
}

TEST(SentenceAnalysis, CopyIsEqualAndIndependent) {
  Sentence a("ZkitapZevZ", "do");
  Sentence b(a);
  EXPECT_EQ(b.get_text(), a.get_text());
  EXPECT_EQ(b.get_in_word_positions(), a.get_in_word_positions());
  EXPECT_EQ(b.is_valid(), a.is_valid());
  b = Sentence("ZalZ", "do");
  EXPECT_EQ(a.get_text(), "ZkitapZevZ");
  EXPECT_EQ(a.get_C_or_V().size(), 10u);
}

TEST(SentenceAnalysis, InfoPlaceOutOfBoundEndsTheRun) {
  const std::string message = "\n in Sentence::info_place, place out of bound \n";
  auto r = run_in_child([] { Sentence("ZalZ", "do").info_place(4); });
  EXPECT_EQ(r.exit_status, 1);
  EXPECT_EQ(r.out, message);
  // An unanalysed sentence describes no position.
  r = run_in_child([] { Sentence("ZalZ", "dont").info_place(0); });
  EXPECT_EQ(r.exit_status, 1);
  EXPECT_EQ(r.out, message);
}


// ---- Syllables spread over the positions ----

TEST(SentenceSyllables, ElmaAndBenGeldim) {
  OpenSentence elma("ZelmaZ", "do");
  EXPECT_TRUE(elma.is_valid());
  EXPECT_EQ(elma.starts(), (V{0, 2, 5}));
  EXPECT_EQ(elma.types(), (V{2, 3}));
  EXPECT_EQ(elma.get_open_syllable_flags(), (V{0, 0, 0, 1, 1, 1}));
  EXPECT_EQ(elma.get_syllable_pattern(), (V{2, 2, 2, 3, 3, 3}));

  OpenSentence ben("ZbenZgeldimZ", "do");
  EXPECT_TRUE(ben.is_valid());
  EXPECT_EQ(ben.starts(), (V{0, 4, 7, 11}));
  EXPECT_EQ(ben.types(), (V{5, 5, 5}));
  EXPECT_EQ(ben.get_open_syllable_flags(), V(12, 0));
  EXPECT_EQ(ben.get_syllable_pattern(), V(12, 5));
  EXPECT_EQ(ben.get_syllables_in_word(), (V{1, 1, 1, 1, 2, 2, 2, 2, 2, 2, 2, 2}));
  EXPECT_EQ(ben.get_in_word_positions(), (V{4, 0, 0, 0, 4, 0, 0, 0, 2, 2, 2, 4}));
}

TEST(SentenceSyllables, FullStopCountsAsConsonantAndIsSteppedOverByTheOpenTest) {
  OpenSentence s("Zev.Z", "do");
  EXPECT_TRUE(s.is_valid());
  EXPECT_EQ(s.types(), (V{6}));
  EXPECT_EQ(s.get_open_syllable_flags(), V(5, 0));
  EXPECT_EQ(s.ends(), (V{3}));
  // Letters outside the alphabet: A counts as a vowel code (open syllable,
  // listed vowel position) but has vowel code 8.
  OpenSentence a("ZkAZ", "do");
  EXPECT_EQ(a.get_open_syllable_flags(), (V{1, 1, 1, 1}));
  EXPECT_EQ(a.get_vowel_positions(), (V{2}));
  EXPECT_EQ(a.get_vowel_codes(), (V{8, 8, 8, 8}));
}

TEST(SentenceSyllables, DoubledSeparatorInsideFailsWithTheThreeMessages) {
  std::string out;
  OpenSentence* s = nullptr;
  out = capture_stdout([&] { s = new OpenSentence("ZevZZelmaZ", "do"); });
  EXPECT_EQ(out,
            " \nThere is error with the sentence or syllabify function part!"
            "\nThere should not be Z in the first part of the sentence"
            "\n for evZZelmaZ");
  EXPECT_FALSE(s->is_valid());
  EXPECT_EQ(s->starts(), (V{0, 3}));
  EXPECT_EQ(s->types(), (V{2}));
  // The four positions of evZ, then the rest padded with the last syllable's values.
  EXPECT_EQ(s->get_open_syllable_flags(), V(10, 0));
  EXPECT_EQ(s->get_syllable_pattern(), V(10, 2));
  expect_full_length(*s);
  delete s;
}

// ---- Words, places in the word and in the sentence ----

TEST(SentenceWords, PunctuationEndsAWordAndSeparatorsAfterItBelongToNoWord) {
  OpenSentence s("Zev.ZbuZ", "do");
  EXPECT_TRUE(s.is_valid());
  EXPECT_EQ(s.ends(), (V{3, 7}));
  EXPECT_EQ(s.get_word_count(), 2);
  EXPECT_EQ(s.starts(), (V{0, 4, 7}));
  // The syllable start at the 'Z' after the full stop is no inner boundary.
  EXPECT_EQ(s.get_syllables_in_word(), V(8, 1));
  EXPECT_EQ(s.get_in_word_positions(), (V{4, 0, 0, 4, 4, 0, 0, 4}));
  EXPECT_EQ(s.get_in_sentence_positions(), (V{0, 0, 0, 2, 2, 2, 2, 2}));
}

TEST(SentenceWords, ThreeWordsAndOneWord) {
  OpenSentence three("ZalZbenZevZ", "do");
  EXPECT_EQ(three.get_word_count(), 3);
  EXPECT_EQ(three.get_in_sentence_positions(), (V{0, 0, 0, 0, 1, 1, 1, 2, 2, 2, 2}));
  OpenSentence one("ZelmaZ", "do");
  EXPECT_EQ(one.get_in_sentence_positions(), V(6, 0));
  EXPECT_EQ(one.get_in_word_positions(), (V{4, 0, 0, 2, 2, 4}));
}

TEST(SentenceWords, DigitIsALetterForWordsButHasNoClass) {
  OpenSentence s("Zab4Z", "do");
  EXPECT_TRUE(s.is_valid());
  EXPECT_EQ(s.ends(), (V{4}));
  EXPECT_EQ(s.get_in_word_positions(), (V{4, 0, 0, 0, 4}));
  EXPECT_EQ(s.get_C_or_V(), (V{2, 1, 0, 2, 2}));
  EXPECT_EQ(s.get_consonant_codes(), (V{21, 21, 0, 21, 21}));
  EXPECT_EQ(s.get_vowel_codes(), (V{8, 0, 8, 8, 8}));
}

std::string word_of_syllables(int n) {
  std::string w;
  for (int i = 0; i < n; ++i) w += "ba";
  return w;
}

TEST(SentenceWords, FourteenSyllablesAreValidFifteenAreNot) {
  OpenSentence fourteen("Z" + word_of_syllables(14) + "Z", "do");
  EXPECT_TRUE(fourteen.is_valid());
  V places(30, 1);
  places[0] = places[29] = 4;
  places[1] = places[2] = 0;
  places[27] = places[28] = 2;
  EXPECT_EQ(fourteen.get_in_word_positions(), places);
  EXPECT_EQ(fourteen.get_syllables_in_word(), V(30, 14));

  OpenSentence* fifteen = nullptr;
  const std::string out = capture_stdout(
      [&] { fifteen = new OpenSentence("ZalZ" + word_of_syllables(15) + "ZevZ", "do"); });
  EXPECT_EQ(out, "\nError in find_in_word_positions syllable_number variable \n syllable_number = 15");
  EXPECT_FALSE(fifteen->is_valid());
  expect_full_length(*fifteen);
  // The word after the long one still has its syllable count; its letters
  // sit at lower positions in in_word_position, as the padding leaves them.
  EXPECT_EQ(fifteen->get_syllables_in_word().back(), 1);
  delete fifteen;
}

// ---- Texts outside what the analysis accepts ----

TEST(SentenceLimits, TwoTrailingSeparatorsLetTheLastOneJoinTheLastSyllable) {
  OpenSentence s("ZelmaZZ", "do");
  EXPECT_TRUE(s.is_valid());
  EXPECT_EQ(s.starts(), (V{0, 2, 5}));
  EXPECT_EQ(s.get_open_syllable_flags(), (V{0, 0, 0, 1, 1, 1, 1}));
  EXPECT_EQ(s.get_syllable_pattern(), (V{2, 2, 2, 3, 3, 3, 3}));
  EXPECT_EQ(s.get_in_word_positions(), (V{4, 0, 0, 2, 2, 4, 4}));
  expect_full_length(s);
  s.info_place(6);
}

TEST(SentenceLimits, ThreeTrailingSeparatorsFail) {
  OpenSentence* s = nullptr;
  const std::string out = capture_stdout([&] { s = new OpenSentence("ZevZZZ", "do"); });
  EXPECT_NE(out.find("\n for evZZZ"), std::string::npos);
  EXPECT_FALSE(s->is_valid());
  expect_full_length(*s);
  delete s;
}

TEST(SentenceLimits, TextsWithoutFinalSeparatorOrSyllableAreInvalidAndPadded) {
  struct Case {
    const char* text;
    const char* stored;
    int words;
  };
  const Case cases[] = {
      {"", "Z", 0},        {"Z", "Z", 0},    {"ZZ", "ZZ", 0},
      {"Zev.", "Zev.", 1}, {"Zev", "Zev", 0}, {"ZbenZgeldim.", "ZbenZgeldim.", 2},
      {"Z5Z", "Z5Z", 1},   {"Z1Z", "Z1Z", 1}, {"Z.Z", "Z.Z", 0},
      {"strateji", "Zstrateji", 0},
  };
  for (const Case& c : cases) {
    OpenSentence s = quiet(c.text);
    EXPECT_FALSE(s.is_valid()) << c.text;
    EXPECT_EQ(s.get_text(), c.stored) << c.text;
    EXPECT_EQ(s.get_word_count(), c.words) << c.text;
    expect_full_length(s);
    const std::size_t last = s.get_text().size() - 1;
    const place_info_struct p = s.info_place(static_cast<unsigned>(last));
    EXPECT_GE(p.syllable_number, 1) << c.text;
    EXPECT_LE(p.syllable_number, 14) << c.text;
  }
  // No final separator is refused silently.
  EXPECT_EQ(capture_stdout([] { Sentence("ZbenZgeldim.", "do"); }), "");
  // The syllables stop at a NUL byte, short of the final separator.
  const std::string with_nul("ZalZ\0bZ", 7);
  OpenSentence s = quiet(with_nul);
  EXPECT_FALSE(s.is_valid());
  EXPECT_EQ(s.get_text(), with_nul);
  EXPECT_EQ(s.starts(), (V{0, 3}));
  expect_full_length(s);
}

TEST(SentenceLimits, RandomBytesNeverLeaveTheVectors) {
  std::mt19937 random(12345);
  const std::string alphabet = "ZZZZaeiIoOuUbcCdfgGhjklmnprsStvyz.,!?'AEY123x\xC3\xA7\xFF";
  for (int round = 0; round < 3000; ++round) {
    const int length = static_cast<int>(random() % 24);
    std::string text;
    for (int i = 0; i < length; ++i) {
      if (round % 3 == 0) {
        text += static_cast<char>(1 + random() % 255);  // any byte but NUL
      } else {
        text += alphabet[random() % alphabet.size()];
      }
    }
    if (round % 2 == 1) text += 'Z';
    OpenSentence s = quiet(text);
    expect_full_length(s);
    const V& starts = s.starts();
    EXPECT_EQ(starts.size(), s.types().size() + 1);
    if (s.is_valid()) {
      EXPECT_EQ(s.get_text().back(), 'Z');
      EXPECT_GE(s.get_word_count(), 1);
      for (const place_info_struct& p : s.get_place_info()) {
        EXPECT_GE(p.syllable_pattern, 1);
        EXPECT_LE(p.syllable_pattern, 10);
        EXPECT_GE(p.syllable_number, 1);
        EXPECT_LE(p.syllable_number, 14);
      }
    }
    if (HasFailure()) {
      ADD_FAILURE() << "text: " << text;
      break;
    }
  }
}

}  // namespace
}  // namespace segdur
