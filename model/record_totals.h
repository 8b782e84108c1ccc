#pragma once
// Steps on a triphone record that both duration tables take alike: adding a
// training token, the per-letter duration sums, the letter-mean fall-back and
// the filing of a record's estimation error.
//
// `Record` has `float mean_duration, mean_error`, `int32_t count,
// error_count`, `duration_cells cells` and `char name[kRecordNameSize]`.

#include <cstdint>
#include <cstring>
#include <vector>

#include "model/context_cell.h"
#include "model/table_values.h"
#include "model/triphone_table.h"

namespace segdur {

// Zeroes the record's totals, every cell and name[3]; leaves the other bytes
// of `name` as they are.
template <class Record>
void init_record_totals(Record& r) {
  r.mean_duration = 0;
  r.mean_error = 0;
  r.count = 0;
  r.error_count = 0;
  std::memset(r.cells, 0, sizeof r.cells);
  r.name[3] = '\0';
}

// Adds one token of `duration` seconds to the record's total and count and
// to its level-3 cell of the context `place`, and returns that context. The
// total and count are added before the context is checked; a context outside
// the table ends the run (see checked_training_context).
template <class Record>
CellContext add_training_token(Record& r, float duration, const place_info_struct& place) {
  r.mean_duration += duration;
  r.count += 1;
  CellContext at = checked_training_context(place);
  duration_cell_struct& cell = r.cells[at.pos][at.words - 1][kTrainedLevel][at.syll - 1];
  cell.duration += duration;
  cell.count += 1;
  return at;
}

// For every record whose mean duration is set, in order, adds count × mean to
// its centre letter's duration sum and count to the letter's token count
// (arrays by vowel or consonant code); other records add nothing.
template <class Record>
void add_letter_durations(const std::vector<Record>& records, float* vowel_durations,
                          int32_t* vowel_counts, float* consonant_durations,
                          int32_t* consonant_counts) {
  for (const Record& r : records) {
    if (!is_set(r.mean_duration)) continue;
    CentreLetter letter = classify_centre_letter(r.name[kNameCentreCopy]);
    if (letter.kind == CentreLetter::kVowel) {
      vowel_durations[letter.code] += static_cast<float>(r.count) * r.mean_duration;
      vowel_counts[letter.code] += r.count;
    } else if (letter.kind == CentreLetter::kConsonant) {
      consonant_durations[letter.code] += static_cast<float>(r.count) * r.mean_duration;
      consonant_counts[letter.code] += r.count;
    }
  }
}

// The mean duration of `letter` when it is set, else 0 (no estimate); 0 for
// a character that is neither vowel nor consonant.
inline float letter_mean_estimate(const CentreLetter& letter, const float* vowel_means,
                                  const float* consonant_means) {
  float mean = 0;
  if (letter.kind == CentreLetter::kVowel) mean = vowel_means[letter.code];
  if (letter.kind == CentreLetter::kConsonant) mean = consonant_means[letter.code];
  return is_set(mean) ? mean : 0;
}

// Files `error` (seconds) into the record when `estimate` is set.
template <class Record>
void add_record_error(Record& r, float estimate, float error) {
  if (!is_set(estimate)) return;
  r.mean_error += error;
  r.error_count += 1;
}

// Turns every record's error sum into its mean (no value without estimates).
template <class Record>
void divide_record_errors(std::vector<Record>& records) {
  for (Record& r : records) r.mean_error = mean_of(r.mean_error, r.error_count);
}

}  // namespace segdur
