#include "model/database.h"

#include <cstring>
#include <utility>

#include "model/record_totals.h"

namespace segdur {

void triphone_struct::init() {
  init_record_totals(*this);
  std::memset(syllable_duration, 0, sizeof syllable_duration);
  std::memset(syllable_count, 0, sizeof syllable_count);
}

Database::Database(std::string model_type) : model_type(std::move(model_type)) {}

void Database::zero_statistics() {
  for (int v = 0; v < kVowelCount; ++v) {
    test_count_vowel[v] = 0;
    train_count_vowel[v] = 0;
    mean_duration_vowel[v] = 0;
    rel_error_vowel[v] = 0;
    vowel_aggregate[v] = triphone_struct{};
  }
  for (int c = 0; c < kConsonantCount; ++c) {
    test_count_consonant[c] = 0;
    train_count_consonant[c] = 0;
    mean_duration_consonant[c] = 0;
    rel_error_consonant[c] = 0;
    consonant_aggregate[c] = triphone_struct{};
  }
}

void Database::read(const char* path, int max_entries) {
  read(opened_list(path), path, max_entries);
}

void Database::read(std::ifstream&& list, const char* path, int max_entries) {
  zero_statistics();
  TriphoneTable::read(std::move(list), path, max_entries);
}

triphone_struct* Database::aggregate_of(const CentreLetter& letter) {
  if (letter.kind == CentreLetter::kVowel) return &vowel_aggregate[letter.code];
  if (letter.kind == CentreLetter::kConsonant) return &consonant_aggregate[letter.code];
  return nullptr;
}

const triphone_struct* Database::aggregate_of(const CentreLetter& letter) const {
  return const_cast<Database*>(this)->aggregate_of(letter);
}

void Database::train(SentenceVectors sentence) {
  for_each_listed(sentence, [this](int index, const triphone_PIVD_struct& element) {
    update_database(index, element.duration, element.place_info_struct);
  });
}

void Database::update_database(int index, float duration, place_info_struct place) {
  triphone_struct& r = record(index);
  CellContext at = add_training_token(r, duration, place);
  r.syllable_duration[at.syll - 1] += duration;
  r.syllable_count[at.syll - 1] += 1;
}

void Database::compute_means() {
  for (triphone_struct& r : all_records()) {
    r.mean_duration = mean_of(r.mean_duration, r.count);
    for (int j = 0; j < kSyllableClasses; ++j) {
      r.syllable_duration[j] = mean_of(r.syllable_duration[j], r.syllable_count[j]);
    }
    triphone_struct* aggregate = aggregate_of(classify_centre_letter(r.name[kNameCentreCopy]));
    if (aggregate != nullptr) {
      const duration_cell_struct* cell = cell_begin(r.cells);
      duration_cell_struct* pooled = cell_begin(aggregate->cells);
      for (int k = 0; k < kCellCount; ++k) {
        pooled[k].duration += cell[k].duration;
        pooled[k].count += cell[k].count;
      }
    }
    divide_cells(r.cells);
  }
  for (triphone_struct& aggregate : vowel_aggregate) divide_cells(aggregate.cells);
  for (triphone_struct& aggregate : consonant_aggregate) divide_cells(aggregate.cells);
  add_letter_durations(get_records(), mean_duration_vowel, train_count_vowel,
                       mean_duration_consonant, train_count_consonant);
  int vowel_tokens = 0;
  int consonant_tokens = 0;
  mean_duration_vowels =
      per_letter_means(mean_duration_vowel, train_count_vowel, kVowelCount, &vowel_tokens);
  mean_duration_consonants = per_letter_means(mean_duration_consonant, train_count_consonant,
                                              kConsonantCount, &consonant_tokens);
  mean_duration_all =
      pooled_mean(vowel_tokens, mean_duration_vowels, consonant_tokens, mean_duration_consonants);
}

}  // namespace segdur
