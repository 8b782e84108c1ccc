// Rewriting and inspection of the sentence text itself: separators,
// punctuation, apostrophes and the alphabet check. Only `text` is touched.

#include <iostream>
#include <string>

#include "text/letter.h"
#include "text/limits.h"
#include "text/sentence.h"

namespace segdur {

namespace {

// True only when `pos` lies inside `s` and holds the separator; every
// position outside the text reads as a character other than the separator.
bool separator_at(const std::string& s, std::size_t pos) {
  return pos < s.size() && s[pos] == kSeparator;
}

// The marks that normalisation attaches to the word before them, in the
// order in which they are treated.
const char* const kAttachedMarks[] = {".", "?", "!", ",", ";", ":"};

constexpr char kApostrophe = '\'';

}  // namespace

void Sentence::normalise_text() {
  collapse_separators_ok();
  normalise_punctuation();
}

bool Sentence::collapse_separators_ok() {
  collapse_separators();
  return true;
}

void Sentence::collapse_separators() {
  std::string result;
  result.reserve(text.size() + 1);
  bool last_was_separator = false;
  for (char c : text) {
    if (c == kSeparator) {
      if (!last_was_separator) result += c;
      last_was_separator = true;
    } else {
      result += c;
      last_was_separator = false;
    }
  }
  if (result.empty() || result[0] != kSeparator) result.insert(result.begin(), kSeparator);
  text = result;
}

void Sentence::attach_punctuation(std::string mark) {
  // An empty mark occurs nowhere; a longer one is attached as a unit.
  if (mark.empty()) return;
  std::size_t p = text.find(mark);
  while (p != std::string::npos) {
    if (p > 0 && text[p - 1] == kSeparator) {
      text.erase(p - 1, 1);
      const std::size_t after = p - 1 + mark.size();
      if (!separator_at(text, after)) text.insert(after, 1, kSeparator);
    } else {
      const std::size_t after = p + mark.size();
      if (!separator_at(text, after)) text.insert(after, 1, kSeparator);
    }
    p = text.find(mark, p + 1);
  }
}

void Sentence::normalise_punctuation() {
  for (const char* mark : kAttachedMarks) attach_punctuation(mark);

  std::size_t p = text.find(kApostrophe);
  while (p != std::string::npos) {
    const bool separator_before = p > 0 && text[p - 1] == kSeparator;
    const bool separator_after = separator_at(text, p + 1);
    if (!separator_before && !separator_after) text.erase(p, 1);
    p = text.find(kApostrophe, p + 1);
  }
}

bool Sentence::check_alphabet() {
  for (std::size_t j = 0; j < text.size(); ++j) {
    const char c = text[j];
    if (Letter(c).is_in_alphabet()) continue;
    std::cout << "\nerror, a character that is not in \"our\" alphabet exist in sentence\n"
              << text << std::endl
              << "at location " << j << " where character is " << c;
    return false;
  }
  return true;
}

}  // namespace segdur
