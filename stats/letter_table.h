#pragma once
// The vowels and consonants in code order with the tag that stands for each
// letter in export file names.

#include "text/limits.h"

namespace segdur {

// One letter and its file-name tag (lower case; no two letters share one).
struct letter_tag_row {
  char letter;
  const char* tag;
};

// Row k is the vowel of code k.
constexpr letter_tag_row kVowelRows[kVowelCount] = {
    {'a', "a"}, {'e', "e"}, {'I', "i"}, {'i', "ii"},
    {'o', "o"}, {'O', "oo"}, {'u', "u"}, {'U', "uu"}};

// Row k is the consonant of code k.
constexpr letter_tag_row kConsonantRows[kConsonantCount] = {
    {'b', "b"}, {'c', "c"}, {'C', "cc"}, {'d', "d"}, {'f', "f"}, {'g', "g"}, {'G', "gg"},
    {'h', "h"}, {'j', "j"}, {'k', "k"}, {'l', "l"}, {'m', "m"}, {'n', "n"}, {'p', "p"},
    {'r', "r"}, {'s', "s"}, {'S', "ss"}, {'t', "t"}, {'v', "v"}, {'y', "y"}, {'z', "z"}};

// The index of the row of `letter`, or -1 when no row holds it.
template <int count>
int row_of(const letter_tag_row (&rows)[count], char letter) {
  for (int k = 0; k < count; ++k) {
    if (rows[k].letter == letter) return k;
  }
  return -1;
}

}  // namespace segdur
