// Fuzz target: the sentence filter's splitting of a running text (any bytes)
// into fine and faulty sentences, then writing and reading the fine set back.

#include <algorithm>
#include <cctype>
#include <set>
#include <string>

#include "fuzz/fuzz_support.h"
#include "text/letter.h"
#include "text/sentence_filter.h"

using segdur::fuzzing::require;

namespace {

// Number of end marks among the characters that the splitting reads.
std::size_t sentence_ends(const std::string& text) {
  return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
    return !std::isspace(static_cast<unsigned char>(c)) && segdur::Letter(c).is_sentence_end();
  }));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  segdur::fuzzing::silence_standard_output();
  const std::string input(reinterpret_cast<const char*>(data), size);
  const std::string path = segdur::fuzzing::write_scratch_file(data, size);
  try {
    std::multiset<std::string> fine;
    {
      segdur::SentenceFilter filter;
      filter.open_text_file(path.c_str());
      filter.split_text();
      fine = filter.get_sentence_set();
    }
    require(fine.size() <= sentence_ends(input), "at most one sentence per end mark");
    for (const std::string& s : fine) {
      require(!s.empty(), "no empty sentence");
      require(std::none_of(s.begin(), s.end(), [](char c) { return std::isspace(static_cast<unsigned char>(c)); }),
              "sentences hold no white space");
    }
    // What is written reads back as the same collection.
    segdur::SentenceFilter writer;
    writer.write_set_to_file(path.c_str(), fine);
    segdur::SentenceFilter reader;
    reader.read_sentence_set(path.c_str());
    require(reader.get_sentence_set() == fine, "a written set reads back unchanged");
  } catch (const segdur::fuzzing::RunEnded&) {
    require(false, "splitting a readable text never ends the run");
  }
  return 0;
}
