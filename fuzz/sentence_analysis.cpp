// Fuzz target: the sentence analysis on any bytes, in every kind of mode.
// Input: the first byte picks the mode, the rest is the text.

#include <cstring>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "text/limits.h"
#include "text/sentence.h"

using segdur::place_info_struct;
using segdur::Sentence;
using segdur::fuzzing::require;

namespace {

// "do", "dont", an empty mode and a near miss of "dont" (which analyses).
const char* const kModes[] = {"do", "dont", "", "dontt"};

bool all_in(const std::vector<int>& v, int low, int high) {
  for (int x : v) {
    if (x < low || x > high) return false;
  }
  return true;
}

bool same_record(const place_info_struct& a, const place_info_struct& b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

// Entry i of `shifted` is entry i-1 (from_previous) or i+1 of `codes`, and 0 at the open end.
bool is_shift_of(const std::vector<int>& shifted, const std::vector<int>& codes, bool from_previous) {
  const std::size_t n = codes.size();
  if (shifted.size() != n) return false;
  for (std::size_t i = 0; i < n; ++i) {
    const bool open_end = from_previous ? i == 0 : i + 1 == n;
    const int expected = open_end ? 0 : codes[from_previous ? i - 1 : i + 1];
    if (shifted[i] != expected) return false;
  }
  return true;
}

void check_unanalysed(const Sentence& s, const std::string& input) {
  require(s.is_valid(), "an unanalysed sentence is valid");
  require(s.get_text() == input, "an unanalysed sentence keeps its text");
  require(s.get_word_count() == 0, "an unanalysed sentence has no words");
  require(s.get_place_info().empty() && s.get_C_or_V().empty() && s.get_vowel_positions().empty(),
          "an unanalysed sentence has no vectors");
}

void check_analysed(const Sentence& s, const std::string& input) {
  const std::string text = s.get_text();
  const std::string expected_text =
      (!input.empty() && input[0] == segdur::kSeparator) ? input : segdur::kSeparator + input;
  require(text == expected_text, "the analysed text is the input with one leading Z");
  const std::size_t n = text.size();

  const std::vector<std::vector<int>> per_position = {
      s.get_open_syllable_flags(),   s.get_syllables_in_word(),     s.get_in_word_positions(),
      s.get_in_sentence_positions(), s.get_syllable_pattern(),      s.get_C_or_V(),
      s.get_prev_C_or_V(),           s.get_after_C_or_V(),          s.get_consonant_codes(),
      s.get_prev_consonant_codes(),  s.get_next_consonant_codes(),  s.get_vowel_codes(),
      s.get_prev_vowel_codes(),      s.get_next_vowel_codes()};
  for (const auto& v : per_position) require(v.size() == n, "one entry per position");
  const std::vector<place_info_struct> records = s.get_place_info();
  require(records.size() == n, "one place record per position");

  require(all_in(s.get_open_syllable_flags(), 0, 1), "open flag 0 or 1");
  require(all_in(s.get_syllable_pattern(), 1, 10), "syllable type 1..10");
  require(all_in(s.get_in_sentence_positions(), 0, 2), "sentence place 0..2");
  require(all_in(s.get_C_or_V(), 0, 2), "letter class 0..2");
  require(all_in(s.get_consonant_codes(), 0, segdur::kNotAConsonant), "consonant code 0..21");
  require(all_in(s.get_vowel_codes(), 0, segdur::kNotAVowel), "vowel code 0..8");
  require(is_shift_of(s.get_prev_C_or_V(), s.get_C_or_V(), true), "previous class");
  require(is_shift_of(s.get_after_C_or_V(), s.get_C_or_V(), false), "next class");
  require(is_shift_of(s.get_prev_consonant_codes(), s.get_consonant_codes(), true), "previous consonant");
  require(is_shift_of(s.get_next_consonant_codes(), s.get_consonant_codes(), false), "next consonant");
  require(is_shift_of(s.get_prev_vowel_codes(), s.get_vowel_codes(), true), "previous vowel");
  require(is_shift_of(s.get_next_vowel_codes(), s.get_vowel_codes(), false), "next vowel");

  const std::vector<int> vowels = s.get_vowel_positions();
  for (std::size_t k = 0; k < vowels.size(); ++k) {
    require(vowels[k] >= 0 && static_cast<std::size_t>(vowels[k]) < n, "vowel position inside the text");
    require(k == 0 || vowels[k - 1] < vowels[k], "vowel positions ascending");
  }

  if (s.is_valid()) {
    require(s.get_word_count() >= 1, "a valid sentence has a word");
    require(all_in(s.get_syllables_in_word(), 1, segdur::kMaxSyllablesPerWord), "syllable count 1..14");
    const std::vector<int> places = s.get_in_word_positions();
    for (std::size_t i = 0; i < n; ++i) {
      const bool separator = !s.is_letter_char(text[i]);
      require(separator ? places[i] == 4 : (places[i] >= 0 && places[i] <= 2),
              "word place 0..2 for letters, 4 for separators");
    }
  }

  for (std::size_t i = 0; i < n; ++i) {
    const place_info_struct got = s.info_place(static_cast<unsigned>(i));
    place_info_struct expected{};
    expected.open_syllable = records[i].open_syllable;
    expected.syllable_number = records[i].syllable_number;
    expected.in_word_position = records[i].in_word_position;
    expected.in_sentence_position = records[i].in_sentence_position;
    expected.word_number = records[i].word_number;
    require(same_record(got, expected), "info_place agrees with the place records");
    require(records[i].word_number == s.get_word_count(), "word number in every record");
  }

  const Sentence copy = s;
  const std::vector<place_info_struct> copied = copy.get_place_info();
  require(copy.get_text() == text && copy.is_valid() == s.is_valid() && copied.size() == n,
          "a copy equals its original");
  for (std::size_t i = 0; i < n; ++i) require(same_record(copied[i], records[i]), "copied records");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  segdur::fuzzing::silence_standard_output();
  if (size == 0) return 0;
  const std::string mode = kModes[data[0] % (sizeof kModes / sizeof kModes[0])];
  const std::string input(reinterpret_cast<const char*>(data) + 1, size - 1);
  try {
    const Sentence s(input, mode);
    if (mode == "dont") {
      check_unanalysed(s, input);
    } else {
      check_analysed(s, input);
    }
  } catch (const segdur::fuzzing::RunEnded&) {
    require(false, "the analysis never ends the run");
  }
  return 0;
}
