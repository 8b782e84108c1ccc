#include "text/field_scanner.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <sstream>
#include <string>

namespace segdur {
namespace {

enum class Kind { kFloat, kInt, kChar };
// The stream itself, the scanner of a text, the scanner of a stream read a byte at a time.
enum class Reader { kStream, kText, kByteChunks };

struct Row {
  std::string text;
  Kind kind;
  bool reads;
};

// The field's bits (a float's, bit for bit) when it reads, else "failed".
template <class Field>
std::string read_one(std::istream& stream, FieldScanner& scanner, bool from_stream) {
  Field field{};
  const bool ok = from_stream ? static_cast<bool>(stream >> field) : scanner.read(field);
  static_assert(sizeof field <= sizeof(std::uint32_t), "a field's bits fit 32 bits");
  std::uint32_t bits = 0;
  std::memcpy(&bits, &field, sizeof field);
  return ok ? "read " + std::to_string(bits) : "failed";
}

// The first field, then a label where the next field starts, by one reader.
std::string fields(const Row& row, Reader reader) {
  std::istringstream stream(row.text);
  std::istringstream source(row.text);
  FieldScanner scanner = reader == Reader::kText ? FieldScanner(row.text) : FieldScanner(source, 1);
  const bool from_stream = reader == Reader::kStream;
  std::string first = row.kind == Kind::kFloat ? read_one<float>(stream, scanner, from_stream)
                      : row.kind == Kind::kInt ? read_one<int>(stream, scanner, from_stream)
                                               : read_one<char>(stream, scanner, from_stream);
  return first + " / " + read_one<char>(stream, scanner, from_stream);
}

TEST(FieldScanner, ReadsEachEdgeTokenAsTheStreamDoes) {
  const Row rows[] = {
      {"+1.5;", Kind::kFloat, true},          {"-1.5;", Kind::kFloat, true},
      {"-0;", Kind::kFloat, true},            {"1e5;", Kind::kFloat, true},
      {"2.5E-3;", Kind::kFloat, true},        {"1e+;", Kind::kFloat, false},
      {"1.5e;", Kind::kFloat, false},         {"1e39;", Kind::kFloat, false},
      {"1e-50;", Kind::kFloat, true},         {"-1e-50;", Kind::kFloat, true},
      {"1e-40;", Kind::kFloat, true},         {"3.4028235e38;", Kind::kFloat, true},
      {"3.4028236e38;", Kind::kFloat, false}, {"0x1p3;", Kind::kFloat, true},
      {"inf;", Kind::kFloat, false},          {"nan;", Kind::kFloat, false},
      {"1.2.3;", Kind::kFloat, true},         {".;", Kind::kFloat, false},
      {"-;", Kind::kFloat, false},            {"+-1;", Kind::kFloat, false},
      {"007.50;", Kind::kFloat, true},        {"-007;", Kind::kInt, true},
      {"0x10;", Kind::kInt, true},            {"2147483647;", Kind::kInt, true},
      {"-2147483648;", Kind::kInt, true},     {"2147483648;", Kind::kInt, false},
      {"-2147483649;", Kind::kInt, false},    {"1.5;", Kind::kInt, true},
      {"0.875", Kind::kFloat, true},          {"121", Kind::kInt, true},
      {" \t\n\v\f\r0.5 \t\n\v\f\rZ", Kind::kFloat, true},
      {"\xA0" "1;", Kind::kFloat, false},     {"\x85\xFF", Kind::kChar, true},
  };
  for (const Row& row : rows) {
    const std::string by_stream = fields(row, Reader::kStream);
    EXPECT_EQ(by_stream.rfind(row.reads ? "read" : "failed", 0), 0u) << row.text;
    EXPECT_EQ(fields(row, Reader::kText), by_stream) << row.text;
    EXPECT_EQ(fields(row, Reader::kByteChunks), by_stream) << row.text;
  }
}

TEST(FieldScanner, ReadsAStreamNoFurtherThanTheChunkWhereItsFieldsEnd) {
  constexpr std::size_t kChunk = 8;
  const std::string body = "0.5 121 a\n1.25 121 Z\n";
  std::istringstream stream(body + std::string(4 * kChunk, 'y'));
  FieldScanner scanner(stream, kChunk);
  float end_time = 0.0f;
  int colour = 0;
  char label = 0;
  int triples = 0;
  while (scanner.read(end_time) && scanner.read(colour) && scanner.read(label)) ++triples;
  EXPECT_EQ(triples, 2);
  EXPECT_LE(static_cast<std::size_t>(stream.tellg()), body.size() + kChunk);
}

}  // namespace
}  // namespace segdur
