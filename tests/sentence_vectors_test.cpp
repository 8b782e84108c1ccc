#include "text/sentence_vectors.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

#include "test_support.h"

namespace segdur {
namespace {

using testing_support::run_in_child;

std::string triphone_of(const triphone_PIVD_struct& e) { return std::string(e.triphone, 3); }

// Durations 0.1, 0.2, ... one per character of `text`.
std::vector<float> one_per_label(const std::string& text) {
  std::vector<float> d;
  for (std::size_t i = 0; i < text.size(); ++i) d.push_back(0.1f * static_cast<float>(i + 1));
  return d;
}

// The five fields filled from the position's codes; the other seven are 0.
void expect_record(const place_info_struct& p, int open, int syllables, int in_word,
                   int in_sentence, int words) {
  EXPECT_EQ(p.open_syllable, open);
  EXPECT_EQ(p.syllable_number, syllables);
  EXPECT_EQ(p.in_word_position, in_word);
  EXPECT_EQ(p.in_sentence_position, in_sentence);
  EXPECT_EQ(p.word_number, words);
  EXPECT_EQ(p.prev_C_or_V, 0);
  EXPECT_EQ(p.after_C_or_V, 0);
  EXPECT_EQ(p.code_of_prev_cons, 0);
  EXPECT_EQ(p.code_of_next_cons, 0);
  EXPECT_EQ(p.syllable_pattern, 0);
  EXPECT_EQ(p.code_of_prev_vowel, 0);
  EXPECT_EQ(p.code_of_next_vowel, 0);
}

TEST(SentenceVectorsElements, OneElementPerInnerPositionWithItsOwnDuration) {
  SentenceVectors v("ZalZ", {0.1f, 0.2f, 0.3f, 0.4f});
  auto e = v.get_triphone_PIVD_vector();
  ASSERT_EQ(e.size(), 2u);
  EXPECT_EQ(triphone_of(e[0]), "Zal");
  EXPECT_EQ(e[0].triphone[3], '\0');
  EXPECT_EQ(e[0].letter, 'a');
  EXPECT_EQ(e[0].duration, 0.2f);
  expect_record(e[0].place_info_struct, 0, 1, 0, 0, 1);
  EXPECT_EQ(triphone_of(e[1]), "alZ");
  EXPECT_EQ(e[1].letter, 'l');
  EXPECT_EQ(e[1].duration, 0.3f);
  expect_record(e[1].place_info_struct, 0, 1, 0, 0, 1);
}

TEST(SentenceVectorsElements, WithoutALeadingPauseEachLetterKeepsItsOwnDuration) {
  SentenceVectors v("alZ", {0.2f, 0.3f, 0.4f});
  EXPECT_EQ(v.get_text(), "ZalZ");
  auto e = v.get_triphone_PIVD_vector();
  ASSERT_EQ(e.size(), 2u);
  EXPECT_EQ(e[0].letter, 'a');
  EXPECT_EQ(e[0].duration, 0.2f);
  EXPECT_EQ(e[1].letter, 'l');
  EXPECT_EQ(e[1].duration, 0.3f);
}

TEST(SentenceVectorsElements, AOneLetterSentenceGivesOneElement) {
  SentenceVectors v("ZaZ", {0.1f, 0.2f, 0.3f});
  auto e = v.get_triphone_PIVD_vector();
  ASSERT_EQ(e.size(), 1u);
  EXPECT_EQ(triphone_of(e[0]), "ZaZ");
  EXPECT_EQ(e[0].duration, 0.2f);
}

TEST(SentenceVectorsElements, BothListsAgreePositionByPosition) {
  for (std::string text : {"ZkitapZevZ", "kitapZevZ", "ZbuZbirZdenemeZdirZ.Z", "ZaZZ"}) {
    SentenceVectors v(text, one_per_label(text));
    const std::string t = v.get_text();
    auto piv = v.get_PIV_vector();
    auto pivd = v.get_triphone_PIVD_vector();
    ASSERT_EQ(piv.size(), t.size() - 2) << text;
    ASSERT_EQ(pivd.size(), piv.size()) << text;
    for (std::size_t i = 0; i < piv.size(); ++i) {
      EXPECT_EQ(std::string(piv[i].triphone, 4), t.substr(i, 3) + '\0') << text << i;
      EXPECT_EQ(std::memcmp(piv[i].triphone, pivd[i].triphone, 4), 0) << text << i;
      EXPECT_EQ(pivd[i].letter, t[i + 1]) << text << i;
      EXPECT_EQ(std::memcmp(&piv[i].place_info_struct, &pivd[i].place_info_struct,
                            sizeof(place_info_struct)),
                0)
          << text << i;
    }
  }
}

TEST(SentenceVectorsElements, AnInvalidSentenceStillYieldsItsElements) {
  std::string text = "Z";
  for (int i = 0; i < 15; ++i) text += "ba";
  text += "Z";
  SentenceVectors v(text, one_per_label(text));
  EXPECT_FALSE(v.is_valid());
  EXPECT_EQ(v.get_triphone_PIVD_vector().size(), text.size() - 2);
}

TEST(SentenceVectorsElements, TextsOutsideTheAnalysisAndForeignBytesAreSafe) {
  EXPECT_TRUE(SentenceVectors("", {}).get_triphone_PIVD_vector().empty());
  EXPECT_TRUE(SentenceVectors("Z", {0.1f}).get_triphone_PIVD_vector().empty());
  SentenceVectors v("Z\xC7\xFFZ", {0.1f, 0.2f, 0.3f, 0.4f});
  auto e = v.get_triphone_PIVD_vector();
  ASSERT_EQ(e.size(), 2u);
  EXPECT_EQ(triphone_of(e[0]), "Z\xC7\xFF");
  EXPECT_EQ(e[1].duration, 0.3f);
}

TEST(SentenceVectorsElements, TheTrainingElementIsSixtyBytesWithZeroPadding) {
  EXPECT_EQ(offsetof(triphone_PIVD_struct, letter), 4u);
  EXPECT_EQ(offsetof(triphone_PIVD_struct, duration), 8u);
  EXPECT_EQ(offsetof(triphone_PIVD_struct, place_info_struct), 12u);
  auto e = SentenceVectors("ZaZ", {0.1f, 0.2f, 0.3f}).get_triphone_PIVD_vector();
  ASSERT_EQ(e.size(), 1u);
  const auto* bytes = reinterpret_cast<const unsigned char*>(&e[0]);
  EXPECT_EQ(bytes[5] | bytes[6] | bytes[7], 0);
}

TEST(SentenceVectorsDurations, TooFewDurationsEndTheRunNamingTheSentence) {
  auto r = run_in_child([] { SentenceVectors("ZalZ", {0.1f, 0.2f}); });
  EXPECT_EQ(r.exit_status, 1);
  EXPECT_EQ(r.out, "\n Too few durations for the sentence ZalZ : 2 given, 3 needed\n");
  r = run_in_child([] { SentenceVectors("alZ", {0.2f}); });
  EXPECT_EQ(r.exit_status, 1);
  EXPECT_EQ(r.out, "\n Too few durations for the sentence alZ : 1 given, 2 needed\n");
  // The final pause's duration is not needed.
  r = run_in_child([] { SentenceVectors("ZalZ", {0.1f, 0.2f, 0.3f}); });
  EXPECT_EQ(r.exit_status, 0);
  r = run_in_child([] { SentenceVectors("alZ", {0.2f, 0.3f}); });
  EXPECT_EQ(r.exit_status, 0);
}

}  // namespace
}  // namespace segdur
