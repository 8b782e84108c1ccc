#include <cstddef>
#include <string>
#include <vector>

#include "stats/duration_statistics.h"
#include "stats/letter_table.h"
#include "text/letter.h"

namespace segdur {

namespace {

// First context of each consonant-class pair; the pair's second is one more.
constexpr int kOpenContext = 0;
constexpr int kClosedContext = 1;
constexpr int kNasalContext = 2;
constexpr int kVoicedFricativeContext = 4;
constexpr int kUnvoicedFricativeContext = 6;
constexpr int kVoicedStopContext = 8;
constexpr int kUnvoicedStopContext = 10;
constexpr int kSemivowelContext = 12;

}  // namespace

void DurationStatistics::collect_vowels() {
  for (int v = 0; v < kVowelCount; ++v) collect_vowel(kVowelsInCodeOrder[v], &vowel_durations[v]);
}

void DurationStatistics::collect_vowel(char vowel, std::vector<float>* out) {
  const int v = Letter(vowel).vowel_number();
  for (int p : find_letter(text, vowel)) {
    const float d = durations[p];
    out->push_back(d);
    vowel_sum[v] += d;
    vowel_count[v] += 1;
  }
}

void DurationStatistics::collect_consonants() {
  for (int c = 0; c < kConsonantCount; ++c) {
    collect_consonant(kConsonantsInCodeOrder[c], &consonant_durations[c]);
  }
}

void DurationStatistics::collect_consonant(char consonant, std::vector<float>* out) {
  for (int p : find_letter(text, consonant)) out->push_back(durations[p]);
}

void DurationStatistics::collect_vowels_before_consonants() {
  for (int position : sentence.get_vowel_positions()) {
    const std::size_t p = static_cast<std::size_t>(position);
    if (p + 1 >= text.size()) continue;
    const int c = Letter(text[p + 1]).consonant_number();
    if (c == kNotAConsonant) continue;
    vowel_before_consonant_durations[c].push_back(durations[p]);
    vowel_before_consonant_sum[c] += durations[p];
    vowel_before_consonant_count[c] += 1;
  }
}

void DurationStatistics::collect_open_closed() {
  for (int v = 0; v < kVowelCount; ++v) {
    collect_open_closed_vowel(kVowelsInCodeOrder[v], &contexts[kOpenContext].durations[v],
                              &contexts[kClosedContext].durations[v]);
  }
}

void DurationStatistics::collect_open_closed_vowel(char vowel, std::vector<float>* open,
                                                   std::vector<float>* closed) {
  const int v = Letter(vowel).vowel_number();
  for (int p : find_letter(text, vowel)) {
    const float d = durations[p];
    const bool is_open = open_syllable[p] != 0;
    vowel_context_struct& context = contexts[is_open ? kOpenContext : kClosedContext];
    (is_open ? open : closed)->push_back(d);
    context.sum[v] += d;
    context.count[v] += 1;
  }
}

void DurationStatistics::collect_class_vowel(char vowel, bool (Letter::*in_class)() const,
                                             int first, std::vector<float>* in_vectors,
                                             std::vector<float>* not_in_vectors) {
  const int v = Letter(vowel).vowel_number();
  for (int p : find_letter(text, vowel)) {
    const std::size_t next_position = static_cast<std::size_t>(p) + 1;
    const char next = next_position < text.size() ? text[next_position] : '\0';
    const float d = durations[p];
    const bool member = (Letter(next).*in_class)();
    vowel_context_struct& context = contexts[member ? first : first + 1];
    (member ? in_vectors : not_in_vectors)->push_back(d);
    context.sum[v] += d;
    context.count[v] += 1;
  }
}

void DurationStatistics::collect_nasal_vowel(char vowel, std::vector<float>* in_class,
                                             std::vector<float>* not_in_class) {
  collect_class_vowel(vowel, &Letter::is_nasal, kNasalContext, in_class, not_in_class);
}

void DurationStatistics::collect_voiced_fricative_vowel(char vowel, std::vector<float>* in_class,
                                                        std::vector<float>* not_in_class) {
  collect_class_vowel(vowel, &Letter::is_voiced_fricative, kVoicedFricativeContext, in_class,
                      not_in_class);
}

void DurationStatistics::collect_unvoiced_fricative_vowel(char vowel,
                                                          std::vector<float>* in_class,
                                                          std::vector<float>* not_in_class) {
  collect_class_vowel(vowel, &Letter::is_unvoiced_fricative, kUnvoicedFricativeContext, in_class,
                      not_in_class);
}

void DurationStatistics::collect_voiced_stop_vowel(char vowel, std::vector<float>* in_class,
                                                   std::vector<float>* not_in_class) {
  collect_class_vowel(vowel, &Letter::is_voiced_stop, kVoicedStopContext, in_class, not_in_class);
}

void DurationStatistics::collect_unvoiced_stop_vowel(char vowel, std::vector<float>* in_class,
                                                     std::vector<float>* not_in_class) {
  collect_class_vowel(vowel, &Letter::is_unvoiced_stop, kUnvoicedStopContext, in_class,
                      not_in_class);
}

void DurationStatistics::collect_semivowel_vowel(char vowel, std::vector<float>* in_class,
                                                 std::vector<float>* not_in_class) {
  collect_class_vowel(vowel, &Letter::is_semivowel, kSemivowelContext, in_class, not_in_class);
}

void DurationStatistics::collect_pair(ClassWorker worker, int first) {
  for (int v = 0; v < kVowelCount; ++v) {
    (this->*worker)(kVowelsInCodeOrder[v], &contexts[first].durations[v],
                    &contexts[first + 1].durations[v]);
  }
}

void DurationStatistics::collect_nasal() {
  collect_pair(&DurationStatistics::collect_nasal_vowel, kNasalContext);
}

void DurationStatistics::collect_voiced_fricative() {
  collect_pair(&DurationStatistics::collect_voiced_fricative_vowel, kVoicedFricativeContext);
}

void DurationStatistics::collect_unvoiced_fricative() {
  collect_pair(&DurationStatistics::collect_unvoiced_fricative_vowel, kUnvoicedFricativeContext);
}

void DurationStatistics::collect_voiced_stop() {
  collect_pair(&DurationStatistics::collect_voiced_stop_vowel, kVoicedStopContext);
}

void DurationStatistics::collect_unvoiced_stop() {
  collect_pair(&DurationStatistics::collect_unvoiced_stop_vowel, kUnvoicedStopContext);
}

void DurationStatistics::collect_semivowel() {
  collect_pair(&DurationStatistics::collect_semivowel_vowel, kSemivowelContext);
}

void DurationStatistics::collect_vowel_PIVD_vectors() {
  for (int v = 0; v < kVowelCount; ++v) {
    collect_PIVD_vector(kVowelsInCodeOrder[v], &vowel_PIVD_vectors[v]);
  }
}

void DurationStatistics::collect_consonant_PIVD_vectors() {
  for (int c = 0; c < kConsonantCount; ++c) {
    collect_PIVD_vector(kConsonantsInCodeOrder[c], &consonant_PIVD_vectors[c]);
  }
}

void DurationStatistics::collect_PIVD_vector(char letter, std::vector<PIVD_struct>* out) {
  for (int p : find_letter(text, letter)) out->push_back(PIVD_struct{durations[p], place_info[p]});
}

}  // namespace segdur
