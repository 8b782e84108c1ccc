#pragma once
// The triphone duration table of segdur1: training, means, estimation by the
// triphone's mean with the centre letter's mean as fall-back, error
// statistics and the short performance report.

#include <cstddef>
#include <cstdint>

#include "model/context_cell.h"
#include "model/triphone_table.h"
#include "text/limits.h"
#include "text/sentence.h"
#include "text/sentence_vectors.h"

namespace segdur::edition1 {

// The record of one triphone. Before the means are formed every duration
// field holds a sum in seconds and every count its number of tokens; after,
// the same field holds sum / count (no value when the count is 0). Unlike
// segdur2's record it has no per-syllable-count arrays, so its binary form is
// shorter and the two editions cannot read each other's files.
struct triphone_struct {
  // Bytes of one record in the binary database (no padding: the layout below).
  static constexpr std::size_t kFileSize = 4728;

  float mean_duration;   // training durations of the centre segment
  float mean_error;      // absolute errors of the estimated test tokens
  int32_t count;         // training tokens
  int32_t error_count;   // test tokens that received an estimate
  duration_cells cells;  // [pos][words-1][level][syll-1]; trained, never estimated from
  char name[kRecordNameSize];  // previous, centre, next letter, NUL, centre letter, unused

  // Zeroes the totals, every cell and name[3]; leaves the other bytes of
  // `name` as they are.
  void init();
};
static_assert(sizeof(triphone_struct) == triphone_struct::kFileSize, "record size");
static_assert(offsetof(triphone_struct, mean_duration) == 0, "record layout");
static_assert(offsetof(triphone_struct, mean_error) == 4, "record layout");
static_assert(offsetof(triphone_struct, count) == 8, "record layout");
static_assert(offsetof(triphone_struct, error_count) == 12, "record layout");
static_assert(offsetof(triphone_struct, cells) == 16, "record layout");
static_assert(offsetof(triphone_struct, name) == 4720, "record layout");

// The duration table. Use: construct, read the triphone list, train every
// sentence, compute_means once, test every sentence, finalize_statistics
// once, write_performance. Each of compute_means and finalize_statistics
// divides in place and must run once. Nothing of it prints "No ".
class Database : public TriphoneTable<triphone_struct> {
 public:
  // An empty table; statistics start at zero.
  Database() = default;

  // Zeroes every statistic, then reads the triphone list at `path` (see
  // TriphoneTable::read).
  void read(const char* path, int max_entries);
  // The same on `list`, already opened on `path`; the table takes it over.
  void read(std::ifstream&& list, const char* path, int max_entries);

  // Adds every element of `sentence` whose triphone is listed to its record.
  void train(SentenceVectors sentence);
  // Adds one token of `duration` seconds in context `place` to records[index]:
  // total and context cell (level 3). A position outside 0..2 or a word or
  // syllable count below 1 prints "error in Database::update_database" and
  // ends the run (status 1); counts above 6 fall into the last class.
  void update_database(int index, float duration, place_info_struct place);
  // Turns every record's sums (total and cells) into means and forms the
  // count-weighted mean duration of every vowel and consonant; a letter
  // without trained records keeps 0.
  void compute_means();

  // Estimates every element of `sentence` whose triphone is listed.
  void test(SentenceVectors sentence);
  // Estimates one token of records[index] with actual duration `actual`: the
  // record's mean when set, else its centre letter's mean when set, else no
  // estimate (0). Files the absolute error into mean_abs_error (always) and
  // the record (when estimated), and the relative error per letter and into
  // mean_rel_error (when `actual` is set). `place` is not read.
  void evaluate(int index, float actual, place_info_struct place);
  // Turns the error sums into means: per record by its error count, per
  // letter by its test count (a letter without tokens keeps 0), and both
  // overall figures by predicted_count (inf or nan when it is 0).
  void finalize_statistics();
  // Replaces "performance_triphone.txt" in the working directory with the
  // complete short report (see ReplacedFile); a report that cannot be
  // created or written ends the run (status 1) and leaves the previous one.
  void write_performance() const;

  int32_t test_count_vowel[kVowelCount] = {};
  int32_t test_count_consonant[kConsonantCount] = {};
  float mean_abs_error = 0;  // seconds
  float mean_rel_error = 0;  // ratio
  int32_t predicted_count = 0;
  int32_t train_count_vowel[kVowelCount] = {};
  int32_t train_count_consonant[kConsonantCount] = {};
  float mean_duration_consonant[kConsonantCount] = {};
  float mean_duration_vowel[kVowelCount] = {};
  float rel_error_consonant[kConsonantCount] = {};
  float rel_error_vowel[kVowelCount] = {};

 private:
  void zero_statistics();
};

}  // namespace segdur::edition1
