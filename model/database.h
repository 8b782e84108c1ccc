#pragma once
// The triphone duration table of segdur2: training, means, estimation with
// its back-off order, error statistics and the performance report.

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "model/context_cell.h"
#include "model/table_values.h"
#include "model/triphone_table.h"
#include "text/limits.h"
#include "text/sentence.h"
#include "text/sentence_vectors.h"

namespace segdur {

// The record of one triphone. Before the means are formed every duration
// field holds a sum in seconds and every count its number of tokens; after,
// the same field holds sum / count (no value when the count is 0).
struct triphone_struct {
  // Bytes of one record in the binary database (no padding: the layout below).
  static constexpr std::size_t kFileSize = 4784;

  float mean_duration;   // training durations of the centre segment
  float mean_error;      // absolute errors of the estimated test tokens
  int32_t count;         // training tokens
  int32_t error_count;   // test tokens that received an estimate
  float syllable_duration[kSyllableClasses];  // index syll-1
  int32_t syllable_count[kSyllableClasses];
  duration_cells cells;  // [pos][words-1][level][syll-1]
  char name[kRecordNameSize];  // previous, centre, next letter, NUL, centre letter, unused

  // Zeroes the totals, both syllable arrays, every cell and name[3]; leaves
  // the other bytes of `name` as they are.
  void init();
};
static_assert(sizeof(triphone_struct) == triphone_struct::kFileSize, "record size");
static_assert(offsetof(triphone_struct, mean_duration) == 0, "record layout");
static_assert(offsetof(triphone_struct, mean_error) == 4, "record layout");
static_assert(offsetof(triphone_struct, count) == 8, "record layout");
static_assert(offsetof(triphone_struct, error_count) == 12, "record layout");
static_assert(offsetof(triphone_struct, syllable_duration) == 16, "record layout");
static_assert(offsetof(triphone_struct, syllable_count) == 44, "record layout");
static_assert(offsetof(triphone_struct, cells) == 72, "record layout");
static_assert(offsetof(triphone_struct, name) == 4776, "record layout");

// The duration table. Use: construct, read the triphone list, train every
// sentence, compute_means once, test every sentence, finalize_statistics
// once, write_performance. Each of compute_means and finalize_statistics
// divides in place and must run once.
class Database : public TriphoneTable<triphone_struct> {
 public:
  // An empty table; `model_type` "tree" selects the pure back-off estimator,
  // any other text lets a triphone's mean win first and admits the letter's
  // aggregate cell. Statistics start at zero.
  explicit Database(std::string model_type);

  // Zeroes every statistic, then reads the triphone list at `path` (see
  // TriphoneTable::read).
  void read(const char* path, int max_entries);
  // The same on `list`, already opened on `path`; the table takes it over.
  void read(std::ifstream&& list, const char* path, int max_entries);

  // Adds every element of `sentence` whose triphone is listed to its record.
  void train(SentenceVectors sentence);
  // Adds one token of `duration` seconds in context `place` to records[index]:
  // total, context cell (level 3) and syllable sum. A position outside 0..2 or
  // a word or syllable count below 1 prints "error in Database::update_database"
  // and ends the run (status 1); counts above 6 fall into the last class.
  void update_database(int index, float duration, place_info_struct place);
  // Turns every sum into a mean and forms the per-letter aggregate cells and
  // the count-weighted per-letter, vowel, consonant and overall means.
  void compute_means();

  // Estimates every element of `sentence` whose triphone is listed.
  void test(SentenceVectors sentence);
  // Estimates one token of records[index] and files its errors. A token whose
  // context lies outside the table gets no estimate (0).
  void evaluate(int index, float actual, place_info_struct place);
  // The first set value of the record's back-off order; prints "No " and
  // returns 0 when none is set or the context lies outside the table.
  float tree_estimate(int index, place_info_struct place);
  // The centre letter's aggregate cell at level 3 in the token's context; 0
  // for a centre that is neither vowel nor consonant or a context outside the table.
  float letter_cell_estimate(int index, place_info_struct place) const;
  // Turns the error sums into means.
  void finalize_statistics();
  // Replaces "performance_triphone.txt" in the working directory with the
  // complete report (see ReplacedFile); a report that cannot be created or
  // written ends the run (status 1) and leaves the previous one.
  void write_performance() const;

  int32_t test_count_vowel[kVowelCount] = {};
  int32_t test_count_consonant[kConsonantCount] = {};
  int32_t train_count_vowel[kVowelCount] = {};
  int32_t train_count_consonant[kConsonantCount] = {};
  float mean_duration_consonant[kConsonantCount] = {};
  float mean_duration_vowel[kVowelCount] = {};
  triphone_struct vowel_aggregate[kVowelCount] = {};
  triphone_struct consonant_aggregate[kConsonantCount] = {};
  float rel_error_consonant[kConsonantCount] = {};
  float rel_error_vowel[kVowelCount] = {};
  float rel_error_vowels = 0;
  float rel_error_consonants = 0;
  float rel_error_all = 0;
  std::vector<float> errors_vowel[kVowelCount];
  std::vector<float> errors_consonant[kConsonantCount];
  std::vector<float> errors_vowels;
  std::vector<float> errors_consonants;
  std::vector<float> errors_all;
  float mean_duration_vowels = 0;
  float mean_duration_consonants = 0;
  float mean_duration_all = 0;
  std::string model_type;

 private:
  void zero_statistics();
  // The aggregate record of a centre letter, or nullptr for any other character.
  triphone_struct* aggregate_of(const CentreLetter& letter);
  const triphone_struct* aggregate_of(const CentreLetter& letter) const;
};

}  // namespace segdur
