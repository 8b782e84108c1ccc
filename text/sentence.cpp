#include "text/sentence.h"

#include <algorithm>
#include <iostream>

#include "text/fatal.h"
#include "text/letter.h"
#include "text/limits.h"

namespace segdur {

namespace {

// In-word places.
constexpr int kFirstSyllable = 0;
constexpr int kMiddleSyllable = 1;
constexpr int kLastSyllable = 2;
constexpr int kNotALetter = 4;

// In-sentence places.
constexpr int kFirstWord = 0;
constexpr int kMiddleWord = 1;
constexpr int kLastWord = 2;

// Letter classes of C_or_V.
constexpr int kConsonantClass = 0;
constexpr int kVowelClass = 1;
constexpr int kOtherClass = 2;

// Syllable count given to positions of a text without any word (an invalid
// sentence), so that every reader sees a count in 1..14.
constexpr int kNoWordSyllableCount = 1;

// Value at the open end of a shifted vector.
constexpr int kOpenEnd = 0;

// `codes` shifted one position to the right: entry i is codes[i-1], and the
// open end at position 0.
std::vector<int> shifted_from_previous(const std::vector<int>& codes) {
  std::vector<int> shifted;
  if (codes.empty()) return shifted;
  shifted.reserve(codes.size());
  shifted.push_back(kOpenEnd);
  shifted.insert(shifted.end(), codes.begin(), codes.end() - 1);
  return shifted;
}

// `codes` shifted one position to the left: entry i is codes[i+1], and the
// open end at the last position.
std::vector<int> shifted_from_next(const std::vector<int>& codes) {
  std::vector<int> shifted;
  if (codes.empty()) return shifted;
  shifted.reserve(codes.size());
  shifted.insert(shifted.end(), codes.begin() + 1, codes.end());
  shifted.push_back(kOpenEnd);
  return shifted;
}

}  // namespace

Sentence::Sentence() : valid(false), word_count(0) {}

Sentence::Sentence(std::string text, std::string mode) : Sentence() {
  analyse(std::move(text), std::move(mode));
}

void Sentence::analyse(std::string text, std::string mode) {
  this->text = std::move(text);
  valid = true;
  if (mode == "dont") return;
  syllabify_sentence();
  reserve_position_vectors();
  make_syllable_letter_vectors();
  find_word_ends();
  find_vowel_positions();
  find_in_word_positions();
  find_in_sentence_positions();
  make_C_or_V();
  make_prev_C_or_V();
  make_after_C_or_V();
  make_consonant_codes();
  make_prev_consonant_codes();
  make_next_consonant_codes();
  make_vowel_codes();
  make_prev_vowel_codes();
  make_next_vowel_codes();
  make_place_info();
}

void Sentence::reserve_position_vectors() {
  const std::size_t n = text.size();
  // The neighbour vectors are built whole by shifting, so only the vectors
  // that the steps append to need room.
  for (std::vector<int>* v : {&open_syllable, &in_word_position, &in_sentence_position,
                              &syllables_in_word, &syllable_pattern, &C_or_V, &consonant_code,
                              &vowel_code}) {
    v->reserve(n);
  }
  place_info.reserve(n);
}

bool Sentence::is_letter_char(char c) const { return c != kSeparator && !is_punctuation(c); }

unsigned Sentence::skip_separators(std::string s, unsigned start) const {
  unsigned i = start;
  while (i < s.size() && !is_letter_char(s[i])) ++i;
  return i;
}

void Sentence::find_word_ends() {
  word_count = 0;
  bool inside_word = false;
  for (std::size_t i = 1; i < text.size(); ++i) {
    const bool letter = is_letter_char(text[i]);
    if (!inside_word) {
      inside_word = letter;
    } else if (!letter) {
      word_ends.push_back(static_cast<int>(i));
      ++word_count;
      inside_word = false;
    }
  }
  // The analysis needs at least one word.
  if (word_count == 0) valid = false;
}

void Sentence::find_vowel_positions() {
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (is_vowel_code(text[i])) vowel_positions.push_back(static_cast<int>(i));
  }
}

void Sentence::find_in_word_positions() {
  const std::size_t length = text.size();
  int syllable_number = kNoWordSyllableCount;
  for (std::size_t w = 0; w < word_ends.size(); ++w) {
    const unsigned b = w == 0 ? 0u : static_cast<unsigned>(word_ends[w - 1]);
    const unsigned e = static_cast<unsigned>(word_ends[w]);

    // syllable_starts ascends: only the entries between b and e are visited,
    // so a text of many words costs linear time, not quadratic.
    std::vector<unsigned> inner;
    auto start = std::upper_bound(syllable_starts.begin(), syllable_starts.end(), b,
                                  [](unsigned value, int s) { return value < static_cast<unsigned>(s); });
    for (; start != syllable_starts.end() && static_cast<unsigned>(*start) < e; ++start) {
      const unsigned s = static_cast<unsigned>(*start);
      if (is_letter_char(text[s])) inner.push_back(s);
    }
    syllable_number = 1 + static_cast<int>(inner.size());

    syllables_in_word.insert(syllables_in_word.end(), e - b, syllable_number);
    in_word_position.push_back(kNotALetter);

    if (syllable_number < 1 || syllable_number > kMaxSyllablesPerWord) {
      std::cout << "\nError in find_in_word_positions syllable_number variable "
                << "\n syllable_number = " << syllable_number;
      valid = false;
      continue;
    }
    for (unsigned i = b + 1; i < e; ++i) {
      int place = kFirstSyllable;
      if (syllable_number >= 2 && i > inner.front()) {
        place = (syllable_number == 2 || i > inner.back()) ? kLastSyllable : kMiddleSyllable;
      }
      in_word_position.push_back(place);
    }
  }
  in_word_position.push_back(kNotALetter);
  // A word of too many syllables left its letters without entries; the
  // padding puts every vector back to one entry per position.
  in_word_position.resize(length, kNotALetter);
  for (std::size_t i = 0; i < length; ++i) {
    if (!is_letter_char(text[i])) in_word_position[i] = kNotALetter;
  }
  syllables_in_word.resize(length, syllable_number);
}

