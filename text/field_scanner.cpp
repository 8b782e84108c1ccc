#include "text/field_scanner.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <system_error>
#include <utility>

namespace segdur {

namespace {

bool is_space(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
bool is_digit(char c) { return c >= '0' && c <= '9'; }
bool is_sign(char c) { return c == '+' || c == '-'; }

constexpr std::int64_t kLowestInt = std::numeric_limits<int>::min();
constexpr std::int64_t kHighestInt = std::numeric_limits<int>::max();

const char* skip_digits(const char* p, const char* end) {
  while (p != end && is_digit(*p)) ++p;
  return p;
}

// The length of the float token that starts at `first` (not `end`); it ends
// at `end` when the token may go on past the bytes held.
std::size_t float_token_length(const char* first, const char* end) {
  const char* const mantissa = is_sign(*first) ? first + 1 : first;
  const char* p = skip_digits(mantissa, end);
  bool has_digit = p != mantissa;
  if (p != end && *p == '.') {
    const char* const fraction = p + 1;
    p = skip_digits(fraction, end);
    has_digit = has_digit || p != fraction;
  }
  if (has_digit && p != end && (*p == 'e' || *p == 'E')) {
    ++p;
    if (p != end && is_sign(*p)) ++p;
    p = skip_digits(p, end);
  }
  return static_cast<std::size_t>(p - first);
}

// The length of the int token that starts at `first` (not `end`), as
// float_token_length, and in `magnitude` the value of its digits. The
// magnitude stops growing once it is past every int, so that no run of
// digits can overflow it.
std::size_t int_token_length(const char* first, const char* end, std::int64_t& magnitude) {
  magnitude = 0;
  const char* p = is_sign(*first) ? first + 1 : first;
  for (; p != end && is_digit(*p); ++p) {
    if (magnitude <= -kLowestInt) magnitude = magnitude * 10 + (*p - '0');
  }
  return static_cast<std::size_t>(p - first);
}

// strtof's value of the float token [first, last) in `converted`; false
// unless strtof takes the whole token.
bool convert_by_strtof(const char* first, const char* last, float& converted) {
  const std::string token(first, last);
  char* stop = nullptr;
  converted = std::strtof(token.c_str(), &stop);
  return stop != token.c_str() && *stop == '\0';
}

// The value of the float token [first, last) as the stream decides it:
// strtof must take the whole token, and an infinite result (an overflow) is
// a failure. Where the standard library has a float from_chars (and
// SEGDUR_FLOAT_BY_STRTOF does not ask for strtof alone), from_chars converts
// first: it gives strtof's value for every token it takes whole; what it
// does not (a leading '+', an exponent without digits, a value out of its
// range, where strtof still gives a denormal or a zero) goes to strtof.
bool convert_float(const char* first, const char* last, float& value) {
  float converted = 0.0f;
#if defined(__cpp_lib_to_chars) && !defined(SEGDUR_FLOAT_BY_STRTOF)
  const char* const unsigned_first = first != last && *first == '+' ? first + 1 : first;
  const std::from_chars_result parsed = std::from_chars(unsigned_first, last, converted);
  const bool whole = (parsed.ec == std::errc() && parsed.ptr == last) ||
                     convert_by_strtof(first, last, converted);
#else
  const bool whole = convert_by_strtof(first, last, converted);
#endif
  if (!whole || std::isinf(converted)) return false;
  value = converted;
  return true;
}

}  // namespace

bool FieldScanner::fail() {
  failed_ = true;
  return false;
}

bool FieldScanner::read_more() {
  // A read that stopped short has met the stream's end or an I/O error.
  if (stream_ == nullptr || !*stream_) return false;
  const std::size_t held = static_cast<std::size_t>(end_ - next_);
  // A token as long as a chunk doubles the read, so that rescanning it from
  // its start after each read costs no more than reading it.
  const std::size_t wanted = std::max(chunk_, held);
  if (held + wanted > capacity_) {
    capacity_ = held + wanted;
    std::unique_ptr<char[]> larger(new char[capacity_]);
    if (held != 0) std::memcpy(larger.get(), next_, held);
    buffer_ = std::move(larger);
  } else if (held != 0) {
    std::memmove(buffer_.get(), next_, held);
  }
  dropped_ += static_cast<std::size_t>(next_ - begin_);
  begin_ = buffer_.get();
  next_ = begin_;
  stream_->read(buffer_.get() + held, static_cast<std::streamsize>(wanted));
  const std::size_t got = static_cast<std::size_t>(stream_->gcount());
  end_ = begin_ + held + got;
  return got != 0;
}

bool FieldScanner::reach_field() {
  if (failed_) return false;
  do {
    while (next_ != end_ && is_space(*next_)) ++next_;
    if (next_ != end_) return true;
  } while (read_more());
  return fail();
}

bool FieldScanner::read(float& value) {
  if (!reach_field()) return false;
  // A token that reaches the end of the bytes held may go on past them: it
  // is scanned again from its start, wherever read_more moved it.
  std::size_t length = 0;
  do length = float_token_length(next_, end_);
  while (next_ + length == end_ && read_more());
  const char* const first = next_;
  next_ += length;
  return convert_float(first, next_, value) || fail();
}

bool FieldScanner::read(int& value) {
  if (!reach_field()) return false;
  std::int64_t magnitude = 0;
  std::size_t length = 0;
  do length = int_token_length(next_, end_, magnitude);
  while (next_ + length == end_ && read_more());
  const bool negative = *next_ == '-';
  const bool has_digit = length > (is_sign(*next_) ? 1u : 0u);
  next_ += length;
  const std::int64_t signed_value = negative ? -magnitude : magnitude;
  if (!has_digit || signed_value < kLowestInt || signed_value > kHighestInt) return fail();
  value = static_cast<int>(signed_value);
  return true;
}

bool FieldScanner::read(char& value) {
  if (!reach_field()) return false;
  value = *next_++;
  return true;
}

}  // namespace segdur
