#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <system_error>
#include <utility>

#include "stats/duration_statistics.h"
#include "stats/letter_table.h"
#include "text/fatal.h"
#include "text/open_file.h"
#include "text/utility.h"

namespace segdur {

namespace {

// Parts of the export file names, indexed by the selector value.
constexpr const char* kSyllableTypeParts[] = {"_closedsyllables_", "_opensyllables_",
                                              "_allsyllables_"};
constexpr const char* kSyllableNumberParts[] = {
    "all#syllables_", "in_1_syllable_", "in_2_syllable_", "in_3_syllable_",
    "in_4_syllable_", "in_5_syllable_", "in_6_syllable_", "in_7_syllable_"};
// Positions 3 and 4 name nothing.
constexpr const char* kWordPositionParts[] = {"word_init.txt", "word_mid.txt", "word_final.txt",
                                              "", "", "word_all.txt"};

// Headings of the context blocks of the general statistics file, by context.
constexpr const char* kContextHeadings[kVowelContextCount] = {
    "Vowel Means In Open Syllables\n",
    "Vowel Means In Closed Syllables\n",
    "Vowel Means Before Nasals\n",
    "Vowel Means Before NOT Nasals\n",
    "Vowel Means Before Before Voiced Fricative\n",
    "Vowel Means Before Before NOT Voiced Fricative\n",
    "Vowel Means Before Unvoiced Fricative\n",
    "Vowel Means Before NOT Unvoiced Fricative\n",
    "Vowel Means Before Voiced Stop vowels\n",
    "Vowel Means Before NOT Voiced Stop vowels\n",
    "Vowel Means Before Unvoiced Stop  vowels\n",
    "Vowel Means Before Before Not Unvoiced Stop vowels\n",
    "Vowel Means Before Semi-vowels\n",
    "Vowel Means Before NOT Semi-vowels\n"};

// parts[value] when value indexes the table, else "".
template <int count>
const char* part_of(const char* const (&parts)[count], int32_t value) {
  return value >= 0 && value < count ? parts[value] : "";
}

// Creates the directory below the working directory; an existing one, or one
// that cannot be made, is passed over silently.
void make_directory(const char* name) {
  std::error_code ignored;
  std::filesystem::create_directory(name, ignored);
}

// The path as a character array owned by the result.
std::unique_ptr<char[]> char_array(const std::string& path) {
  return std::unique_ptr<char[]>(string_to_char_array(path));
}

// A heading line, then each value on a line of its own, flushed after each.
void write_block(std::ofstream& out, const char* heading, const float* values, int count) {
  out << heading;
  for (int k = 0; k < count; ++k) out << values[k] << '\n' << std::flush;
}

// sum / count in double precision, rounded to float once.
float divided(float sum, int32_t count) {
  return static_cast<float>(static_cast<double>(sum) / count);
}

}  // namespace

std::string DurationStatistics::make_file_name(std::string prefix) {
  std::string name = std::move(prefix);
  name += part_of(kSyllableTypeParts, syllable_type);
  name += part_of(kSyllableNumberParts, syllable_number);
  name += part_of(kWordPositionParts, desired_word_position);
  return name;
}

void DurationStatistics::write_vector_files() {
  write_vowel_files();
  write_consonant_files();
}

void DurationStatistics::write_vowel_files() {
  make_directory("vowel_vectors");
  for (int v = 0; v < kVowelCount; ++v) write_vowel_vector(kVowelsInCodeOrder[v]);
  make_directory("vowel_piv_d_vectors");
  for (int v = 0; v < kVowelCount; ++v) write_vowel_PIVD_vector(kVowelsInCodeOrder[v]);
}

void DurationStatistics::write_consonant_files() {
  make_directory("consonant_vectors");
  for (int c = 0; c < kConsonantCount; ++c) write_consonant_vector(kConsonantsInCodeOrder[c]);
  make_directory("consonant_pivd_vectors");
  for (int c = 0; c < kConsonantCount; ++c) write_consonant_PIVD_vector(kConsonantsInCodeOrder[c]);
}

void DurationStatistics::write_vowel_vector(char letter) {
  const int v = vowel_row(letter);
  if (v < 0) return;
  const auto path =
      char_array("vowel_vectors/" + make_file_name(std::string("vowel") + kVowelTags[v]));
  write_float_vector_to_file(vowel_durations[v], path.get());
}

void DurationStatistics::write_vowel_PIVD_vector(char letter) {
  const int v = vowel_row(letter);
  if (v < 0) return;
  const auto path = char_array(std::string("vowel_piv_d_vectors/piv_d_vowel_") + kVowelTags[v]);
  write_PID_V_vector_to_file(vowel_PIVD_vectors[v], path.get(), vector_mode);
}

void DurationStatistics::write_consonant_vector(char letter) {
  const int c = consonant_row(letter);
  if (c < 0) return;
  const auto path = char_array("consonant_vectors/" +
                               make_file_name(std::string("consonant") + kConsonantTags[c]));
  write_float_vector_to_file(consonant_durations[c], path.get());
}

void DurationStatistics::write_consonant_PIVD_vector(char letter) {
  const int c = consonant_row(letter);
  if (c < 0) fatal("illegal consonant\n error in consonant writing");
  const auto path =
      char_array(std::string("consonant_pivd_vectors/consonant_pivd_") + kConsonantTags[c]);
  write_PID_V_vector_to_file(consonant_PIVD_vectors[c], path.get(), vector_mode);
}

void DurationStatistics::compute_means() {
  for (int v = 0; v < kVowelCount; ++v) {
    vowel_sum[v] = divided(vowel_sum[v], vowel_count[v]);
    for (vowel_context_struct& context : contexts) {
      context.sum[v] = divided(context.sum[v], context.count[v]);
    }
  }
  for (int c = 0; c < kConsonantCount; ++c) {
    vowel_before_consonant_sum[c] =
        divided(vowel_before_consonant_sum[c], vowel_before_consonant_count[c]);
  }
}

void DurationStatistics::write_general_statistics() {
  make_directory("general");
  const std::string name = make_file_name("general");
  const std::string path = "general/" + name;
  std::ofstream out;
  open_output_or_die(out, path.c_str());

  compute_means();
  out << "General Statistical Information\n\n";
  out << " Syllable type syllable_number desired_word_position\n";
  out << syllable_type << "   " << syllable_number << "   " << desired_word_position << '\n'
      << std::flush;
  write_block(out, "Vowel Means\n", vowel_sum, kVowelCount);
  write_block(out, "Vowel Means Before Consonants\n", vowel_before_consonant_sum,
              kConsonantCount);
  for (int k = 0; k < kVowelContextCount; ++k) {
    write_block(out, kContextHeadings[k], contexts[k].sum, kVowelCount);
  }
  close_output_or_die(out, path.c_str());

  const auto in_path = char_array(path);
  const auto copy_path = char_array("general/C" + name);
  convert_decimal_points(in_path.get(), copy_path.get());
}

}  // namespace segdur
