#include "text/letter.h"

#include <gtest/gtest.h>

#include <string>

#include "test_support.h"

namespace segdur {
namespace {

using testing_support::run_in_child;

const std::string kVowels = "aeIioOuU";
const std::string kConsonants = "bcCdfgGhjklmnprsStvyz";

// The characters of `set` among all 256 bytes, in byte order.
std::string members(bool (Letter::*test)() const) {
  std::string found;
  for (int b = 0; b < 256; ++b) {
    const char c = static_cast<char>(b);
    if ((Letter(c).*test)()) found += c;
  }
  return found;
}

TEST(LetterClasses, EachClassHoldsExactlyItsBytes) {
  EXPECT_EQ(members(&Letter::is_vowel), "IOUaeiou");
  EXPECT_EQ(members(&Letter::is_consonant), "CGSbcdfghjklmnprstvyz");
  EXPECT_EQ(members(&Letter::is_nasal), "mn");
  EXPECT_EQ(members(&Letter::is_voiced_stop), "bdg");
  EXPECT_EQ(members(&Letter::is_unvoiced_stop), "kpt");
  EXPECT_EQ(members(&Letter::is_voiced_fricative), "vz");
  EXPECT_EQ(members(&Letter::is_unvoiced_fricative), "Sfs");
  EXPECT_EQ(members(&Letter::is_semivowel), "lry");
  EXPECT_EQ(members(&Letter::is_h), "h");
  EXPECT_EQ(members(&Letter::is_sentence_end), "!.?");
}

TEST(LetterClasses, PunctuationIsTheThirtyTwoAsciiMarksOnly) {
  std::string marks;
  for (int b = 0; b < 256; ++b) {
    if (is_punctuation(static_cast<char>(b))) marks += static_cast<char>(b);
  }
  EXPECT_EQ(marks, "!\"#$%&'()*+,-./:;<=>?@[\\]^_`{|}~");
}

TEST(LetterClasses, LetterAndAlphabetOverEveryByte) {
  // Letters: everything but Z and punctuation, bytes above 127 included.
  EXPECT_EQ(members(&Letter::is_letter).size(), 256u - 1 - 32);
  EXPECT_FALSE(Letter('Z').is_letter());
  EXPECT_FALSE(Letter('.').is_letter());
  for (char c : std::string("xwqAEY09 \xE7\xFF")) EXPECT_TRUE(Letter(c).is_letter()) << c;

  // Alphabet: the 29 letters, Z and punctuation; nothing else.
  const std::string alphabet = members(&Letter::is_in_alphabet);
  EXPECT_EQ(alphabet.size(), 29u + 1 + 32);
  for (char c : kVowels + kConsonants + "Z.,;:!?'") {
    EXPECT_NE(alphabet.find(c), std::string::npos) << c;
  }
  for (char c : std::string("xwqAEY09 \t\xE7")) {
    EXPECT_EQ(alphabet.find(c), std::string::npos) << c;
  }
}

TEST(LetterClasses, SeparatorIsInTheAlphabetButNoLetterOfAnyClass) {
  const Letter z('Z');
  EXPECT_TRUE(z.is_in_alphabet());
  EXPECT_FALSE(z.is_vowel());
  EXPECT_FALSE(z.is_consonant());
  EXPECT_FALSE(z.is_voiced_fricative());
  EXPECT_EQ(z.consonant_number(), 21);
  EXPECT_TRUE(Letter('z').is_voiced_fricative());
  EXPECT_EQ(Letter('z').consonant_number(), 20);
}

TEST(LetterCodes, CodesFollowTheTableOrderAndInvert) {
  VowelAnalyse inverse;
  for (int i = 0; i < 8; ++i) {
    EXPECT_EQ(Letter(kVowels[i]).vowel_number(), i);
    EXPECT_EQ(inverse.vowel(i), kVowels[i]);
  }
  for (int i = 0; i < 21; ++i) {
    EXPECT_EQ(Letter(kConsonants[i]).consonant_number(), i);
    EXPECT_EQ(inverse.consonant(i), kConsonants[i]);
  }
  for (char c : std::string("aZ.xA1 \xE7")) EXPECT_EQ(Letter(c).consonant_number(), 21) << c;
}

TEST(LetterCodes, SetLetterReplacesTheCharacter) {
  Letter l;
  EXPECT_EQ(l.set_letter('k'), 'k');
  EXPECT_TRUE(l.is_unvoiced_stop());
  l.set_letter('o');
  EXPECT_EQ(l.vowel_number(), 4);
}

TEST(LetterCodes, InvalidCodesEndTheRun) {
  auto r = run_in_child([] { Letter('Z').vowel_number(); });
  EXPECT_EQ(r.exit_status, 1);
  EXPECT_EQ(r.out, "\n Vowel Z is not vowel \n in int Letter::vowel_number( char vowel ) ");

  r = run_in_child([] { VowelAnalyse().vowel(8); });
  EXPECT_EQ(r.exit_status, 1);
  EXPECT_EQ(r.out, "\n Vowel number 8 is not valid \n in char VowelAnalyse::vowel( int vowel_number )");
  r = run_in_child([] { VowelAnalyse().vowel(-1); });
  EXPECT_EQ(r.exit_status, 1);
  EXPECT_EQ(r.out, "\n Vowel number -1 is not valid \n in char VowelAnalyse::vowel( int vowel_number )");

  r = run_in_child([] { VowelAnalyse().consonant(21); });
  EXPECT_EQ(r.exit_status, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "");
  r = run_in_child([] { VowelAnalyse().consonant(-1); });
  EXPECT_EQ(r.exit_status, 1);
}

}  // namespace
}  // namespace segdur
