#include "stats/duration_statistics.h"

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "text/fatal.h"

namespace segdur {

namespace {

// Selector values that let every position through.
constexpr int32_t kAllSyllableTypes = 2;
constexpr int32_t kAnySyllableCount = 0;
constexpr int32_t kAllWordPositions = 5;

}  // namespace

DurationStatistics::DurationStatistics(std::string mode, int type, int number, int word_position)
    : vector_mode(std::move(mode)),
      syllable_type(type),
      syllable_number(number),
      desired_word_position(word_position) {
  for (int v = 0; v < kVowelCount; ++v) {
    vowel_sum[v] = 0.0f;
    vowel_count[v] = 0;
    for (vowel_context_struct& context : contexts) {
      context.sum[v] = 0.0f;
      context.count[v] = 0;
    }
  }
  for (int c = 0; c < kConsonantCount; ++c) {
    vowel_before_consonant_sum[c] = 0.0f;
    vowel_before_consonant_count[c] = 0;
  }
}

void DurationStatistics::load(std::string new_text, std::vector<float> new_durations) {
  if (new_text.empty() || new_text[0] != kSeparator) {
    fatal("\n in DurationStatistics::load, the text does not begin with Z \n");
  }
  if (new_durations.size() < new_text.size()) {
    fatal("\n in DurationStatistics::load, fewer durations than characters \n");
  }
  Sentence analysed(new_text, "do");
  std::vector<place_info_struct> codes = analysed.get_place_info();
  std::vector<int> open_flags = analysed.get_open_syllable_flags();
  std::vector<int> word_syllables = analysed.get_syllables_in_word();
  std::vector<int> word_positions = analysed.get_in_word_positions();
  const std::size_t length = new_text.size();
  if (!analysed.is_valid() || analysed.get_text() != new_text || codes.size() != length ||
      open_flags.size() != length || word_syllables.size() != length ||
      word_positions.size() != length) {
    fatal("\n in DurationStatistics::load, the sentence analysis rejected the text \n");
  }

  text = std::move(new_text);
  sentence = std::move(analysed);
  place_info = std::move(codes);
  open_syllable = std::move(open_flags);
  syllables_in_word = std::move(word_syllables);
  in_word_position = std::move(word_positions);

  selected.clear();
  for (std::size_t i = 0; i < text.size(); ++i) {
    const bool type_ok = syllable_type == kAllSyllableTypes || open_syllable[i] == syllable_type;
    const bool count_ok =
        syllable_number == kAnySyllableCount || syllables_in_word[i] == syllable_number;
    const bool position_ok =
        desired_word_position == kAllWordPositions || in_word_position[i] == desired_word_position;
    selected.push_back(type_ok && count_ok && position_ok ? 1 : 0);
  }
  durations = std::move(new_durations);
}

std::vector<int> DurationStatistics::find_letter(std::string in_text, char letter) {
  std::vector<int> positions;
  for (std::size_t p = in_text.find(letter); p != std::string::npos;
       p = in_text.find(letter, p + 1)) {
    if (p < selected.size() && selected[p] != 0) positions.push_back(static_cast<int>(p));
  }
  return positions;
}

void DurationStatistics::compute_statistics() {
  collect_vowels();
  collect_consonants();
  collect_vowels_before_consonants();
  collect_open_closed();
  collect_nasal();
  collect_voiced_fricative();
  collect_unvoiced_fricative();
  collect_voiced_stop();
  collect_unvoiced_stop();
  collect_semivowel();
  collect_vowel_PIVD_vectors();
  collect_consonant_PIVD_vectors();
}

}  // namespace segdur
