// Fuzz target: the field scanner against the stream it stands in for. Any
// bytes are read as fields through an std::istringstream (>> float, >> int,
// >> char in turn, as the labelled-file reader reads its triples, ending
// after a triple whose end time is not finite) and through two FieldScanners,
// one of the text and one of a stream read in chunks of 1, 4 or 7 bytes, so
// that tokens straddle chunks. All must read the same fields (floats bit for
// bit), consume the same bytes before each field that succeeds, and fail at
// the same field. Each input is read three times, starting with each kind of
// field, so that every kind meets the input's first bytes.

#include <cmath>
#include <cstdint>
#include <cstring>
#include <ios>
#include <sstream>
#include <string>

#include "fuzz/fuzz_support.h"
#include "text/field_scanner.h"

using segdur::fuzzing::require;

namespace {

constexpr int kFieldKinds = 3;

// The bytes the stream has consumed.
std::size_t stream_offset(std::istringstream& stream) {
  const std::streamoff offset = stream.rdbuf()->pubseekoff(0, std::ios::cur, std::ios::in);
  require(offset >= 0, "the string stream tells its position");
  return static_cast<std::size_t>(offset);
}

// A field's bits: a float compared bit for bit.
template <class Field>
std::uint32_t bits_of(Field field) {
  static_assert(sizeof field <= sizeof(std::uint32_t), "a field's bits fit 32 bits");
  std::uint32_t bits = 0;
  std::memcpy(&bits, &field, sizeof field);
  return bits;
}

// Reads one field through all three; true when all read it, alike.
template <class Field>
bool same_field(std::istringstream& stream, segdur::FieldScanner& scanner,
                segdur::FieldScanner& chunked, Field& field) {
  Field scanned{};
  Field scanned_by_chunks{};
  const bool read = static_cast<bool>(stream >> field);
  require(scanner.read(scanned) == read && chunked.read(scanned_by_chunks) == read,
          "a field fails in all or in none");
  require(!read || (bits_of(field) == bits_of(scanned) &&
                    bits_of(field) == bits_of(scanned_by_chunks)),
          "the same field, bit for bit");
  return read;
}

void compare_from(const std::string& text, int first_kind) {
  std::istringstream stream(text);
  segdur::FieldScanner scanner(text);
  std::istringstream source(text);
  segdur::FieldScanner chunked(source, 1 + 3 * static_cast<std::size_t>(first_kind));
  float end_time = 0.0f;
  int colour = 0;
  char label = 0;
  for (int kind = first_kind;; kind = (kind + 1) % kFieldKinds) {
    const bool read = kind == 0   ? same_field(stream, scanner, chunked, end_time)
                      : kind == 1 ? same_field(stream, scanner, chunked, colour)
                                  : same_field(stream, scanner, chunked, label);
    if (!read) {
      require(!scanner.read(label) && !chunked.read(label), "a failed scanner stays failed");
      return;
    }
    require(stream_offset(stream) == scanner.offset() && scanner.offset() == chunked.offset(),
            "the same bytes consumed");
    if (kind == kFieldKinds - 1 && !std::isfinite(end_time)) return;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  for (int kind = 0; kind < kFieldKinds; ++kind) compare_from(text, kind);
  return 0;
}
