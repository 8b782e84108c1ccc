#pragma once
// The sentence alphabet and the fixed sizes of the analysis, defined once.

namespace segdur {

// The vowels and the consonants in code order: a letter's index in its string
// is its code. Every class test, the alphabet check and the statistics' letter
// rows read these two strings.
constexpr char kVowelsInCodeOrder[] = "aeIioOuU";
constexpr char kConsonantsInCodeOrder[] = "bcCdfgGhjklmnprsStvyz";

// Vowel codes 0..7; 8 means "not a vowel".
constexpr int kVowelCount = sizeof(kVowelsInCodeOrder) - 1;
constexpr int kNotAVowel = kVowelCount;
static_assert(kVowelCount == 8, "every per-vowel table has eight entries");

// Consonant codes 0..20; 21 means "not a consonant".
constexpr int kConsonantCount = sizeof(kConsonantsInCodeOrder) - 1;
constexpr int kNotAConsonant = kConsonantCount;
static_assert(kConsonantCount == 21, "every per-consonant table has 21 entries");

// The pause and word-boundary symbol, the alphabet's 30th symbol.
constexpr char kSeparator = 'Z';

// A word of more syllables than this makes its sentence invalid.
constexpr int kMaxSyllablesPerWord = 14;

}  // namespace segdur
