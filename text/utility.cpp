#include "text/utility.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <limits>
#include <utility>

#include "text/fatal.h"
#include "text/open_file.h"

namespace segdur {

namespace {

// Opens `path` for writing in text mode (created or truncated) or ends the run.
std::ofstream open_for_writing(const char* path) {
  std::ofstream out;
  open_output_or_die(out, path);
  return out;
}

// Opens `path` for reading in text mode or ends the run (a directory too).
std::ifstream open_for_reading(const char* path) {
  std::ifstream in;
  open_input_or_die(in, path);
  return in;
}

// One value per line, each line flushed.
template <typename T>
void write_values(const T* values, std::size_t n, const char* path) {
  std::ofstream out = open_for_writing(path);
  for (std::size_t i = 0; i < n; ++i) out << values[i] << std::endl;
  close_output_or_die(out, path);
}

std::size_t count_of(int n) { return n > 0 ? static_cast<std::size_t>(n) : 0; }

}  // namespace

void write_int_array_to_file(const int* values, int n, const char* path) {
  write_values(values, count_of(n), path);
}

void write_float_array_to_file(const float* values, int n, const char* path) {
  write_values(values, count_of(n), path);
}

void write_int_vector_to_file(std::vector<int> values, const char* path) {
  write_values(values.data(), values.size(), path);
}

void write_float_vector_to_file(std::vector<float> values, const char* path) {
  write_values(values.data(), values.size(), path);
}

std::vector<int> read_int_vector_from_file(const char* path) {
  std::ifstream in = open_for_reading(path);
  std::vector<int> result;
  int value = 0;
  while (in >> value) result.push_back(value);
  check_read_or_die(in, path);
  in.close();
  return result;
}

void convert_decimal_points(const char* in, const char* out) {
  std::ifstream input = open_for_reading(in);
  std::string out_path;
  if (out != nullptr) out_path = std::strcmp(out, "notgiven") == 0 ? "P" + std::string(in) : out;
  const char* output_path = out != nullptr ? out_path.c_str() : nullptr;
  // Truncating the input would leave nothing to copy.
  if (FileIdentity(output_path).is_same_file(in)) fatal_output_is_input(output_path);
  // The whole input is read before the output is created, so a failed read
  // leaves no half-converted copy.
  std::vector<std::string> words;
  std::string word;
  while (input >> word) {
    for (char& c : word) {
      if (c == '.') c = ',';
    }
    words.push_back(word);
  }
  check_read_or_die(input, in);
  input.close();
  std::ofstream output = open_for_writing(output_path);
  for (const std::string& converted : words) output << converted << std::endl;
  close_output_or_die(output, output_path);
}

char* string_to_char_array(std::string s) {
  char* array = new char[s.size() + 1];
  std::memcpy(array, s.data(), s.size());
  array[s.size()] = '\0';
  return array;
}

std::vector<int> find_char_positions(std::string text, char c) {
  std::vector<int> positions;
  for (auto p = text.find(c); p != std::string::npos; p = text.find(c, p + 1)) {
    positions.push_back(static_cast<int>(p));
  }
  return positions;
}

void print_vector(std::vector<int> v) {
  std::cout << std::endl << "Vector Contents : ";
  for (int x : v) std::cout << x << " ";
  std::cout << std::endl;
}

std::vector<int> make_shuffled_index_vector(int n) {
  std::vector<int> v;
  if (n <= 0) return v;
  v.reserve(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) v.push_back(i);
  for (int i = 0; i < n; ++i) {
    const int j = std::rand() % n;
    std::swap(v[static_cast<std::size_t>(i)], v[static_cast<std::size_t>(j)]);
  }
  return v;
}

float mean(std::vector<float> values) {
  double sum = 0.0;
  for (float x : values) sum += x;
  return static_cast<float>(sum / static_cast<double>(values.size()));
}

float standard_deviation(std::vector<float> values) {
  const float m = mean(values);
  float t = 0.0f;
  for (float x : values) {
    const double d = static_cast<double>(x) - static_cast<double>(m);
    t = static_cast<float>(static_cast<double>(t) + std::pow(d, 2.0));
  }
  const float r = static_cast<float>(std::sqrt(static_cast<double>(t)));
  const std::size_t n = values.size();
  if (n < 2) return r;
  return static_cast<float>(static_cast<double>(r) / std::sqrt(static_cast<double>(n - 1)));
}

}  // namespace segdur
