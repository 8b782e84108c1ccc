#include <cstddef>
#include <fstream>
#include <string>
#include <vector>

#include "text/fatal.h"
#include "text/open_file.h"
#include "text/limits.h"
#include "text/utility.h"

namespace segdur {

namespace {

// Columns of the groups of one feature-vector line.
constexpr int kSyllableNumberColumns = 6;
constexpr int kPositionColumns = 2;
constexpr int kSyllablePatternColumns = 9;
constexpr int kConsonantColumns = 21;
constexpr int kVowelColumns = 8;
constexpr int kWordNumberColumns = 6;

// Writes `width` columns "0 " with "1 " in column `one` (counted from 1 at the
// left); any `one` outside 1..width leaves every column 0.
void write_one_hot(std::ofstream& out, int width, int one) {
  for (int column = 1; column <= width; ++column) out << (column == one ? "1 " : "0 ");
}

// Keeps what the line holds so far in the file, then ends the run.
[[noreturn]] void stop(std::ofstream& out, const std::string& message) {
  out.flush();
  fatal(message);
}

// Groups 2 and 3: 0 is "0 1 ", 1 is "1 0 ", 2 is "0 0 ". Any other value stops
// the run with the element's index line and `message`.
void write_position_group(std::ofstream& out, int value, std::size_t index,
                          const char* message) {
  switch (value) {
    case 0: write_one_hot(out, kPositionColumns, 2); return;
    case 1: write_one_hot(out, kPositionColumns, 1); return;
    case 2: write_one_hot(out, kPositionColumns, 0); return;
    default:
      stop(out, " " + std::to_string(index) + " " + std::to_string(value) + "\n" + message);
  }
}

// Groups 4 and 5: 0 is "1 0 ", 1 is "0 1 ", 2 is "0 0 ". Any other value stops
// the run with `message`.
void write_class_group(std::ofstream& out, int value, const char* message) {
  if (value < 0 || value > 2) stop(out, message);
  write_one_hot(out, kPositionColumns, value == 0 ? 1 : value == 1 ? 2 : 0);
}

// Groups 7 and 8: codes 0..20 one-hot from the right (0 rightmost), 21 all 0, anything else
// stops the run with `message`.
void write_consonant_group(std::ofstream& out, int value, const char* message) {
  if (value < 0 || value > kConsonantCount) stop(out, message);
  write_one_hot(out, kConsonantColumns, kConsonantColumns - value);
}

// Groups 9 and 10: codes 0..7 one-hot from the right, every other value all 0.
void write_vowel_group(std::ofstream& out, int value) {
  bool vowel = value >= 0 && value < kVowelCount;
  write_one_hot(out, kVowelColumns, vowel ? kVowelColumns - value : 0);
}

// Groups 1 and 11: 1..6 one-hot from the right, every other value all 0.
void write_count_group(std::ofstream& out, int width, int value) {
  bool counted = value >= 1 && value <= width;
  write_one_hot(out, width, counted ? width + 1 - value : 0);
}

}  // namespace

void write_PID_V_vector_to_file(std::vector<PIVD_struct> PIVD_vector, const char* path,
                                std::string mode) {
  std::ofstream out;
  open_output_or_die(out, path);
  const bool sentence_mode = mode == "sentence";

  for (std::size_t i = 0; i < PIVD_vector.size(); ++i) {
    const place_info_struct& info = PIVD_vector[i].place_info_struct;
    out << "1 ";
    write_count_group(out, kSyllableNumberColumns, info.syllable_number);
    write_position_group(out, info.in_word_position, i,
                         "error in utility(write_PID_V_vector_to_file) switch "
                         "PIVD_vector[i].place_info_struct.in_word_position ");
    if (sentence_mode) {
      write_position_group(out, info.in_sentence_position, i,
                           "error in utility(write_PID_V_vector_to_file) switch "
                           "PIVD_vector[i].place_info_struct.in_sentence_position ");
    }
    write_class_group(out, info.prev_C_or_V, "error PIVD_vector[i].place_info_struct.prev_C_or_V");
    write_class_group(out, info.after_C_or_V, "PIVD_vector[i].place_info_struct.after_C_or_V ");

    const int pattern = info.syllable_pattern;
    if (pattern < 1 || pattern > kSyllablePatternColumns + 1) stop(out, "invalid syllable_pattern");
    write_one_hot(out, kSyllablePatternColumns, kSyllablePatternColumns + 1 - pattern);

    write_consonant_group(
        out, info.code_of_prev_cons,
        "Error in utility(write_PID_V_vector_to_file) place_info_struct.code_of_prev_cons");
    write_consonant_group(
        out, info.code_of_next_cons,
        "Error in utility(write_PID_V_vector_to_file) place_info_struct.code_of_next_cons");
    write_vowel_group(out, info.code_of_prev_vowel);
    write_vowel_group(out, info.code_of_next_vowel);
    if (sentence_mode) {
      if (info.word_number == 0) stop(out, " 0 can not be the word number ");
      write_count_group(out, kWordNumberColumns, info.word_number);
    }
    out << PIVD_vector[i].duration << " " << '\n';
    out.flush();
  }
  close_output_or_die(out, path);
}

}  // namespace segdur
