// Fuzz target: text normalisation and the alphabet check on any bytes.

#include <algorithm>
#include <string>

#include "fuzz/fuzz_support.h"
#include "text/letter.h"
#include "text/limits.h"
#include "text/sentence.h"

using segdur::Sentence;
using segdur::fuzzing::require;

namespace {

// `s` without its separators and apostrophes: what normalisation must keep, in order.
std::string content_of(std::string s) {
  s.erase(std::remove_if(s.begin(), s.end(), [](char c) { return c == segdur::kSeparator || c == '\''; }),
          s.end());
  return s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  segdur::fuzzing::silence_standard_output();
  const std::string input(reinterpret_cast<const char*>(data), size);
  try {
    Sentence collapsed(input, "dont");
    collapsed.collapse_separators();
    const std::string c = collapsed.get_text();
    require(!c.empty() && c[0] == segdur::kSeparator, "collapsed text begins with Z");
    require(c.find("ZZ") == std::string::npos, "no run of Z is left");
    require(content_of(c) == content_of(input), "collapsing keeps every other character");

    Sentence normalised(input, "dont");
    normalised.normalise_text();
    const std::string t = normalised.get_text();
    require(content_of(t) == content_of(input), "normalising keeps every character but Z and apostrophes");
    require(std::count(t.begin(), t.end(), '\'') <= std::count(input.begin(), input.end(), '\''),
            "normalising adds no apostrophe");
    require(t.size() <= 2 * input.size() + 1, "normalising at most adds one Z per character");

    Sentence checked(input, "dont");
    const bool in_alphabet = checked.check_alphabet();
    const bool expected = std::all_of(input.begin(), input.end(),
                                      [](char ch) { return segdur::Letter(ch).is_in_alphabet(); });
    require(in_alphabet == expected, "the alphabet check agrees with the letter classes");
    require(checked.get_text() == input, "the alphabet check leaves the text alone");
  } catch (const segdur::fuzzing::RunEnded&) {
    require(false, "normalisation never ends the run");
  }
  return 0;
}
