#include "model/table_values.h"

#include <cmath>
#include <limits>
#include <ostream>

#include "text/letter.h"
#include "text/limits.h"

namespace segdur {

bool is_set(float value) { return !std::isnan(value) && value != 0.0f; }

float mean_of(float sum, int count) { return sum / static_cast<float>(count); }

float per_letter_means(float* sums, const int32_t* counts, int n, int* total) {
  float all = 0;
  *total = 0;
  for (int k = 0; k < n; ++k) {
    all += sums[k];
    if (counts[k] != 0) sums[k] = sums[k] / static_cast<float>(counts[k]);
    *total += counts[k];
  }
  return mean_of(all, *total);
}

float pooled_mean(int a_count, float a, int b_count, float b) {
  const float fa = static_cast<float>(a_count);
  const float fb = static_cast<float>(b_count);
  // A group without tokens adds 0, not 0 times its figure without data.
  const float a_part = a_count != 0 ? fa * a : 0.0f;
  const float b_part = b_count != 0 ? fb * b : 0.0f;
  return (a_part + b_part) / (fa + fb);
}

void write_value_list(std::ostream& out, const char* heading, const float* values, int n,
                      float scale) {
  out << heading;
  for (int k = 0; k < n; ++k) {
    out << values[k] * scale << std::endl;
  }
}

void write_letter_summary(std::ostream& out, const float* rel_error_vowel,
                          const float* rel_error_consonant, const float* mean_duration_vowel,
                          const float* mean_duration_consonant) {
  write_value_list(out, "\nError percentages for vowels\n", rel_error_vowel, kVowelCount, kPercent);
  write_value_list(out, "\nError percentages for consonants\n", rel_error_consonant,
                   kConsonantCount, kPercent);
  write_value_list(out, "\nMean durations of vowels\n", mean_duration_vowel, kVowelCount,
                   kMilliseconds);
  write_value_list(out, "\nMean durations of consonants\n", mean_duration_consonant,
                   kConsonantCount, kMilliseconds);
}

CentreLetter classify_centre_letter(char letter) {
  Letter l(letter);
  if (l.is_vowel()) return {CentreLetter::kVowel, l.vowel_number()};
  if (l.is_consonant()) return {CentreLetter::kConsonant, l.consonant_number()};
  return {CentreLetter::kOther, -1};
}

}  // namespace segdur