void Sentence::find_in_sentence_positions() {
  const std::size_t length = text.size();
  in_sentence_position.assign(length, kMiddleWord);
  const std::size_t n = word_ends.size();
  if (n == 0) return;
  for (std::size_t i = 0; i <= static_cast<std::size_t>(word_ends[0]) && i < length; ++i) {
    in_sentence_position[i] = kFirstWord;
  }
  if (n >= 2) {
    for (std::size_t i = static_cast<std::size_t>(word_ends[n - 2]); i < length; ++i) {
      in_sentence_position[i] = kLastWord;
    }
  }
}

void Sentence::make_C_or_V() {
  for (char c : text) {
    const Letter letter(c);
    C_or_V.push_back(letter.is_vowel() ? kVowelClass
                     : letter.is_consonant() ? kConsonantClass
                                             : kOtherClass);
  }
}

void Sentence::make_prev_C_or_V() { prev_C_or_V = shifted_from_previous(C_or_V); }

void Sentence::make_after_C_or_V() { after_C_or_V = shifted_from_next(C_or_V); }

void Sentence::make_consonant_codes() {
  for (char c : text) {
    const Letter letter(c);
    consonant_code.push_back(letter.is_consonant() ? letter.consonant_number() : kNotAConsonant);
  }
}

void Sentence::make_prev_consonant_codes() { code_of_prev_cons = shifted_from_previous(consonant_code); }

void Sentence::make_next_consonant_codes() { code_of_next_cons = shifted_from_next(consonant_code); }

void Sentence::make_vowel_codes() {
  for (char c : text) {
    const Letter letter(c);
    vowel_code.push_back(letter.is_vowel() ? letter.vowel_number() : kNotAVowel);
  }
}

void Sentence::make_prev_vowel_codes() { code_of_prev_vowel = shifted_from_previous(vowel_code); }

void Sentence::make_next_vowel_codes() { code_of_next_vowel = shifted_from_next(vowel_code); }

void Sentence::make_place_info() {
  for (std::size_t i = 0; i < text.size(); ++i) {
    place_info_struct p;
    p.open_syllable = open_syllable[i];
    p.syllable_number = syllables_in_word[i];
    p.in_word_position = in_word_position[i];
    p.in_sentence_position = in_sentence_position[i];
    p.prev_C_or_V = prev_C_or_V[i];
    p.after_C_or_V = after_C_or_V[i];
    p.code_of_prev_cons = code_of_prev_cons[i];
    p.code_of_next_cons = code_of_next_cons[i];
    p.word_number = word_count;
    p.syllable_pattern = syllable_pattern[i];
    p.code_of_prev_vowel = code_of_prev_vowel[i];
    p.code_of_next_vowel = code_of_next_vowel[i];
    place_info.push_back(p);
  }
}

place_info_struct Sentence::info_place(unsigned i) const {
  // An unanalysed sentence ("dont") has a text but no vectors: its positions
  // are out of bound as well.
  if (i >= text.size() || i >= open_syllable.size() || i >= syllables_in_word.size() ||
      i >= in_word_position.size() || i >= in_sentence_position.size()) {
    fatal("\n in Sentence::info_place, place out of bound \n");
  }
  place_info_struct p{};
  p.open_syllable = open_syllable[i];
  p.syllable_number = syllables_in_word[i];
  p.in_word_position = in_word_position[i];
  p.in_sentence_position = in_sentence_position[i];
  p.word_number = word_count;
  return p;
}

bool Sentence::is_valid() const { return valid; }
int Sentence::get_word_count() const { return word_count; }
std::string Sentence::get_text() const { return text; }
std::vector<int> Sentence::get_vowel_positions() const { return vowel_positions; }
std::vector<int> Sentence::get_open_syllable_flags() const { return open_syllable; }
std::vector<int> Sentence::get_syllables_in_word() const { return syllables_in_word; }
std::vector<int> Sentence::get_in_word_positions() const { return in_word_position; }
std::vector<int> Sentence::get_in_sentence_positions() const { return in_sentence_position; }
std::vector<int> Sentence::get_syllable_pattern() const { return syllable_pattern; }
std::vector<int> Sentence::get_C_or_V() const { return C_or_V; }
std::vector<int> Sentence::get_prev_C_or_V() const { return prev_C_or_V; }
std::vector<int> Sentence::get_after_C_or_V() const { return after_C_or_V; }
std::vector<int> Sentence::get_consonant_codes() const { return consonant_code; }
std::vector<int> Sentence::get_prev_consonant_codes() const { return code_of_prev_cons; }
std::vector<int> Sentence::get_next_consonant_codes() const { return code_of_next_cons; }
std::vector<int> Sentence::get_vowel_codes() const { return vowel_code; }
std::vector<int> Sentence::get_prev_vowel_codes() const { return code_of_prev_vowel; }
std::vector<int> Sentence::get_next_vowel_codes() const { return code_of_next_vowel; }
std::vector<place_info_struct> Sentence::get_place_info() const { return place_info; }

}  // namespace segdur
