#include <algorithm>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "text/limits.h"
#include "text/sentence.h"

namespace segdur {

namespace {

// Bytes of the code string.
constexpr char kCodeSeparator = '.';
constexpr char kCodeVowel = '1';
constexpr char kCodeOther = '0';

// Per-position syllable type of a text in which no syllable was found (an
// invalid sentence): the type of a lone consonant, so that readers that
// expect a type code 1..10 stay in range.
constexpr int kNoSyllableType = 4;

// The code string of `text`: '.' for the separator, '1' for a vowel code,
// '0' for anything else; always ends in '.' (one is appended when needed,
// also to an empty text).
std::string make_code_string(const char* text, char separator) {
  std::string code;
  for (const char* p = text; *p != '\0'; ++p) {
    char c = is_vowel_code(*p) ? kCodeVowel : kCodeOther;
    if (*p == separator) c = kCodeSeparator;
    code += c;
  }
  if (code.empty() || code.back() != kCodeSeparator) code += kCodeSeparator;
  return code;
}

// True when `pattern` equals `code` from `position` on; never reads past the
// end of `code`.
bool pattern_matches(const std::string& code, std::size_t position, const char* pattern) {
  for (std::size_t k = 0; pattern[k] != '\0'; ++k) {
    if (position + k >= code.size() || code[position + k] != pattern[k]) return false;
  }
  return true;
}

// An ASCII letter other than the separator: what the open-syllable test
// looks for.
bool is_ascii_letter_not_separator(char c) {
  return ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) && c != kSeparator;
}

// The last position at or before `position` (clamped to the text) that holds
// an ASCII letter other than 'Z'; npos when there is none.
std::size_t last_letter_at_or_before(const std::string& text, std::size_t position) {
  if (text.empty()) return std::string::npos;
  std::size_t p = position < text.size() ? position : text.size() - 1;
  while (!is_ascii_letter_not_separator(text[p])) {
    if (p == 0) return std::string::npos;
    --p;
  }
  return p;
}

}  // namespace

const syllable_pattern_row syllable_pattern_table[kSyllablePatternRows] = {
    {"001.", 3, 7},   {"0010.", 4, 8}, {"00101", 3, 7}, {"00100.", 5, 10}, {"001000", 5, 10},
    {"001001", 4, 8}, {"01.", 2, 3},   {"0101", 2, 3},  {"0100.", 4, 9},   {"01000", 4, 9},
    {"01001", 3, 5},  {"011", 2, 3},   {"1.", 1, 1},    {"10.", 2, 2},     {"101", 1, 1},
    {"100.", 3, 6},   {"1001", 2, 2},  {"1000", 3, 6},  {"010.", 3, 5},    {"11", 1, 1},
    {"0.", 1, 4},
};

int is_vowel_code(char c) {
  return (c != '\0' && std::strchr("aeiouAEIOUY123", c) != nullptr) ? 1 : 0;
}

int syllabify(char* text, int* starts, int* count, char separator, std::vector<int>* types) {
  const std::string code = make_code_string(text, separator);
  const std::size_t limit = code.size() - 1;
  starts[0] = 0;
  *count = 1;
  std::size_t position = 0;
  while (position < limit) {
    const syllable_pattern_row* match = nullptr;
    for (const syllable_pattern_row& row : syllable_pattern_table) {
      if (pattern_matches(code, position, row.pattern)) {
        match = &row;
        break;
      }
    }
    if (match == nullptr) return -1;
    types->push_back(match->type);
    // Every pattern is longer than its syllable, so the byte at the new
    // position was part of the match and lies inside the code string.
    position += static_cast<std::size_t>(match->length);
    if (code[position] == kCodeSeparator) ++position;
    starts[*count] = static_cast<int>(position);
    ++*count;
  }
  return 1;
}

void print_char_vector(std::vector<char> v) {
  std::cout << std::endl << "Vector Contents : ";
  for (char c : v) std::cout << c << " ";
  std::cout << std::endl;
}

void Sentence::syllabify_sentence() {
  std::string rest = text;
  if (!rest.empty() && rest[0] == kSeparator) rest.erase(0, 1);

  std::vector<char> buffer(rest.begin(), rest.end());
  buffer.push_back('\0');
  // Each syllable covers at least one code byte, and the code string is at
  // most one byte longer than the text: count <= size + 2.
  std::vector<int> starts(rest.size() + 2, 0);
  int count = 0;
  const int result = syllabify(buffer.data(), starts.data(), &count, kSeparator, &syllable_types);
  if (result == -1) {
    std::cout << " \nThere is error with the sentence or syllabify function part!"
              << "\nThere should not be Z in the first part of the sentence"
              << "\n for " << rest;
    valid = false;
  }
  // Outside the accepted texts: empty, not ending in the separator, no
  // syllable at all, or a NUL byte (the syllables end there, short of the text).
  if (rest.empty() || rest.back() != kSeparator || syllable_types.empty() ||
      rest.find('\0') != std::string::npos) {
    valid = false;
  }

  // Entry 0, then the end of every syllable found (all of them positive).
  for (int k = 0; k < count; ++k) syllable_starts.push_back(starts[k]);

  text = kSeparator + rest;
}

int Sentence::syllable_is_open(unsigned position) const {
  const std::size_t p = last_letter_at_or_before(text, position);
  if (p == std::string::npos) return 0;
  return is_vowel_code(text[p]);
}

void Sentence::make_syllable_letter_vectors() {
  const std::size_t length = text.size();
  if (length == 0) return;
  const int first_type = syllable_types.empty() ? kNoSyllableType : syllable_types[0];
  open_syllable.push_back(0);
  syllable_pattern.push_back(first_type);

  const std::size_t syllables = syllable_types.size();
  // The open test of each syllable end (syllable_is_open), found in one
  // forward pass: the ends ascend, so a text of many syllables without a
  // letter costs linear time rather than a scan back per syllable.
  std::size_t last_letter = std::string::npos;
  std::size_t scanned = 0;
  for (std::size_t k = 0; k < syllables && k + 1 < syllable_starts.size(); ++k) {
    const std::size_t a = static_cast<std::size_t>(syllable_starts[k]);
    // A syllable that runs past the text (no final 'Z') ends at its last position.
    const std::size_t b = std::min(static_cast<std::size_t>(syllable_starts[k + 1]), length - 1);
    for (; scanned <= b; ++scanned) {
      if (is_ascii_letter_not_separator(text[scanned])) last_letter = scanned;
    }
    if (k == 0 && last_letter == std::string::npos) valid = false;
    const int flag = last_letter == std::string::npos ? 0 : is_vowel_code(text[last_letter]);
    for (std::size_t i = a; i < b; ++i) {
      open_syllable.push_back(flag);
      syllable_pattern.push_back(syllable_types[k]);
    }
  }
  if (open_syllable.size() > 1) open_syllable[0] = open_syllable[1];

  // Positions after the last syllable found (a final doubled 'Z', or a text
  // where syllabification stopped early) take the values of the last syllable.
  const int last_flag = open_syllable.back();
  const int last_type = syllable_pattern.back();
  open_syllable.resize(length, last_flag);
  syllable_pattern.resize(length, last_type);
}

}  // namespace segdur
