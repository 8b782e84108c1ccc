#pragma once
// Fields of a text, held in memory or read from a stream a chunk at a time,
// read as an std::istream in the classic "C" locale reads them with
// operator>>, at the cost of a pass over bytes.

#include <cstddef>
#include <istream>
#include <memory>
#include <string_view>

namespace segdur {

// Reads a text field after field exactly as `std::istringstream(text)` does
// with `>> float`, `>> int` and `>> char`: each read gives the same value
// (a float bit for bit), consumes the same bytes when it succeeds and fails
// where the stream would set failbit, leaving the value as it was. Like the
// stream's failbit, a failure sticks: every later read fails too.
//
// Each read first skips white space as the "C" locale's isspace: ' ', '\t',
// '\n', '\v', '\f', '\r'; no byte above 127 is white. A read that meets the
// end of the text instead of a field fails.
class FieldScanner {
 public:
  // The bytes a scanner of a stream asks the stream for at a time.
  static constexpr std::size_t kDefaultChunk = 64 * 1024;

  // Scans `text`, which must outlive the scanner.
  explicit FieldScanner(std::string_view text)
      : begin_(text.data()), next_(begin_), end_(begin_ + text.size()) {}
  // Scans what `stream` holds from its position on, read with `read()` in
  // chunks of `chunk` bytes (0 counts as 1) as fields need bytes beyond
  // those held. Such a read keeps only the field being read and asks for one
  // chunk, or for as many bytes as that field has when it is longer (a long
  // token costs reads that double, not a rescan a chunk). Nothing past the
  // chunk in which a read fails is read. The text ends where a read stops
  // short: at the stream's end, or at an I/O error, which leaves the
  // stream's badbit set for its owner to report. The stream must outlive
  // the scanner and be read by nothing else meanwhile.
  explicit FieldScanner(std::istream& stream, std::size_t chunk = kDefaultChunk)
      : stream_(&stream), chunk_(chunk == 0 ? 1 : chunk) {}

  // A decimal float. The token is the longest prefix of: an optional '+' or
  // '-'; digits with at most one '.'; then, after at least one digit, one 'e'
  // or 'E' and an optional sign and digits. Neither "inf", "nan" nor hex
  // form a token ("0x1p3" reads 0 and stops at 'x'). Fails unless the whole
  // token converts ("1.5e", ".", "-", "+-1") or when the value overflows
  // float (1e39, 3.4028236e38); an underflow gives the nearest float, a
  // denormal or a signed zero (1e-40, -1e-50). Converted as strtof does in
  // the C library's "C" locale, which the programs never leave.
  bool read(float& value);
  // A decimal int: an optional sign and at least one digit, up to the first
  // other byte ("0x10" reads 0). Fails outside int's range (2147483648).
  bool read(int& value);
  // The next byte that is not white space, whatever its value.
  bool read(char& value);

  // The bytes consumed so far, white space included: after a successful
  // read, where the next one starts. Says nothing after a failure.
  std::size_t offset() const { return dropped_ + static_cast<std::size_t>(next_ - begin_); }

 private:
  // Skips white space; false (and the scanner failed) at the end of the text.
  bool reach_field();
  // Keeps the bytes from next_ on at the front of the buffer and reads more
  // after them; false when the text has no more bytes.
  bool read_more();
  bool fail();

  const char* begin_ = nullptr;
  const char* next_ = nullptr;
  const char* end_ = nullptr;
  bool failed_ = false;

  // A stream's scanner: the bytes dropped before begin_, and the buffer
  // that holds [begin_, end_).
  std::istream* stream_ = nullptr;
  std::size_t chunk_ = 0;
  std::size_t dropped_ = 0;
  std::unique_ptr<char[]> buffer_;
  std::size_t capacity_ = 0;
};

}  // namespace segdur
