#include <fstream>
#include <ostream>

#include "model/database.h"
#include "text/replaced_file.h"
#include "text/utility.h"

namespace segdur {

namespace {

// A heading and the value written after it.
struct Row {
  const char* heading;
  float value;
};

// A heading and one value per letter.
struct LetterList {
  const char* heading;
  const float* values;
  int count;
  float scale;
};

// The error means and sample deviations of a group of error vectors, raw
// and over the group's mean durations.
template <int N>
struct LetterErrors {
  float mean[N];
  float deviation[N];
  float mean_over_duration[N];
  float deviation_over_duration[N];

  LetterErrors(const std::vector<float> (&errors)[N], const float (&durations)[N]) {
    for (int k = 0; k < N; ++k) {
      mean[k] = segdur::mean(errors[k]);
      deviation[k] = standard_deviation(errors[k]);
      mean_over_duration[k] = mean[k] / durations[k];
      deviation_over_duration[k] = deviation[k] / durations[k];
    }
  }
};

}  // namespace

void Database::write_performance() const {
  ReplacedFile report(kPerformanceReportPath);
  std::ostream& out = report.stream();

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
  out << mean_all * kMilliseconds;
  out << "\nMean error percentage (not mean)\n";
  out << mean_all / mean_duration_all * kPercent;
  out << "\n";

  const Row rows[] = {
      {"\nGeneral Standard deviation\n", sd_all * kMilliseconds},
      {"\nGeneral Standard deviation percentage \n", sd_all / mean_duration_all * kPercent},
      {"\nGeneral mean error of vowels\n", mean_vowels * kMilliseconds},
      {"\nGeneral mean error of vowels (percentage) \n",
       mean_vowels / mean_duration_vowels * kPercent},
      {"\nGeneral mean error of consonants\n", mean_consonants * kMilliseconds},
      {"\nGeneral mean error of consonants (percentage)\n",
       mean_consonants / mean_duration_consonants * kPercent},
      {"\nGeneral Std of vowels\n", sd_vowels * kMilliseconds},
      {"\nGeneral Std of vowels over mean of duration of vowels (percent)\n",
       sd_vowels / mean_duration_vowels * kPercent},
      {"\nGeneral Std of consonants\n", sd_consonants * kMilliseconds},
      {"\nGeneral Std of consonants over mean of duration of consonants (percent)\n",
       sd_consonants / mean_duration_consonants * kPercent},
      {"\nGeneral PERCENTAGE ERROR\n", rel_error_all * kPercent},
      {"\nGeneral Vowel PERCENTAGE ERROR\n", rel_error_vowels * kPercent},
      {"\nGeneral Consonant PERCENTAGE ERROR\n", rel_error_consonants * kPercent},
  };
  for (const Row& row : rows) {
    out << row.heading << row.value << std::endl;
  }

  const LetterErrors<kVowelCount> vowels(errors_vowel, mean_duration_vowel);
  const LetterErrors<kConsonantCount> consonants(errors_consonant, mean_duration_consonant);
  const LetterList lists[] = {
      {"\nMean errors for vowels\n", vowels.mean, kVowelCount, kMilliseconds},
      {"\nMean errors percentage for vowels over means (percent)\n", vowels.mean_over_duration,
       kVowelCount, kPercent},
      {"\nMean errors for consonants\n", consonants.mean, kConsonantCount, kMilliseconds},
      {"\nMean error percentage for consonants (percent)\n", consonants.mean_over_duration,
       kConsonantCount, kPercent},
      {"\nStandard deviations for vowels \n", vowels.deviation, kVowelCount, kMilliseconds},
      {"\nStandard deviations for vowels over means (percent)\n",
       vowels.deviation_over_duration, kVowelCount, kPercent},
      {"\nStandard deviations for consonants\n", consonants.deviation, kConsonantCount,
       kMilliseconds},
      {"\nStandard deviations for consonants over means (percent)\n",
       consonants.deviation_over_duration, kConsonantCount, kPercent},
  };
  for (const LetterList& list : lists) {
    write_value_list(out, list.heading, list.values, list.count, list.scale);
  }
  write_letter_summary(out, rel_error_vowel, rel_error_consonant, mean_duration_vowel,
                       mean_duration_consonant);
  report.commit_or_die();
}

}  // namespace segdur
