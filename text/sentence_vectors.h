#pragma once
// Training elements: one record per inner position of an analysed sentence.

#include <string>
#include <vector>

#include "text/sentence.h"

namespace segdur {

// One inner position without its duration.
struct triphone_PIV_struct {
  char triphone[4];  // previous letter, letter, next letter, NUL
  segdur::place_info_struct place_info_struct;
};

// The training element of one segment (60 bytes).
struct triphone_PIVD_struct {
  char triphone[4];  // previous letter, letter, next letter, NUL
  char letter;       // the middle letter again
  float duration;    // seconds
  segdur::place_info_struct place_info_struct;
};
static_assert(sizeof(triphone_PIVD_struct) == 60, "the training element is 60 bytes");

// A sentence analysed in mode "do" together with its durations and one
// element for every position of the analysed text but the first and the last.
// Element i takes durations[i'] where i' is the position of its own label in
// the label string (a 'Z' put in front by the analysis has no duration).
// Fewer durations than labels up to the next-to-last position of the
// analysed text print a message and end the run (status 1).
class SentenceVectors : public Sentence {
 public:
  SentenceVectors(std::string text, std::vector<float> durations);
  SentenceVectors(const SentenceVectors&) = default;
  SentenceVectors& operator=(const SentenceVectors&) = default;
  SentenceVectors(SentenceVectors&&) = default;
  SentenceVectors& operator=(SentenceVectors&&) = default;
  ~SentenceVectors() = default;

  // A copy of the elements with durations.
  std::vector<triphone_PIVD_struct> get_triphone_PIVD_vector() const;
  // A copy of the elements without durations.
  std::vector<triphone_PIV_struct> get_PIV_vector() const;

 private:
  void build_PIV_vector();
  void build_triphone_PIVD_vector();

  std::vector<triphone_PIV_struct> PIV_vector;
  std::vector<float> durations;
  std::vector<triphone_PIVD_struct> triphone_PIVD_vector;
};

}  // namespace segdur
