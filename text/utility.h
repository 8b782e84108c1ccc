#pragma once
// Shared writers and readers of numeric files, the feature-vector writer and
// a few numerics. Every vector or string argument is taken by value.

#include <string>
#include <vector>

#include "text/sentence.h"

namespace segdur {

// A duration in seconds with the position codes of its letter.
struct PIVD_struct {
  float duration;
  segdur::place_info_struct place_info_struct;
};

// Numeric vector files: one value per line, flushed after each line; an empty
// input gives an empty file. A file that cannot be opened or written ends the
// run; a file cut short by a failed write is removed first when the path
// itself is a regular file.
void write_int_array_to_file(const int* values, int n, const char* path);
void write_float_array_to_file(const float* values, int n, const char* path);
void write_int_vector_to_file(std::vector<int> values, const char* path);
void write_float_vector_to_file(std::vector<float> values, const char* path);

// The integers of the file in order, up to the first text that is not one.
// A file that cannot be opened or read ends the run (status 1).
std::vector<int> read_int_vector_from_file(const char* path);

// Writes one word of `in` per line with every '.' replaced by ','. An output
// path of exactly "notgiven" means "P" followed by the input path. An output
// that is the input's regular file itself, however spelt, ends the run before
// anything is truncated; so does an output that cannot be opened, and one
// that cannot be written ends it as the numeric writers do. The input is read
// whole first: a failed read ends the run before the output is created.
void convert_decimal_points(const char* in, const char* out);

// A new array of s.size() + 1 characters: s, then a NUL. The caller owns it
// and releases it with delete[].
char* string_to_char_array(std::string s);

// Every position p with text[p] == c, ascending; an empty text gives none.
std::vector<int> find_char_positions(std::string text, char c);

// A line end, "Vector Contents : ", each element and " ", a line end.
void print_vector(std::vector<int> v);

// 0..n-1 with position i swapped with rand() % n for i = 0..n-1 (rand is
// called exactly n times). n <= 0 gives an empty vector and no rand call.
std::vector<int> make_shuffled_index_vector(int n);

// Arithmetic mean, summed in double; an empty vector gives NaN.
float mean(std::vector<float> values);

// Sample standard deviation (divisor n - 1); 0 for fewer than two values.
float standard_deviation(std::vector<float> values);

// One line of one-hot feature columns and the duration per element. Mode
// "sentence" (exactly) adds the in-sentence position and word-number groups.
// An invalid code prints its message and ends the run, leaving the line half
// written. A file that cannot be opened or written ends the run; a file cut
// short by a failed write is removed first when the path itself is a regular
// file.
void write_PID_V_vector_to_file(std::vector<PIVD_struct> PIVD_vector, const char* path,
                                std::string mode);

}  // namespace segdur
