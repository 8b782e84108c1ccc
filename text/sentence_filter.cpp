#include "text/sentence_filter.h"

#include <iostream>

#include "text/fatal.h"
#include "text/letter.h"
#include "text/open_file.h"
#include "text/sentence.h"

namespace segdur {

namespace {

// The mode in which fine sentences from a text file are analysed and then
// normalised.
const char* const kAnalyseMode = "do";
// The mode in which a sentence is stored without analysis.
const char* const kKeepMode = "dont";

// Writes every element of `sentences` in order, each on its own line and
// flushed.
void write_lines(std::ostream& out, const std::multiset<std::string>& sentences) {
  for (const std::string& sentence : sentences) out << sentence << std::endl;
}

// Writes the set to a set file that stays open and ends the run when a line
// was lost. A stream that was never opened takes the writes silently.
void write_lines_to_open_file(std::ofstream& out, const std::string& path,
                              const std::multiset<std::string>& sentences) {
  write_lines(out, sentences);
  if (out.is_open()) flush_output_or_die(out, path.c_str());
}

}  // namespace

void SentenceFilter::open_text_file(const char* path) {
  open_input_or_die(text_file, path);
  text_path = path;
}

void SentenceFilter::open_set_file(const char* path) {
  open_input_or_die(set_file, path);
  set_path = path;
}

void SentenceFilter::open_fine_file(const char* path) {
  open_output_or_die(path, fine_file);
  fine_path = path;
}

void SentenceFilter::open_fine_file(const char* path, const Destination& found) {
  open_found_output_or_die(fine_file, path, found);
  fine_path = path;
}

void SentenceFilter::open_faulty_file(const char* path) {
  open_output_or_die(path, faulty_file);
  faulty_path = path;
}

void SentenceFilter::open_output_or_die(const char* path, std::ofstream& stream) {
  segdur::open_output_or_die(stream, path);
}

void SentenceFilter::split_text() {
  std::string sentence;
  bool fine = true;
  char c;
  while (text_file >> c) {
    Letter letter(c);
    if (fine && !letter.is_in_alphabet()) {
      fine = false;
      std::cout << c;
    }
    sentence += c;
    if (letter.is_sentence_end()) {
      if (fine) {
        add_fine_sentence(sentence, kAnalyseMode);
      } else {
        add_faulty_sentence(sentence);
      }
      sentence.clear();
      fine = true;
    }
  }
  check_read_or_die(text_file, text_path.c_str());
}

void SentenceFilter::add_fine_sentence(std::string sentence, std::string mode) {
  Sentence analysed(sentence, mode);
  if (mode == kAnalyseMode) analysed.normalise_text();
  fine_set.insert(analysed.get_text());
  last_valid = analysed.is_valid();
  last_word_count = analysed.get_word_count();
}

void SentenceFilter::add_faulty_sentence(std::string sentence) {
  Sentence kept(sentence, kKeepMode);
  kept.normalise_text();
  faulty_set.insert(kept.get_text());
}

void SentenceFilter::write_sets() {
  std::cout << "\nSize of fine set :" << fine_set.size() << std::endl;
  std::cout << "\nSize of faulty set :" << faulty_set.size() << std::endl;
  write_lines_to_open_file(fine_file, fine_path, fine_set);
  write_lines_to_open_file(faulty_file, faulty_path, faulty_set);
}

void SentenceFilter::write_fine_set() {
  std::cout << "\nSize of fine set :" << fine_set.size() << std::endl;
  write_lines_to_open_file(fine_file, fine_path, fine_set);
}

void SentenceFilter::write_set_to_file(const char* path, std::multiset<std::string> sentences) {
  std::ofstream out;
  open_output_or_die(path, out);
  write_lines(out, sentences);
  close_output_or_die(out, path);
}

void SentenceFilter::read_sentence_set(const char* path) {
  open_set_file(path);
  std::string token;
  while (set_file >> token) fine_set.insert(token);
  check_read_or_die(set_file, set_path.c_str());
  std::cout << "\nSize of sentence set : " << fine_set.size();
}

std::multiset<std::string> SentenceFilter::get_sentence_set() const { return fine_set; }

bool SentenceFilter::get_last_valid() const { return last_valid; }

int SentenceFilter::get_last_word_count() const { return last_word_count; }

std::string SentenceFilter::replace_char_in_string(std::string text, char from, char to) const {
  std::string result = text;
  std::size_t p = result.find(from);
  while (p != std::string::npos) {
    result[p] = to;
    p = result.find(from, p + 1);
  }
  return result;
}

}  // namespace segdur
