#include "text/labeled_file.h"

#include <cmath>

#include "text/fatal.h"
#include "text/field_scanner.h"
#include "text/limits.h"
#include "text/open_file.h"

namespace segdur {

LabeledFile::LabeledFile(float sample_rate) : sample_rate(sample_rate) {
  // Named once so that no compiler takes the member for a forgotten one.
  static_cast<void>(this->sample_rate);
}

void LabeledFile::open(const char* path) {
  open_input_or_die(file, path);
}

void LabeledFile::read(const char* path) {
  open(path);
  labels.clear();
  durations.clear();

  char c = 0;
  bool header_ended = false;
  while (file >> c) {
    if (c == '#') {
      header_ended = true;
      break;
    }
  }
  check_read_or_die(file, path);
  if (!header_ended) {
    fatal(std::string("\n No '#' ends the header of labeled file ") + path + "\n");
  }

  // The body's fields are read as the stream would read them with >>,
  // without the stream's cost per field, in chunks up to where it ends.
  FieldScanner fields(file);
  float previous = 0.0f;
  float end_time = 0.0f;
  int colour = 0;
  char label = 0;
  // A field that is not a finite number ends the body like any other
  // non-number, whatever the standard library accepts as "inf" or "nan".
  while (fields.read(end_time) && fields.read(colour) && fields.read(label) &&
         std::isfinite(end_time)) {
    if (previous > end_time) {
      fatal("\n Durations in labeled file is wrong\n\n In file "
            "\n Starting at                         : " +
            labels + "\n");
    }
    durations.push_back(end_time - previous);
    labels.push_back(label);
    previous = end_time;
  }
  check_read_or_die(file, path);

  if (labels.find_first_not_of(kSeparator) == std::string::npos) {
    fatal(std::string("\n No label other than Z in labeled file ") + path +
          "\n");
  }
  trim();
}

std::string LabeledFile::get_labels() const { return labels; }

std::vector<float> LabeledFile::get_durations() const { return durations; }

void LabeledFile::close() { file.close(); }

void LabeledFile::find_start() {
  // A file that opens with a word has no leading pause to trim.
  if (labels.front() != kSeparator) {
    start = 0;
    return;
  }
  // read() has made sure that a label other than 'Z' follows this one.
  std::string::size_type i = 1;
  while (labels.at(i) == kSeparator) ++i;
  start = static_cast<int>(i) - 1;
}

void LabeledFile::trim() {
  find_start();
  const auto first = static_cast<std::string::size_type>(start);
  std::string kept_labels = labels.substr(first);
  std::vector<float> kept_durations(durations.begin() + start, durations.end());
  if (labels.back() != kSeparator) {
    kept_labels.push_back(kSeparator);
    kept_durations.push_back(0.0f);
  }
  labels = kept_labels;
  durations = kept_durations;
}

}  // namespace segdur
