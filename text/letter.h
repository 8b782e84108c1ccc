#pragma once
// The sentence alphabet and the phonetic classes of its letters.

namespace segdur {

// One character of a sentence text and every class question asked about it.
// Comparisons are on the exact byte: case matters, and a byte above 127 is
// never punctuation and never in the alphabet.
class Letter {
 public:
  explicit Letter(char c);
  // The character is set later with set_letter, before any question.
  Letter();

  // Stores the character and returns it.
  char set_letter(char c);

  bool is_sentence_end() const;        // ! . ?
  bool is_letter() const;              // neither 'Z' nor punctuation (digits and foreign bytes are letters)
  bool is_in_alphabet() const;         // one of the 30 symbols (Z included) or punctuation
  bool is_vowel() const;               // a e I i o O u U
  bool is_consonant() const;           // the 21 consonants
  bool is_nasal() const;               // m n
  bool is_voiced_stop() const;         // b d g
  bool is_unvoiced_stop() const;       // k p t
  bool is_voiced_fricative() const;    // z v
  bool is_unvoiced_fricative() const;  // S f s
  bool is_semivowel() const;           // l r y
  bool is_h() const;                   // h

  // Vowel code 0..7; a non-vowel prints its message and ends the run (status 1).
  int vowel_number() const;
  // Consonant code 0..20; 21 for every other character (never an error).
  int consonant_number() const;

 private:
  char letter;
};

// The inverse conversions, from a code back to its character.
class VowelAnalyse {
 public:
  // 0 a .. 7 U; any other number prints its message and ends the run.
  char vowel(int vowel_number);
  // 0 b .. 20 z; any other number ends the run silently.
  char consonant(int consonant_number);
};

// True for the punctuation of the default "C" locale (the 32 printable ASCII
// characters that are neither letters, digits nor the space). Safe on every
// byte: a byte above 127 is never punctuation.
bool is_punctuation(char c);

}  // namespace segdur
