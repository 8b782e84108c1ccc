#include "model/database.h"

#include <cmath>
#include <iostream>

#include "model/record_totals.h"

namespace segdur {

namespace {

constexpr char kPureBackoffModel[] = "tree";

}  // namespace

void Database::test(SentenceVectors sentence) {
  for_each_listed(sentence, [this](int index, const triphone_PIVD_struct& element) {
    evaluate(index, element.duration, element.place_info_struct);
  });
}

float Database::tree_estimate(int index, place_info_struct place) {
  const triphone_struct& r = record(index);
  CellContext at = cell_context(place);
  if (at.in_table()) {
    const auto& level = r.cells[at.pos][at.words - 1];
    const int s = at.syll - 1;  // the token's own syllable class
    const bool fewer = at.syll >= 2;
    const bool more = at.syll <= kSyllableClasses - 1;
    const bool pure = model_type == kPureBackoffModel;
    // The back-off order; a step whose condition fails is skipped.
    const struct {
      bool applies;
      float value;
    } steps[] = {
        {!pure, r.mean_duration},
        {true, level[kTrainedLevel][s].duration},
        {true, r.syllable_duration[s]},
        {fewer, fewer ? level[kTrainedLevel][s - 1].duration : 0.0f},
        {more, more ? level[kTrainedLevel][s + 1].duration : 0.0f},
        {true, level[kBackoffLevel][s].duration},
        {fewer, fewer ? level[kBackoffLevel][s - 1].duration : 0.0f},
        {more, more ? level[kBackoffLevel][s + 1].duration : 0.0f},
        {true, r.mean_duration},
        {more, more ? r.syllable_duration[s + 1] : 0.0f},
        {fewer, fewer ? r.syllable_duration[s - 1] : 0.0f},
    };
    for (const auto& step : steps) {
      if (step.applies && is_set(step.value)) return step.value;
    }
  }
  std::cout << "No ";
  return 0;
}

float Database::letter_cell_estimate(int index, place_info_struct place) const {
  CellContext at = cell_context(place);
  const triphone_struct* aggregate =
      aggregate_of(classify_centre_letter(record(index).name[kNameCentreCopy]));
  if (aggregate == nullptr || !at.in_table()) return 0;
  return aggregate->cells[at.pos][at.words - 1][kTrainedLevel][at.syll - 1].duration;
}

void Database::evaluate(int index, float actual, place_info_struct place) {
  float from_record = tree_estimate(index, place);
  float from_letter_cell = letter_cell_estimate(index, place);
  triphone_struct& r = record(index);
  CentreLetter letter = classify_centre_letter(r.name[kNameCentreCopy]);
  float estimate = 0;
  if (!cell_context(place).in_table()) {
    // Outside the table: no estimate.
  } else if (is_set(from_record)) {
    estimate = from_record;
  } else if (is_set(from_letter_cell) && model_type != kPureBackoffModel) {
    estimate = from_letter_cell;
  } else {
    estimate = letter_mean_estimate(letter, mean_duration_vowel, mean_duration_consonant);
  }
  float error = std::fabs(actual - estimate);
  add_record_error(r, estimate, error);
  if (!is_set(actual)) return;
  float relative = error / actual;
  errors_all.push_back(error);
  if (letter.kind == CentreLetter::kVowel) {
    errors_vowels.push_back(error);
    errors_vowel[letter.code].push_back(error);
    rel_error_vowel[letter.code] += relative;
    test_count_vowel[letter.code] += 1;
  } else if (letter.kind == CentreLetter::kConsonant) {
    errors_consonants.push_back(error);
    errors_consonant[letter.code].push_back(error);
    rel_error_consonant[letter.code] += relative;
    test_count_consonant[letter.code] += 1;
  }
}

void Database::finalize_statistics() {
  divide_record_errors(all_records());
  int vowel_tokens = 0;
  int consonant_tokens = 0;
  rel_error_vowels = per_letter_means(rel_error_vowel, test_count_vowel, kVowelCount, &vowel_tokens);
  rel_error_consonants =
      per_letter_means(rel_error_consonant, test_count_consonant, kConsonantCount, &consonant_tokens);
  rel_error_all =
      pooled_mean(vowel_tokens, rel_error_vowels, consonant_tokens, rel_error_consonants);
}

}  // namespace segdur
