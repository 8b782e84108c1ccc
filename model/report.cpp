#include <fstream>
#include <ostream>

#include "model/database.h"
#include "text/fatal.h"
#include "text/utility.h"

namespace segdur {

namespace {

// One row: `text`, then `value` and a line end (flushed).
void write_row(std::ostream& out, const char* text, float value) {
  out << text;
  write_value(out, value);
  out << std::endl;
}

// The mean (or standard deviation) of every per-letter error vector.
template <int N, class Statistic>
void letter_statistics(const std::vector<float> (&errors)[N], Statistic statistic, float* out) {
  for (int k = 0; k < N; ++k) out[k] = statistic(errors[k]);
}

// values[k] / means[k] for every letter.
template <int N>
void over(const float (&values)[N], const float (&means)[N], float* out) {
  for (int k = 0; k < N; ++k) out[k] = values[k] / means[k];
}

}  // namespace

void Database::write_performance() const {
  std::ofstream out(kPerformanceReportPath);
  if (!out.is_open()) fatal_open_write(kPerformanceReportPath);

  const float mean_all = mean(errors_all);
  const float mean_vowels = mean(errors_vowels);
  const float mean_consonants = mean(errors_consonants);
  const float sd_all = standard_deviation(errors_all);
  const float sd_vowels = standard_deviation(errors_vowels);
  const float sd_consonants = standard_deviation(errors_consonants);

  out << "Results of Triphone Modelling\n";
  out << "for model type: " << model_type << std::endl;
  out << "\n General size : " << errors_all.size();
  out << "\n Vowel size : " << errors_vowels.size();
  out << "\n Consonant size : " << errors_consonants.size();
  out << "\nMean Error in ms\n";
  write_value(out, mean_all * kMilliseconds);
  out << "\nMean error percentage (not mean)\n";
  write_value(out, mean_all / mean_duration_all * kPercent);
  out << "\n";
  write_row(out, "\nGeneral Standard deviation\n", sd_all * kMilliseconds);
  write_row(out, "\nGeneral Standard deviation percentage \n", sd_all / mean_duration_all * kPercent);
  write_row(out, "\nGeneral mean error of vowels\n", mean_vowels * kMilliseconds);
  write_row(out, "\nGeneral mean error of vowels (percentage) \n",
            mean_vowels / mean_duration_vowels * kPercent);
  write_row(out, "\nGeneral mean error of consonants\n", mean_consonants * kMilliseconds);
  write_row(out, "\nGeneral mean error of consonants (percentage)\n",
            mean_consonants / mean_duration_consonants * kPercent);
  write_row(out, "\nGeneral Std of vowels\n", sd_vowels * kMilliseconds);
  write_row(out, "\nGeneral Std of vowels over mean of duration of vowels (percent)\n",
            sd_vowels / mean_duration_vowels * kPercent);
  write_row(out, "\nGeneral Std of consonants\n", sd_consonants * kMilliseconds);
  write_row(out, "\nGeneral Std of consonants over mean of duration of consonants (percent)\n",
            sd_consonants / mean_duration_consonants * kPercent);
  write_row(out, "\nGeneral PERCENTAGE ERROR\n", rel_error_all * kPercent);
  write_row(out, "\nGeneral Vowel PERCENTAGE ERROR\n", rel_error_vowels * kPercent);
  write_row(out, "\nGeneral Consonant PERCENTAGE ERROR\n", rel_error_consonants * kPercent);

  auto mean_of_vector = [](const std::vector<float>& v) { return mean(v); };
  auto sd_of_vector = [](const std::vector<float>& v) { return standard_deviation(v); };
  float vowel_means[kVowelCount];
  float vowel_sds[kVowelCount];
  float consonant_means[kConsonantCount];
  float consonant_sds[kConsonantCount];
  letter_statistics(errors_vowel, mean_of_vector, vowel_means);
  letter_statistics(errors_vowel, sd_of_vector, vowel_sds);
  letter_statistics(errors_consonant, mean_of_vector, consonant_means);
  letter_statistics(errors_consonant, sd_of_vector, consonant_sds);
  float ratio_vowels[kVowelCount];
  float ratio_consonants[kConsonantCount];

  write_value_list(out, "\nMean errors for vowels\n", vowel_means, kVowelCount, kMilliseconds);
  over(vowel_means, mean_duration_vowel, ratio_vowels);
  write_value_list(out, "\nMean errors percentage for vowels over means (percent)\n", ratio_vowels,
                   kVowelCount, kPercent);
  write_value_list(out, "\nMean errors for consonants\n", consonant_means, kConsonantCount,
                   kMilliseconds);
  over(consonant_means, mean_duration_consonant, ratio_consonants);
  write_value_list(out, "\nMean error percentage for consonants (percent)\n", ratio_consonants,
                   kConsonantCount, kPercent);
  write_value_list(out, "\nStandard deviations for vowels \n", vowel_sds, kVowelCount,
                   kMilliseconds);
  over(vowel_sds, mean_duration_vowel, ratio_vowels);
  write_value_list(out, "\nStandard deviations for vowels over means (percent)\n", ratio_vowels,
                   kVowelCount, kPercent);
  write_value_list(out, "\nStandard deviations for consonants\n", consonant_sds, kConsonantCount,
                   kMilliseconds);
  over(consonant_sds, mean_duration_consonant, ratio_consonants);
  write_value_list(out, "\nStandard deviations for consonants over means (percent)\n",
                   ratio_consonants, kConsonantCount, kPercent);
  write_value_list(out, "\nError percentages for vowels\n", rel_error_vowel, kVowelCount, kPercent);
  write_value_list(out, "\nError percentages for consonants\n", rel_error_consonant,
                   kConsonantCount, kPercent);
  write_value_list(out, "\nMean durations of vowels\n", mean_duration_vowel, kVowelCount,
                   kMilliseconds);
  write_value_list(out, "\nMean durations of consonants\n", mean_duration_consonant,
                   kConsonantCount, kMilliseconds);
}

}  // namespace segdur
