#include "text/field_scanner.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <string>
#include <system_error>

namespace segdur {

namespace {

bool is_space(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
bool is_digit(char c) { return c >= '0' && c <= '9'; }
bool is_sign(char c) { return c == '+' || c == '-'; }

const char* skip_digits(const char* p, const char* end) {
  while (p != end && is_digit(*p)) ++p;
  return p;
}

// The value of the float token [first, last) as the stream decides it:
// strtof must take the whole token, and an infinite result (an overflow) is
// a failure. from_chars gives strtof's value for every token it takes whole;
// what it does not (a leading '+', an exponent without digits, a value out
// of its range, where strtof still gives a denormal or a zero) goes to
// strtof itself.
bool convert_float(const char* first, const char* last, float& value) {
  const char* const unsigned_first = first != last && *first == '+' ? first + 1 : first;
  float converted = 0.0f;
  const std::from_chars_result parsed = std::from_chars(unsigned_first, last, converted);
  if (parsed.ec != std::errc() || parsed.ptr != last) {
    const std::string token(first, last);
    char* stop = nullptr;
    converted = std::strtof(token.c_str(), &stop);
    if (stop == token.c_str() || *stop != '\0') return false;
  }
  if (std::isinf(converted)) return false;
  value = converted;
  return true;
}

}  // namespace

bool FieldScanner::fail() {
  failed_ = true;
  return false;
}

bool FieldScanner::reach_field() {
  if (failed_) return false;
  while (next_ != end_ && is_space(*next_)) ++next_;
  return next_ != end_ || fail();
}

bool FieldScanner::read(float& value) {
  if (!reach_field()) return false;
  const char* const first = next_;
  const char* const mantissa = is_sign(*first) ? first + 1 : first;
  const char* p = skip_digits(mantissa, end_);
  bool has_digit = p != mantissa;
  if (p != end_ && *p == '.') {
    const char* const fraction = p + 1;
    p = skip_digits(fraction, end_);
    has_digit = has_digit || p != fraction;
  }
  if (has_digit && p != end_ && (*p == 'e' || *p == 'E')) {
    ++p;
    if (p != end_ && is_sign(*p)) ++p;
    p = skip_digits(p, end_);
  }
  next_ = p;
  return convert_float(first, p, value) || fail();
}

bool FieldScanner::read(int& value) {
  if (!reach_field()) return false;
  constexpr std::int64_t kLowest = std::numeric_limits<int>::min();
  constexpr std::int64_t kHighest = std::numeric_limits<int>::max();
  const bool negative = *next_ == '-';
  const char* const digits = is_sign(*next_) ? next_ + 1 : next_;
  // The magnitude stops growing once it is past every int, so that no run
  // of digits can overflow it.
  std::int64_t magnitude = 0;
  const char* p = digits;
  for (; p != end_ && is_digit(*p); ++p) {
    if (magnitude <= -kLowest) magnitude = magnitude * 10 + (*p - '0');
  }
  next_ = p;
  const std::int64_t signed_value = negative ? -magnitude : magnitude;
  if (p == digits || signed_value < kLowest || signed_value > kHighest) return fail();
  value = static_cast<int>(signed_value);
  return true;
}

bool FieldScanner::read(char& value) {
  if (!reach_field()) return false;
  value = *next_++;
  return true;
}

}  // namespace segdur
