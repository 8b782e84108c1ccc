#include "edition1/database.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <fstream>
#include <ostream>
#include <utility>

#include "model/record_totals.h"
#include "model/table_values.h"
#include "text/replaced_file.h"

namespace segdur::edition1 {

void triphone_struct::init() { init_record_totals(*this); }

namespace {

// Sets every entry of `values` to 0.
template <class T, std::size_t N>
void zero(T (&values)[N]) {
  std::fill(values, values + N, T{});
}

}  // namespace

void Database::zero_statistics() {
  mean_abs_error = 0;
  mean_rel_error = 0;
  predicted_count = 0;
  zero(test_count_vowel);
  zero(test_count_consonant);
  zero(train_count_vowel);
  zero(train_count_consonant);
  zero(mean_duration_vowel);
  zero(mean_duration_consonant);
  zero(rel_error_vowel);
  zero(rel_error_consonant);
}

void Database::read(const char* path, int max_entries) {
  read(opened_list(path), path, max_entries);
}

void Database::read(std::ifstream&& list, const char* path, int max_entries) {
  zero_statistics();
  TriphoneTable::read(std::move(list), path, max_entries);
}

void Database::train(SentenceVectors sentence) {
  for_each_listed(sentence, [this](int index, const triphone_PIVD_struct& element) {
    update_database(index, element.duration, element.place_info_struct);
  });
}

void Database::update_database(int index, float duration, place_info_struct place) {
  add_training_token(record(index), duration, place);
}

void Database::compute_means() {
  for (triphone_struct& r : all_records()) {
    r.mean_duration = mean_of(r.mean_duration, r.count);
    divide_cells(r.cells);
  }
  add_letter_durations(get_records(), mean_duration_vowel, train_count_vowel,
                       mean_duration_consonant, train_count_consonant);
  int tokens = 0;
  per_letter_means(mean_duration_vowel, train_count_vowel, kVowelCount, &tokens);
  per_letter_means(mean_duration_consonant, train_count_consonant, kConsonantCount, &tokens);
}

void Database::test(SentenceVectors sentence) {
  for_each_listed(sentence, [this](int index, const triphone_PIVD_struct& element) {
    evaluate(index, element.duration, element.place_info_struct);
  });
}

void Database::evaluate(int index, float actual, place_info_struct /*place*/) {
  triphone_struct& r = record(index);
  CentreLetter letter = classify_centre_letter(r.name[kNameCentreCopy]);
  float estimate = is_set(r.mean_duration)
                       ? r.mean_duration
                       : letter_mean_estimate(letter, mean_duration_vowel, mean_duration_consonant);
  float error = std::fabs(actual - estimate);
  add_record_error(r, estimate, error);
  mean_abs_error += error;
  if (is_set(actual)) {
    float relative = error / actual;
    mean_rel_error += relative;
    if (letter.kind == CentreLetter::kVowel) {
      rel_error_vowel[letter.code] += relative;
      test_count_vowel[letter.code] += 1;
    } else if (letter.kind == CentreLetter::kConsonant) {
      rel_error_consonant[letter.code] += relative;
      test_count_consonant[letter.code] += 1;
    }
  }
  if (is_set(estimate)) predicted_count += 1;
}

void Database::finalize_statistics() {
  divide_record_errors(all_records());
  int tokens = 0;
  per_letter_means(rel_error_vowel, test_count_vowel, kVowelCount, &tokens);
  per_letter_means(rel_error_consonant, test_count_consonant, kConsonantCount, &tokens);
  const float predicted = static_cast<float>(predicted_count);
  mean_abs_error = mean_abs_error / predicted;
  mean_rel_error = mean_rel_error / predicted;
}

void Database::write_performance() const {
  ReplacedFile report(kPerformanceReportPath);
  std::ostream& out = report.stream();
  out << "Results of Triphone Modelling\n";
  out << "For triphones \n";
  out << "\nGeneral Error " << mean_abs_error << "\n";
  out << "\nGeneral Error Percentage " << mean_rel_error * kPercent << "\n";
  write_letter_summary(out, rel_error_vowel, rel_error_consonant, mean_duration_vowel,
                       mean_duration_consonant);
  report.commit_or_die();
}

}  // namespace segdur::edition1
