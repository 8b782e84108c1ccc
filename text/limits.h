#pragma once
// Fixed sizes of the alphabet and of the analysis, defined once.

namespace segdur {

// Vowel codes 0..7 (a e I i o O u U); 8 means "not a vowel".
constexpr int kVowelCount = 8;
constexpr int kNotAVowel = 8;

// Consonant codes 0..20 (b c C d f g G h j k l m n p r s S t v y z); 21 means "not a consonant".
constexpr int kConsonantCount = 21;
constexpr int kNotAConsonant = 21;

// A word of more syllables than this makes its sentence invalid.
constexpr int kMaxSyllablesPerWord = 14;

// The pause and word-boundary symbol.
constexpr char kSeparator = 'Z';

}  // namespace segdur
