#pragma once
// Per-letter duration statistics of analysed sentences under three selectors,
// and their export as duration vectors, one-hot feature vectors and a general
// statistics report.

#include <cstdint>
#include <string>
#include <vector>

#include "text/letter.h"
#include "text/limits.h"
#include "text/sentence.h"
#include "text/utility.h"

namespace segdur {

// Number of vowel contexts kept by DurationStatistics (see `contexts`).
constexpr int kVowelContextCount = 14;

// The durations of the eight vowels in one context, by vowel code.
struct vowel_context_struct {
  std::vector<float> durations[kVowelCount];  // every collected duration, in collection order
  float sum[kVowelCount];                     // float sum of `durations`; the mean after compute_means
  int32_t count[kVowelCount];                 // number of collected durations
};

// Collects the durations of the vowels and consonants of analysed sentences
// and writes them out.
//
// Use: construct; for every sentence load() then compute_statistics(), which
// add to the accumulators; then once write_general_statistics() (it turns
// every sum into a mean in place) and write_vector_files(). Nothing is cleared
// after construction: collecting a loaded sentence twice counts it twice.
// Constructing and destroying an object writes nothing.
//
// The fields are the object's record and may be read by callers; only the
// members below change them.
class DurationStatistics {
 public:
  // Stores the mode and the three selectors as given (no value is refused;
  // values outside the listed sets select nothing and name nothing). Every
  // accumulator starts empty, every sum and count at 0.
  DurationStatistics(std::string vector_mode, int syllable_type, int syllable_number,
                     int desired_word_position);
  ~DurationStatistics() = default;

  // Makes `text` the current sentence: analyses it in mode "do", copies its
  // per-position codes and marks every position that passes the selectors.
  // The accumulators are not touched. A text that does not begin with 'Z',
  // that the analysis rejects, or that has fewer durations than characters
  // prints its reason on standard output and ends the run (status 1).
  void load(std::string text, std::vector<float> durations);

  // The positions of `letter` in `text`, ascending, whose `selected` entry is
  // set; `text` must be (a copy of) the current text.
  std::vector<int> find_letter(std::string text, char letter);

  // Adds the current sentence to every accumulator: the twelve collectors in
  // the order declared below. Without a loaded sentence it adds nothing.
  void compute_statistics();

  // Collectors of the current sentence. Letters are taken in code order and
  // each letter's selected positions in ascending order.

  // Every selected vowel into vowel_durations, vowel_sum and vowel_count.
  void collect_vowels();
  // Every selected consonant into consonant_durations (no sums or counts).
  void collect_consonants();
  // Every vowel followed by a consonant (selected or not) into the
  // before-consonant accumulators at the consonant's code.
  void collect_vowels_before_consonants();
  // Every selected vowel into context 0 (open syllable) or 1 (closed).
  void collect_open_closed();
  // Every selected vowel into context 2 or 3: next character m n, or not.
  void collect_nasal();
  // Context 4 or 5: next character z v, or not.
  void collect_voiced_fricative();
  // Context 6 or 7: next character S f s, or not.
  void collect_unvoiced_fricative();
  // Context 8 or 9: next character b d g, or not.
  void collect_voiced_stop();
  // Context 10 or 11: next character k p t, or not.
  void collect_unvoiced_stop();
  // Context 12 or 13: next character l r y, or not.
  void collect_semivowel();
  // One record (duration and the position's codes) per selected vowel.
  void collect_vowel_PIVD_vectors();
  // One record per selected consonant.
  void collect_consonant_PIVD_vectors();

  // Workers: each appends the selected occurrences of its letter to the
  // vectors it is given. The vowel workers add to the sums and counts at the
  // vowel's code in their own contexts; a non-vowel ends the run.
  void collect_vowel(char vowel, std::vector<float>* out);
  void collect_consonant(char consonant, std::vector<float>* out);
  void collect_open_closed_vowel(char vowel, std::vector<float>* open, std::vector<float>* closed);
  void collect_nasal_vowel(char vowel, std::vector<float>* in_class, std::vector<float>* not_in_class);
  void collect_voiced_fricative_vowel(char vowel, std::vector<float>* in_class,
                                      std::vector<float>* not_in_class);
  void collect_unvoiced_fricative_vowel(char vowel, std::vector<float>* in_class,
                                        std::vector<float>* not_in_class);
  void collect_voiced_stop_vowel(char vowel, std::vector<float>* in_class,
                                 std::vector<float>* not_in_class);
  void collect_unvoiced_stop_vowel(char vowel, std::vector<float>* in_class,
                                   std::vector<float>* not_in_class);
  void collect_semivowel_vowel(char vowel, std::vector<float>* in_class,
                               std::vector<float>* not_in_class);
  void collect_PIVD_vector(char letter, std::vector<PIVD_struct>* out);

