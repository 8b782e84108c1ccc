#pragma once
// The context table of a triphone record: one cell per sentence position,
// word count, level and syllable count, and the context of a token in it.

#include <cstdint>

#include "text/sentence.h"

namespace segdur {

// Dimensions of the cell table [pos][words-1][level][syll-1].
constexpr int kSentencePositions = 3;  // first, middle, last word
constexpr int kWordClasses = 7;        // 1..6 words, 7 for seven or more
constexpr int kCellLevels = 4;
constexpr int kSyllableClasses = 7;  // 1..6 syllables, 7 for seven or more
constexpr int kCellCount = kSentencePositions * kWordClasses * kCellLevels * kSyllableClasses;

// Training fills this level only; estimation falls back to kBackoffLevel.
constexpr int kTrainedLevel = 3;
constexpr int kBackoffLevel = 2;

// One context cell: a sum of durations in seconds and its token count; the
// sum is replaced by sum / count when the means are formed.
struct duration_cell_struct {
  float duration;
  int32_t count;
};
static_assert(sizeof(duration_cell_struct) == 8, "a cell is a float and an int32");

// The cell table of one record.
using duration_cells = duration_cell_struct[kSentencePositions][kWordClasses][kCellLevels]
                                           [kSyllableClasses];

// The context of a token: sentence position, and word and syllable counts
// clamped to kWordClasses and kSyllableClasses (every count above 6 is 7).
// The counts are not raised: a count below 1 stays as it is.
struct CellContext {
  int pos;
  int words;
  int syll;

  // True when the context names a cell: pos 0..2, words and syll at least 1.
  bool in_table() const;
};

// The first of the kCellCount cells of `cells`, which follow one another in
// storage order: syll fastest, then level, then words, then pos.
inline duration_cell_struct* cell_begin(duration_cells& cells) { return &cells[0][0][0][0]; }

// Turns every cell's sum into its mean (no value in a cell without tokens).
void divide_cells(duration_cells& cells);

// The clamped context of `place` (fields in_sentence_position, word_number,
// syllable_number).
CellContext cell_context(const place_info_struct& place);

// The clamped context of a training token. A context outside the table
// prints "error in Database::update_database" and ends the run (status 1).
CellContext checked_training_context(const place_info_struct& place);

}  // namespace segdur
