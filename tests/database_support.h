#pragma once
// Builders shared by the duration-table tests.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "model/database.h"
#include "test_support.h"

namespace segdur::testing_support {

// The little-endian 32-bit word at `offset` of `bytes`.
inline uint32_t u32_at(const std::string& bytes, size_t offset) {
  const auto* b = reinterpret_cast<const unsigned char*>(bytes.data() + offset);
  return b[0] | b[1] << 8 | b[2] << 16 | static_cast<uint32_t>(b[3]) << 24;
}

// The bits of an IEEE single-precision float.
inline uint32_t bits_of(float f) {
  uint32_t u;
  std::memcpy(&u, &f, 4);
  return u;
}

// A context with the three fields the table reads.
inline place_info_struct place_at(int pos, int words, int syll) {
  place_info_struct p{};
  p.in_sentence_position = pos;
  p.word_number = words;
  p.syllable_number = syll;
  return p;
}

// A training element of `triphone` (up to three letters).
inline triphone_PIVD_struct element_of(const std::string& triphone, float duration = 0.1f,
                                       place_info_struct place = place_at(0, 1, 1)) {
  triphone_PIVD_struct e{};
  std::memcpy(e.triphone, triphone.data(), triphone.size() < 3 ? triphone.size() : 3);
  e.letter = triphone.size() > 1 ? triphone[1] : '\0';
  e.duration = duration;
  e.place_info_struct = place;
  return e;
}

// A triphone list of three lines per key.
inline std::string list_of(const std::vector<std::string>& keys) {
  std::string text;
  for (const std::string& k : keys) text += k + "\nsecond line\nthird line\n";
  return text;
}

// A table (of either edition) read from a list of `keys` written into `dir`;
// the size line is swallowed.
template <class Table>
void read_keys(Table& db, const TempDir& dir, const std::vector<std::string>& keys,
               int max_entries = 8000) {
  std::string path = dir.write("hepsi.txt", list_of(keys));
  capture_stdout([&] { db.read(path.c_str(), max_entries); });
}

// The figure on the line after the line `heading` of a report; a figure
// printed as "-nan" reads as not a number.
inline double report_figure(const std::string& report, const std::string& heading) {
  const std::string line = "\n" + heading + "\n";
  const std::size_t at = report.find(line);
  if (at == std::string::npos) {
    throw std::runtime_error("no heading \"" + heading + "\" in the report");
  }
  return std::stod(report.substr(at + line.size()));
}

}  // namespace segdur::testing_support
