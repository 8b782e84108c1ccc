#pragma once
// Analysis of one sentence text: syllables, words, positions and the
// phonetic codes of every character and its neighbours.

#include <cstdint>
#include <string>
#include <vector>

namespace segdur {

// The twelve codes of one position of an analysed text.
struct place_info_struct {
  int32_t open_syllable;         // 1 open, 0 closed
  int32_t syllable_number;       // syllables of the word holding the position
  int32_t in_word_position;      // 0 first, 1 middle, 2 last syllable; 4 not a letter
  int32_t in_sentence_position;  // 0 first, 1 middle, 2 last word
  int32_t prev_C_or_V;           // class of the previous position (1 vowel, 0 consonant, 2 other)
  int32_t after_C_or_V;          // class of the next position
  int32_t code_of_prev_cons;     // consonant code 0..21 of the previous position
  int32_t code_of_next_cons;     // consonant code 0..21 of the next position
  int32_t word_number;           // words in the sentence
  int32_t syllable_pattern;      // syllable type code 1..10
  int32_t code_of_prev_vowel;    // vowel code 0..8 of the previous position
  int32_t code_of_next_vowel;    // vowel code 0..8 of the next position
};
static_assert(sizeof(place_info_struct) == 48, "place_info_struct is twelve int32");

// One row of the syllable pattern table: a pattern over the code string
// ('.' separator or end, '1' vowel code, '0' anything else), the number of
// text characters the syllable covers, and its syllable type code.
struct syllable_pattern_row {
  const char* pattern;
  int length;
  int type;
};

// Number of rows of syllable_pattern_table.
constexpr int kSyllablePatternRows = 21;

// The 21 rows, tried in this order; the first match wins.
extern const syllable_pattern_row syllable_pattern_table[kSyllablePatternRows];

// 1 for the 14 vowel codes a e i o u A E I O U Y 1 2 3, else 0.
int is_vowel_code(char c);

// Cuts the NUL-terminated `text` into syllables. Writes 0 to starts[0], then
// the start of every following syllable; *count ends as 1 + syllables found.
// Appends one type code per syllable to *types (not cleared). Returns 1, or -1
// when no pattern fits at some position (what was found so far is kept).
// `starts` must have room for strlen(text) + 2 entries.
int syllabify(char* text, int* starts, int* count, char separator, std::vector<int>* types);

// Diagnostic dump: a line end, "Vector Contents : ", each element and " ", a line end.
void print_char_vector(std::vector<char> v);

// One sentence text and everything derived from it. The analysis runs once,
// in the constructor; afterwards the object is read through copy getters.
//
// An analysed text always begins with one 'Z' (a missing one is put in
// front); every per-position vector has one entry per position of that text.
// The analysis never reads or writes outside the text and its vectors: a text
// outside what it accepts (empty, no final 'Z', no syllable, ...) makes the
// sentence invalid.
class Sentence {
 public:
  // Empty text, empty vectors, not valid, no words.
  Sentence();
  // Analyses `text` unless `mode` is exactly "dont" (then the text is kept as
  // it is, the sentence is valid and every vector stays empty).
  Sentence(std::string text, std::string mode);
  Sentence(const Sentence&) = default;
  Sentence& operator=(const Sentence&) = default;
  Sentence(Sentence&&) = default;
  Sentence& operator=(Sentence&&) = default;
  ~Sentence() = default;

  // Position i of the analysed text: open_syllable, syllable_number,
  // in_word_position, in_sentence_position and word_number filled, the rest 0.
  // A position at or beyond the text's length ends the run (status 1).
  place_info_struct info_place(unsigned i) const;

  bool is_valid() const;
  int get_word_count() const;
  std::string get_text() const;
  std::vector<int> get_vowel_positions() const;
  std::vector<int> get_open_syllable_flags() const;
  std::vector<int> get_syllables_in_word() const;
  std::vector<int> get_in_word_positions() const;
  std::vector<int> get_in_sentence_positions() const;
  std::vector<int> get_syllable_pattern() const;
  std::vector<int> get_C_or_V() const;
  std::vector<int> get_prev_C_or_V() const;
  std::vector<int> get_after_C_or_V() const;
  std::vector<int> get_consonant_codes() const;
  std::vector<int> get_prev_consonant_codes() const;
  std::vector<int> get_next_consonant_codes() const;
  std::vector<int> get_vowel_codes() const;
  std::vector<int> get_prev_vowel_codes() const;
  std::vector<int> get_next_vowel_codes() const;
  std::vector<place_info_struct> get_place_info() const;

  // Normalisation of the text alone; the analysis is not repeated.
  // collapse_separators_ok, then normalise_punctuation.
  void normalise_text();
  // Runs collapse_separators; always true.
  bool collapse_separators_ok();
  // One 'Z' for every run of 'Z'; a 'Z' in front when missing; none added at the end.
  void collapse_separators();
  // attach_punctuation for . ? ! , ; : in this order, then the apostrophe rule.
  void normalise_punctuation();
  // Attaches every occurrence of `mark` to the character before it and makes a 'Z' follow it.
  void attach_punctuation(std::string mark);
  // True when every character is in the alphabet; otherwise reports the first
  // one that is not on standard output and returns false. The text is not changed.
  bool check_alphabet();

  // False for 'Z' and punctuation, true for every other byte.
  bool is_letter_char(char c) const;
  // First index from `start` on whose character is neither 'Z' nor
  // punctuation; `start` itself when at or past the end, the length when only
  // separators follow.
  unsigned skip_separators(std::string s, unsigned start) const;

 protected:
  // Stores the text, sets valid, and runs the sixteen steps unless mode is "dont".
  void analyse(std::string text, std::string mode);

  void syllabify_sentence();
  // Room for one entry per position of the analysed text in the per-position
  // vectors that the steps append to.
  void reserve_position_vectors();
  int syllable_is_open(unsigned position) const;
  void make_syllable_letter_vectors();
  void find_word_ends();
  void find_vowel_positions();
  void find_in_word_positions();
  void find_in_sentence_positions();
  void make_C_or_V();
  void make_prev_C_or_V();
  void make_after_C_or_V();
  void make_consonant_codes();
  void make_prev_consonant_codes();
  void make_next_consonant_codes();
  void make_vowel_codes();
  void make_prev_vowel_codes();
  void make_next_vowel_codes();
  void make_place_info();

  bool valid;
  std::string text;
  int32_t word_count;
  std::vector<int> syllable_starts;
  std::vector<int> open_syllable;
  std::vector<int> word_ends;
  std::vector<int> in_word_position;
  std::vector<int> in_sentence_position;
  std::vector<int> vowel_positions;
  std::vector<int> syllables_in_word;
  std::vector<int> syllable_types;
  std::vector<int> syllable_pattern;
  std::vector<int> C_or_V;
  std::vector<int> prev_C_or_V;
  std::vector<int> after_C_or_V;
  std::vector<int> consonant_code;
  std::vector<int> code_of_prev_cons;
  std::vector<int> code_of_next_cons;
  std::vector<place_info_struct> place_info;
  std::vector<int> vowel_code;
  std::vector<int> code_of_prev_vowel;
  std::vector<int> code_of_next_vowel;
};

}  // namespace segdur
