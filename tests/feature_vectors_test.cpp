#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "test_support.h"
#include "text/utility.h"

namespace segdur {
namespace {

using testing_support::run_in_child;
using testing_support::TempDir;

// Duration 0.085 with the codes of the documented line; [0], [3] and [8]
// hold values that the default mode does not write.
PIVD_struct example_element() {
  PIVD_struct e{};
  e.duration = 0.085f;
  e.place_info_struct = {1, 2, 0, 2, 1, 0, 21, 4, 3, 3, 1, 8};
  return e;
}

const std::string kWordLine =
    "1 0 0 0 0 1 0 0 1 0 1 1 0 0 0 0 0 0 0 1 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 "
    "0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 1 0 0 0 0 0 0 0 0 0 0 1 0 0 0 0 0 0 0 0 0 0.085 \n";
const std::string kSentenceLine =
    "1 0 0 0 0 1 0 0 1 0 0 0 1 1 0 0 0 0 0 0 0 1 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 "
    "0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 1 0 0 0 0 0 0 0 0 0 0 1 0 0 0 0 0 0 0 0 0 0 0 0 1 "
    "0 0 0.085 \n";

std::string written(const std::vector<PIVD_struct>& elements, const std::string& mode) {
  TempDir dir;
  write_PID_V_vector_to_file(elements, dir.file("v").c_str(), mode);
  return dir.read("v");
}

// The example with one field changed, written in `mode`; returns `width`
// columns from column `first` (0 is the constant column) without blanks.
std::string group(void (*set)(place_info_struct&), const char* mode, int first, int width) {
  PIVD_struct e = example_element();
  set(e.place_info_struct);
  const std::string line = written({e}, mode);
  std::string columns;
  for (int c = first; c < first + width; ++c) columns += line.at(2 * c);
  return columns;
}

TEST(FeatureVectorWriter, WritesTheDocumentedLinesOneLinePerElement) {
  EXPECT_EQ(written({example_element()}, "word"), kWordLine);
  EXPECT_EQ(written({example_element()}, "sentence"), kSentenceLine);
  for (const char* mode : {"", "Sentence", "sentences"}) {
    EXPECT_EQ(written({example_element()}, mode), kWordLine) << mode;
  }
  PIVD_struct second = example_element();
  second.duration = 0.5f;
  EXPECT_EQ(written({example_element(), second}, "word"),
            kWordLine + kWordLine.substr(0, kWordLine.size() - 7) + "0.5 \n");
  EXPECT_EQ(written({}, "word"), "");
}

TEST(FeatureVectorWriter, OneHotGroupsFollowTheCodeTable) {
  EXPECT_EQ(group([](place_info_struct& i) { i.syllable_number = 6; }, "word", 1, 6), "100000");
  EXPECT_EQ(group([](place_info_struct& i) { i.syllable_number = 7; }, "word", 1, 6), "000000");
  EXPECT_EQ(group([](place_info_struct& i) { i.prev_C_or_V = 2; }, "word", 9, 2), "00");
  EXPECT_EQ(group([](place_info_struct& i) { i.syllable_pattern = 9; }, "word", 13, 9),
            "100000000");
  EXPECT_EQ(group([](place_info_struct& i) { i.syllable_pattern = 10; }, "word", 13, 9),
            "000000000");
  EXPECT_EQ(group([](place_info_struct& i) { i.code_of_prev_cons = 0; }, "word", 22, 21),
            "000000000000000000001");
  EXPECT_EQ(group([](place_info_struct& i) { i.code_of_next_vowel = 7; }, "word", 72, 8),
            "10000000");
  EXPECT_EQ(group([](place_info_struct& i) { i.code_of_next_vowel = -1; }, "word", 72, 8),
            "00000000");
  EXPECT_EQ(group([](place_info_struct& i) { i.word_number = 7; }, "sentence", 82, 6), "000000");
  // Word number 0 and a bad sentence position are only looked at in mode "sentence".
  PIVD_struct e = example_element();
  e.place_info_struct.word_number = 0;
  e.place_info_struct.in_sentence_position = 9;
  EXPECT_EQ(written({e}, "word"), kWordLine);
}

TEST(FeatureVectorWriter, InvalidCodeStopsTheRunWithTheLineHalfWritten) {
  struct FatalCase {
    const char* mode;
    void (*spoil)(place_info_struct&);
    std::string message;
    int columns_written;  // columns of the stopped line already in the file
  };
  const std::string prefix = "error in utility(write_PID_V_vector_to_file) ";
  const FatalCase cases[] = {
      {"word", [](place_info_struct& i) { i.in_word_position = 4; },
       " 1 4\n" + prefix + "switch PIVD_vector[i].place_info_struct.in_word_position ", 7},
      {"sentence", [](place_info_struct& i) { i.in_sentence_position = -1; },
       " 1 -1\n" + prefix + "switch PIVD_vector[i].place_info_struct.in_sentence_position ", 9},
      {"word", [](place_info_struct& i) { i.prev_C_or_V = 3; },
       "error PIVD_vector[i].place_info_struct.prev_C_or_V", 9},
      {"word", [](place_info_struct& i) { i.after_C_or_V = -1; },
       "PIVD_vector[i].place_info_struct.after_C_or_V ", 11},
      {"word", [](place_info_struct& i) { i.syllable_pattern = 0; }, "invalid syllable_pattern", 13},
      {"word", [](place_info_struct& i) { i.syllable_pattern = 11; }, "invalid syllable_pattern", 13},
      {"word", [](place_info_struct& i) { i.code_of_prev_cons = 22; },
       "Error in utility(write_PID_V_vector_to_file) place_info_struct.code_of_prev_cons", 22},
      {"word", [](place_info_struct& i) { i.code_of_next_cons = -1; },
       "Error in utility(write_PID_V_vector_to_file) place_info_struct.code_of_next_cons", 43},
      {"sentence", [](place_info_struct& i) { i.word_number = 0; },
       " 0 can not be the word number ", 82},
  };
  for (const FatalCase& c : cases) {
    TempDir dir;
    PIVD_struct bad = example_element();
    c.spoil(bad.place_info_struct);
    const auto r = run_in_child([&] {
      write_PID_V_vector_to_file({example_element(), bad}, dir.file("v").c_str(), c.mode);
    });
    EXPECT_EQ(r.exit_status, 1) << c.message;
    EXPECT_EQ(r.out, c.message);
    EXPECT_EQ(r.err, "");
    // Element 0 complete and flushed, then element 1 up to the bad group.
    const std::string& line = std::string(c.mode) == "sentence" ? kSentenceLine : kWordLine;
    EXPECT_EQ(dir.read("v"), line + line.substr(0, 2 * c.columns_written)) << c.message;
  }

  TempDir dir;
  const std::string path = dir.file("missing/v");
  const auto r =
      run_in_child([&] { write_PID_V_vector_to_file({example_element()}, path.c_str(), "word"); });
  EXPECT_EQ(r.exit_status, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "Could not open file " + path + " to write\n");
}

}  // namespace
}  // namespace segdur
