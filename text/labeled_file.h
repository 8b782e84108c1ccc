#pragma once
// Reader of one labelled file: a header up to the first '#', then triples of
// end time (seconds), colour number and one-character label.

#include <fstream>
#include <string>
#include <vector>

namespace segdur {

// Turns one labelled file into its label string and its segment durations.
// Leading pauses are trimmed to one; a file that opens with a word keeps every
// label. After read: labels and durations have the same length (at least 2:
// a file of one word "o" reads as "oZ"), the labels do not open with two 'Z'
// and hold a label other than 'Z', the last label is 'Z', no duration is
// negative.
class LabeledFile {
 public:
  explicit LabeledFile(float sample_rate);
  ~LabeledFile() = default;

  // Reads and trims the file at `path`. The body after the '#' is read a
  // chunk at a time, and no chunk after the one where it ends: a file or a
  // pipe that goes on after its body costs the body and a chunk, and an I/O
  // error past that chunk is never met. Decreasing end times, a file that
  // cannot be opened or read, a file without '#' or without any label other
  // than 'Z' print a message and end the run (status 1).
  void read(const char* path);
  // A copy of the label string.
  std::string get_labels() const;
  // A copy of the durations in seconds; element k belongs to label k.
  std::vector<float> get_durations() const;
  // Closes the file; on a file that is not open only the stream's fail state is set.
  void close();

 private:
  void open(const char* path);
  void find_start();
  void trim();

  float sample_rate;  // kept for the object's lifetime; nothing reads it
  std::ifstream file;
  std::string labels;
  std::vector<float> durations;
  int start = 0;
};

}  // namespace segdur
