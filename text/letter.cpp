#include "text/letter.h"

#include <cstring>
#include <sstream>

#include "text/fatal.h"
#include "text/limits.h"

namespace segdur {

namespace {

// Code order of the vowels and of the consonants: a character's index in
// these strings is its code.
constexpr char kVowelsInCodeOrder[] = "aeIioOuU";
constexpr char kConsonantsInCodeOrder[] = "bcCdfgGhjklmnprsStvyz";
static_assert(sizeof(kVowelsInCodeOrder) - 1 == kVowelCount, "eight vowel codes");
static_assert(sizeof(kConsonantsInCodeOrder) - 1 == kConsonantCount, "21 consonant codes");

// Index of `c` in `set`, or -1. The NUL byte is never a member.
int index_in(const char* set, char c) {
  if (c == '\0') return -1;
  const char* found = std::strchr(set, c);
  return found ? static_cast<int>(found - set) : -1;
}

bool is_one_of(const char* set, char c) { return index_in(set, c) >= 0; }

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

bool Letter::is_vowel() const { return is_one_of(kVowelsInCodeOrder, letter); }

bool Letter::is_consonant() const { return is_one_of(kConsonantsInCodeOrder, letter); }

bool Letter::is_nasal() const { return is_one_of("mn", letter); }

bool Letter::is_voiced_stop() const { return is_one_of("bdg", letter); }

bool Letter::is_unvoiced_stop() const { return is_one_of("kpt", letter); }

bool Letter::is_voiced_fricative() const { return is_one_of("zv", letter); }

bool Letter::is_unvoiced_fricative() const { return is_one_of("Sfs", letter); }

bool Letter::is_semivowel() const { return is_one_of("lry", letter); }

bool Letter::is_h() const { return letter == 'h'; }

int Letter::vowel_number() const {
  const int code = index_in(kVowelsInCodeOrder, letter);
  if (code < 0) {
    std::string message = "\n Vowel ";
    message += letter;
    message += " is not vowel \n in int Letter::vowel_number( char vowel ) ";
    fatal(message);
  }
  return code;
}

int Letter::consonant_number() const {
  const int code = index_in(kConsonantsInCodeOrder, letter);
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
