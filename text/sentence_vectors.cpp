#include "text/sentence_vectors.h"

#include <cstring>
#include <utility>

#include "text/fatal.h"

namespace segdur {

namespace {

// The triphone of position i of `t` (0 < i < t.size() - 1) and a NUL.
void fill_triphone(char (&triphone)[4], const std::string& t, std::size_t i) {
  triphone[0] = t[i - 1];
  triphone[1] = t[i];
  triphone[2] = t[i + 1];
  triphone[3] = '\0';
}

}  // namespace

SentenceVectors::SentenceVectors(std::string text, std::vector<float> durations) {
  Sentence::operator=(Sentence(text, "do"));

  // Durations are kept by position of the analysed text: a separator that the
  // analysis put in front has no duration of its own.
  const std::size_t length = this->text.size();
  const std::size_t offset = length > text.size() ? length - text.size() : 0;
  if (length >= 3 && durations.size() + offset < length - 1) {
    fatal("\n Too few durations for the sentence " + text + " : " +
          std::to_string(durations.size()) + " given, " + std::to_string(length - 1 - offset) +
          " needed\n");
  }
  durations.insert(durations.begin(), offset, 0.0f);
  this->durations = std::move(durations);

  build_PIV_vector();
  build_triphone_PIVD_vector();
}

std::vector<triphone_PIVD_struct> SentenceVectors::get_triphone_PIVD_vector() const {
  return triphone_PIVD_vector;
}

std::vector<triphone_PIV_struct> SentenceVectors::get_PIV_vector() const { return PIV_vector; }

void SentenceVectors::build_PIV_vector() {
  const std::string t = get_text();
  if (t.size() > 2) PIV_vector.reserve(t.size() - 2);
  for (std::size_t i = 1; i + 1 < t.size(); ++i) {
    triphone_PIV_struct element;
    std::memset(&element, 0, sizeof element);
    fill_triphone(element.triphone, t, i);
    element.place_info_struct = info_place(static_cast<unsigned>(i));
    PIV_vector.push_back(element);
  }
}

void SentenceVectors::build_triphone_PIVD_vector() {
  const std::string t = get_text();
  if (t.size() > 2) triphone_PIVD_vector.reserve(t.size() - 2);
  for (std::size_t i = 1; i + 1 < t.size(); ++i) {
    triphone_PIVD_struct element;
    std::memset(&element, 0, sizeof element);  // padding bytes included
    fill_triphone(element.triphone, t, i);
    element.letter = t[i];
    element.duration = durations[i];
    element.place_info_struct = info_place(static_cast<unsigned>(i));
    triphone_PIVD_vector.push_back(element);
  }
}

}  // namespace segdur
