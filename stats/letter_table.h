#pragma once
// The tag that stands for each vowel and consonant in export file names. The
// letters themselves, in code order, are the alphabet's (text/limits.h).

#include "text/letter.h"
#include "text/limits.h"

namespace segdur {

// Tag k belongs to the vowel of code k (lower case; no two letters share one).
constexpr const char* kVowelTags[kVowelCount] = {"a", "e", "i", "ii", "o", "oo", "u", "uu"};

// Tag k belongs to the consonant of code k.
constexpr const char* kConsonantTags[kConsonantCount] = {
    "b", "c", "cc", "d", "f", "g", "gg", "h", "j", "k", "l",
    "m", "n", "p", "r", "s", "ss", "t", "v", "y", "z"};

// The vowel code of `letter`, or -1 when it is not one of the eight vowels.
inline int vowel_row(char letter) {
  const Letter l(letter);
  return l.is_vowel() ? l.vowel_number() : -1;
}

// The consonant code of `letter`, or -1 when it is not one of the 21 consonants.
inline int consonant_row(char letter) {
  const int code = Letter(letter).consonant_number();
  return code == kNotAConsonant ? -1 : code;
}

}  // namespace segdur
