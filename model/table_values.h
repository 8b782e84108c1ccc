#pragma once
// Value conventions shared by the duration tables: means without data, the
// test for a value that is set, the printed form of a value, and the class of
// a record's centre letter.

#include <cstdint>
#include <ostream>

namespace segdur {

// Report scales: seconds to milliseconds, ratios to percent.
constexpr float kMilliseconds = 1000;
constexpr float kPercent = 100;

// A value counts as set only when it is a number other than zero; zero and a
// value without data (not a number) are both "no value".
bool is_set(float value);

// sum / count, divided as it comes: a count of 0 gives a value without data
// (0 / 0, not a number).
float mean_of(float sum, int count);

// Per-letter means in place: each sums[k] with a nonzero counts[k] becomes
// sums[k] / counts[k], a letter without tokens keeps its value. Returns the
// mean over all the letters' tokens (the undivided sums over their total,
// no value when the total is 0) and stores the total in *total.
float per_letter_means(float* sums, const int32_t* counts, int n, int* total);

// The token-weighted mean of two groups: (a_count * a + b_count * b) /
// (a_count + b_count), in float, where a group without tokens adds 0 (its
// figure has no value): with one group empty it is the other group's figure
// (to the rounding of the product and quotient); with both empty it is
// 0 / 0, a value without data.
float pooled_mean(int a_count, float a, int b_count, float b);

// Writes `heading`, then one line per value: values[k] * scale and a line
// end (flushed), in the stream's default float format; a value without data
// prints as the stream prints a value that is not a number ("-nan" for the
// result of 0 / 0 on x86).
void write_value_list(std::ostream& out, const char* heading, const float* values, int n,
                      float scale);

// The four per-letter lists that close both editions' reports: the relative
// errors of the vowels and of the consonants in percent, then their mean
// durations in milliseconds (8 vowel and 21 consonant values, by code).
void write_letter_summary(std::ostream& out, const float* rel_error_vowel,
                          const float* rel_error_consonant, const float* mean_duration_vowel,
                          const float* mean_duration_consonant);

// The class of a centre letter and its code: a vowel code 0..7, a consonant
// code 0..20, or -1 for any other character.
struct CentreLetter {
  enum Kind { kVowel, kConsonant, kOther };
  Kind kind;
  int code;
};

// Classifies `letter` by the alphabet's vowel and consonant classes.
CentreLetter classify_centre_letter(char letter);

}  // namespace segdur