  // `prefix` followed by the parts of the three selectors, e.g.
  // "_allsyllables_all#syllables_word_all.txt" for 2, 0, 5. A selector value
  // outside its set adds nothing, so the name may lack the extension.
  std::string make_file_name(std::string prefix);

  // The 58 per-letter files: write_vowel_files, then write_consonant_files.
  void write_vector_files();
  // Creates vowel_vectors/ and vowel_piv_d_vectors/ (an existing or
  // unmakeable directory is ignored; the open of the file then fails) and
  // writes the duration and feature-vector file of every vowel.
  void write_vowel_files();
  // The same for consonant_vectors/ and consonant_pivd_vectors/.
  void write_consonant_files();

  // The file of one letter; a letter outside the member's rows writes
  // nothing, except write_consonant_PIVD_vector, which ends the run.
  void write_vowel_vector(char letter);
  void write_vowel_PIVD_vector(char letter);
  void write_consonant_vector(char letter);
  void write_consonant_PIVD_vector(char letter);

  // Replaces every vowel, context and before-consonant sum by sum / count in
  // place (0 / 0 gives NaN; a second call divides the means again).
  void compute_means();

  // Creates general/, writes general/<make_file_name("general")> (161 lines:
  // the selectors and every mean, after compute_means) and its comma-decimal
  // copy general/C<same name>. A report that cannot be opened ends the run
  // before any sum is changed; one that cannot be written ends it after.
  void write_general_statistics();

  std::string vector_mode;    // mode of the feature-vector files ("sentence" adds groups)
  int32_t syllable_type;      // 0 closed, 1 open, 2 all syllables
  int32_t syllable_number;    // 0 any word, n > 0 words of n syllables
  int32_t desired_word_position;  // 0 first, 1 middle, 2 last syllable, 5 all
  std::vector<int> open_syllable;      // per position of the current sentence
  std::vector<int> syllables_in_word;  // per position
  std::vector<int> in_word_position;   // per position (4 not a letter)
  std::vector<char> selected;          // per position: 1 when it passes the selectors
  Sentence sentence;                   // analysis of `text` in mode "do"
  std::string text;                    // the current sentence text
  std::vector<float> durations;        // per position, in seconds
  std::vector<float> vowel_durations[kVowelCount];
  float vowel_sum[kVowelCount];
  int32_t vowel_count[kVowelCount];
  std::vector<float> consonant_durations[kConsonantCount];
  std::vector<float> vowel_before_consonant_durations[kConsonantCount];
  float vowel_before_consonant_sum[kConsonantCount];
  int32_t vowel_before_consonant_count[kConsonantCount];
  // 0 open, 1 closed syllable; then pairs (in class, not) for the next
  // character: 2-3 nasal, 4-5 voiced fricative, 6-7 unvoiced fricative, 8-9
  // voiced stop, 10-11 unvoiced stop, 12-13 semi-vowel.
  vowel_context_struct contexts[kVowelContextCount];
  std::vector<PIVD_struct> vowel_PIVD_vectors[kVowelCount];
  std::vector<place_info_struct> place_info;  // per position of the current sentence
  std::vector<PIVD_struct> consonant_PIVD_vectors[kConsonantCount];

 private:
  using ClassWorker = void (DurationStatistics::*)(char, std::vector<float>*, std::vector<float>*);

  // Runs `worker` for each vowel in code order with the vectors of contexts
  // `first` and `first` + 1 at the vowel's code.
  void collect_pair(ClassWorker worker, int first);

  // The worker shared by the six consonant-class pairs: context `first` when
  // `in_class` holds for the character after the vowel, else `first` + 1.
  void collect_class_vowel(char vowel, bool (Letter::*in_class)() const, int first,
                           std::vector<float>* in_vectors, std::vector<float>* not_in_vectors);
};

}  // namespace segdur
