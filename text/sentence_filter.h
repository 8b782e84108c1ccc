#pragma once
// Sorts the sentences of a running text into a fine set (every character in
// the alphabet) and a faulty set, in normalised form, and writes the sets.

#include <fstream>
#include <set>
#include <string>

#include "text/link_walk.h"

namespace segdur {

// Every member that opens a file ends the run (status 1) when it cannot, and
// every member that writes a set file ends it when a line of the file was
// lost ("Could not write file <path>\n", the incomplete file removed), as
// does every member that reads when a read fails ("Could not read file
// <path>\n"). The sets keep duplicates, ordered byte by byte as unsigned
// values.
class SentenceFilter {
 public:
  void open_text_file(const char* path);
  // Creates or truncates the file for the fine set.
  void open_fine_file(const char* path);
  // The same on the entry the walk `found` of `path` reached, never through
  // a symlink that took its place since (see open_found_output_or_die).
  void open_fine_file(const char* path, const Destination& found);
  void open_faulty_file(const char* path);
  void open_set_file(const char* path);
  // Opens `stream` for writing at `path`; uses no field.
  void open_output_or_die(const char* path, std::ofstream& stream);

  // Reads the text file to its end, sentence by sentence (up to ! . ?),
  // skipping white space; text after the last end mark is dropped.
  void split_text();
  // Analyses the sentence in `mode`; with "do" normalises it; stores the text.
  void add_fine_sentence(std::string sentence, std::string mode);
  // Normalises the sentence without analysing it and stores it.
  void add_faulty_sentence(std::string sentence);
  // Reports both sizes and writes both sets, one sentence per line. A set
  // file that was never opened takes its set silently.
  void write_sets();
  // Reports the fine set's size and writes it.
  void write_fine_set();
  // Writes `sentences` to a new file at `path`, one per line.
  void write_set_to_file(const char* path, std::multiset<std::string> sentences);
  // Adds every white-space separated token of the file to the fine set.
  void read_sentence_set(const char* path);

  std::multiset<std::string> get_sentence_set() const;
  bool get_last_valid() const;
  int get_last_word_count() const;
  // A copy of `text` with every `from` replaced by `to`.
  std::string replace_char_in_string(std::string text, char from, char to) const;

 private:
  // std::string compares through char_traits<char>, byte by byte as unsigned
  // values, so the plain multiset already has the order the files need.
  std::ifstream set_file;
  std::ifstream text_file;
  std::ofstream fine_file;
  std::ofstream faulty_file;
  // The paths the files were opened on, for the read and write checks.
  std::string text_path;
  std::string set_path;
  std::string fine_path;
  std::string faulty_path;
  std::multiset<std::string> fine_set;
  std::multiset<std::string> faulty_set;
  bool last_valid = false;
  int last_word_count = 0;
};

}  // namespace segdur
