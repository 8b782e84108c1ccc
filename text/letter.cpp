#include "text/letter.h"

#include <cstring>
#include <sstream>

#include "text/fatal.h"
#include "text/limits.h"

namespace segdur {

namespace {

// Code of every byte in the order of `set` (its index there), or -1; built
// once so that a class question is one table read.
struct CodeTable {
  signed char code[256];
  constexpr explicit CodeTable(const char* set) : code() {
    for (int b = 0; b < 256; ++b) code[b] = -1;
    for (int k = 0; set[k] != '\0'; ++k) code[static_cast<unsigned char>(set[k])] = static_cast<signed char>(k);
  }
  constexpr int operator[](char c) const { return code[static_cast<unsigned char>(c)]; }
};

constexpr CodeTable kVowelCodes(kVowelsInCodeOrder);
constexpr CodeTable kConsonantCodes(kConsonantsInCodeOrder);

// True when `c` is one of the characters of `set`; the NUL byte never is.
bool is_one_of(const char* set, char c) { return c != '\0' && std::strchr(set, c) != nullptr; }

}  // namespace

bool is_punctuation(char c) {
  const unsigned char u = static_cast<unsigned char>(c);
  return (u >= '!' && u <= '/') || (u >= ':' && u <= '@') || (u >= '[' && u <= '`') ||
         (u >= '{' && u <= '~');
}

Letter::Letter(char c) : letter(c) {}

Letter::Letter() : letter('\0') {}

char Letter::set_letter(char c) {
  letter = c;
  return letter;
}

bool Letter::is_sentence_end() const { return is_one_of("!.?", letter); }

bool Letter::is_letter() const { return letter != kSeparator && !is_punctuation(letter); }

bool Letter::is_in_alphabet() const {
  return letter == kSeparator || is_vowel() || is_consonant() || is_punctuation(letter);
}

bool Letter::is_vowel() const { return kVowelCodes[letter] >= 0; }

bool Letter::is_consonant() const { return kConsonantCodes[letter] >= 0; }

bool Letter::is_nasal() const { return is_one_of("mn", letter); }

bool Letter::is_voiced_stop() const { return is_one_of("bdg", letter); }

bool Letter::is_unvoiced_stop() const { return is_one_of("kpt", letter); }

bool Letter::is_voiced_fricative() const { return is_one_of("zv", letter); }

bool Letter::is_unvoiced_fricative() const { return is_one_of("Sfs", letter); }

bool Letter::is_semivowel() const { return is_one_of("lry", letter); }

bool Letter::is_h() const { return letter == 'h'; }

int Letter::vowel_number() const {
  const int code = kVowelCodes[letter];
  if (code < 0) {
    std::string message = "\n Vowel ";
    message += letter;
    message += " is not vowel \n in int Letter::vowel_number( char vowel ) ";
    fatal(message);
  }
  return code;
}

int Letter::consonant_number() const {
  const int code = kConsonantCodes[letter];
  return code < 0 ? kNotAConsonant : code;
}

char VowelAnalyse::vowel(int vowel_number) {
  if (vowel_number < 0 || vowel_number >= kVowelCount) {
    std::ostringstream message;
    message << "\n Vowel number " << vowel_number << " is not valid "
            << "\n in char VowelAnalyse::vowel( int vowel_number )";
    fatal(message.str());
  }
  return kVowelsInCodeOrder[vowel_number];
}

char VowelAnalyse::consonant(int consonant_number) {
  if (consonant_number < 0 || consonant_number >= kConsonantCount) fatal("");
  return kConsonantsInCodeOrder[consonant_number];
}

}  // namespace segdur
