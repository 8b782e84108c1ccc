#include "model/context_cell.h"

#include "model/table_values.h"
#include "text/fatal.h"

namespace segdur {

bool CellContext::in_table() const {
  return pos >= 0 && pos < kSentencePositions && words >= 1 && words <= kWordClasses &&
         syll >= 1 && syll <= kSyllableClasses;
}

void divide_cells(duration_cells& cells) {
  duration_cell_struct* cell = cell_begin(cells);
  for (int k = 0; k < kCellCount; ++k) cell[k].duration = mean_of(cell[k].duration, cell[k].count);
}

CellContext cell_context(const place_info_struct& place) {
  CellContext context{place.in_sentence_position, place.word_number, place.syllable_number};
  if (context.words > kWordClasses - 1) context.words = kWordClasses;
  if (context.syll > kSyllableClasses - 1) context.syll = kSyllableClasses;
  return context;
}

CellContext checked_training_context(const place_info_struct& place) {
  CellContext context = cell_context(place);
  if (!context.in_table()) fatal("error in Database::update_database");
  return context;
}

}  // namespace segdur
