// Fuzz target: the labelled-file reader on any file contents, followed by
// what main does with a file it has read (the training elements and the
// validity sentence).
//
// The reader ends the run on bad input (no '#', decreasing end times, no
// label other than 'Z'). The fuzzing build's fatal() throws RunEnded for
// those, which is caught here: a clear message is the expected answer, and
// only a crash, a sanitizer report, a broken invariant or a hang is a finding.
// The alternative, predicting the fatal cases in the harness and skipping
// them, would copy the reader's rules and miss faults on exactly those paths.

#include <cmath>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "text/labeled_file.h"
#include "text/limits.h"
#include "text/sentence.h"
#include "text/sentence_vectors.h"

using segdur::fuzzing::require;

namespace {

constexpr float kSampleRate = 16000.0f;

void check_read_result(const std::string& labels, const std::vector<float>& durations) {
  require(labels.size() == durations.size(), "one duration per label");
  require(labels.size() >= 2, "at least two labels");
  require(labels[0] != segdur::kSeparator || labels[1] != segdur::kSeparator,
          "the labels do not open with two Z");
  require(labels.find_first_not_of(segdur::kSeparator) != std::string::npos,
          "a label other than Z");
  require(labels.back() == segdur::kSeparator, "the last label is Z");
  for (float d : durations) require(std::isfinite(d) && d >= 0.0f, "durations finite and not negative");
}

void check_training_elements(const std::string& labels, const std::vector<float>& durations) {
  const segdur::SentenceVectors vectors(labels, durations);
  const segdur::Sentence validity(labels, "do");
  require(vectors.is_valid() == validity.is_valid(), "both analyses agree");
  const std::string text = vectors.get_text();
  const auto elements = vectors.get_triphone_PIVD_vector();
  require(text.size() >= 2 && elements.size() == text.size() - 2, "one element per inner position");
  for (std::size_t i = 0; i < elements.size(); ++i) {
    const auto& e = elements[i];
    require(e.triphone[0] == text[i] && e.triphone[1] == text[i + 1] && e.triphone[2] == text[i + 2] &&
                e.triphone[3] == '\0' && e.letter == text[i + 1],
            "element triphone is the text around it");
    require(std::isfinite(e.duration) && e.duration >= 0.0f, "element duration is a read duration");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  segdur::fuzzing::silence_standard_output();
  const std::string path = segdur::fuzzing::write_scratch_file(data, size);
  std::string labels;
  std::vector<float> durations;
  try {
    segdur::LabeledFile file(kSampleRate);
    file.read(path.c_str());
    labels = file.get_labels();
    durations = file.get_durations();
    file.close();
  } catch (const segdur::fuzzing::RunEnded& ended) {
    require(!ended.message.empty(), "a refused file gets a message");
    return 0;
  }
  check_read_result(labels, durations);
  try {
    check_training_elements(labels, durations);
  } catch (const segdur::fuzzing::RunEnded&) {
    require(false, "a file that was read is analysed without ending the run");
  }
  return 0;
}
