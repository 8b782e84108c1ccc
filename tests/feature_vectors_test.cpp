#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "test_support.h"
#include "text/utility.h"

namespace segdur {
namespace {

using testing_support::run_in_child;
using testing_support::TempDir;

// The element of the documented example: duration 0.085 and every code that
// the default line shows; [0], [3] and [8] hold values the default mode skips.
PIVD_struct example_element() {
  PIVD_struct element{};
  element.duration = 0.085f;
  place_info_struct& info = element.place_info_struct;
  info.open_syllable = 1;
  info.syllable_number = 2;
  info.in_word_position = 0;
  info.in_sentence_position = 2;
  info.prev_C_or_V = 1;
  info.after_C_or_V = 0;
  info.code_of_prev_cons = 21;
  info.code_of_next_cons = 4;
  info.word_number = 3;
  info.syllable_pattern = 3;
  info.code_of_prev_vowel = 1;
  info.code_of_next_vowel = 8;
  return element;
}

const std::string kWordLine =
    "1 0 0 0 0 1 0 0 1 0 1 1 0 0 0 0 0 0 0 1 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 "
    "0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 1 0 0 0 0 0 0 0 0 0 0 1 0 0 0 0 0 0 0 0 0 0.085 \n";
const std::string kSentenceLine =
    "1 0 0 0 0 1 0 0 1 0 0 0 1 1 0 0 0 0 0 0 0 1 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 "
    "0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 1 0 0 0 0 0 0 0 0 0 0 1 0 0 0 0 0 0 0 0 0 0 0 0 1 "
    "0 0 0.085 \n";

// Writes `elements` in `mode` and returns the file's contents.
std::string written(const std::vector<PIVD_struct>& elements, const std::string& mode) {
  TempDir dir;
  const std::string path = dir.file("vectors");
  write_PID_V_vector_to_file(elements, path.c_str(), mode);
  return dir.read("vectors");
}

// The blank-separated columns of one written line.
std::vector<std::string> columns(const std::string& line) {
  std::vector<std::string> result;
  std::istringstream in(line);
  for (std::string word; in >> word;) result.push_back(word);
  return result;
}

TEST(FeatureVectorWriter, WritesTheDocumentedLines) {
  EXPECT_EQ(written({example_element()}, "word"), kWordLine);
  EXPECT_EQ(written({example_element()}, "sentence"), kSentenceLine);
  EXPECT_EQ(columns(kWordLine).size(), 81u);
  EXPECT_EQ(columns(kSentenceLine).size(), 89u);
}

TEST(FeatureVectorWriter, OnlyTheExactModeSentenceAddsGroups) {
  for (const char* mode : {"", "word", "Sentence", "sentences", "sentence "}) {
    EXPECT_EQ(written({example_element()}, mode), kWordLine) << "mode '" << mode << "'";
  }
}

TEST(FeatureVectorWriter, OneLinePerElementInOrderAndEmptyInputGivesEmptyFile) {
  PIVD_struct second = example_element();
  second.duration = 0.5f;
  const std::string text = written({example_element(), second}, "word");
  const std::string second_line = kWordLine.substr(0, kWordLine.size() - 7) + "0.5 \n";
  EXPECT_EQ(text, kWordLine + second_line);
  EXPECT_EQ(written({}, "word"), "");
}

// One one-hot group of the default line: its first column and width, how to
// set its field, and where the 1 goes (0 for none) for a value.
struct GroupCase {
  const char* name;
  int first_column;
  int width;
  std::function<void(place_info_struct&, int)> set;
  std::vector<int> values;
  std::function<int(int)> one_at;
};

TEST(FeatureVectorWriter, OneHotGroupsPlaceTheirOneByTheCodeTable) {
  const std::vector<GroupCase> cases = {
      {"syllable_number", 1, 6, [](place_info_struct& i, int v) { i.syllable_number = v; },
       {-1, 0, 1, 2, 3, 4, 5, 6, 7, 14}, [](int v) { return v >= 1 && v <= 6 ? 7 - v : 0; }},
      {"in_word_position", 7, 2, [](place_info_struct& i, int v) { i.in_word_position = v; },
       {0, 1, 2}, [](int v) { return v == 0 ? 2 : v == 1 ? 1 : 0; }},
      {"prev_C_or_V", 9, 2, [](place_info_struct& i, int v) { i.prev_C_or_V = v; }, {0, 1, 2},
       [](int v) { return v == 0 ? 1 : v == 1 ? 2 : 0; }},
      {"after_C_or_V", 11, 2, [](place_info_struct& i, int v) { i.after_C_or_V = v; }, {0, 1, 2},
       [](int v) { return v == 0 ? 1 : v == 1 ? 2 : 0; }},
      {"syllable_pattern", 13, 9, [](place_info_struct& i, int v) { i.syllable_pattern = v; },
       {1, 2, 5, 9, 10}, [](int v) { return v <= 9 ? 10 - v : 0; }},
      {"code_of_prev_cons", 22, 21, [](place_info_struct& i, int v) { i.code_of_prev_cons = v; },
       {0, 1, 12, 20, 21}, [](int v) { return v <= 20 ? 21 - v : 0; }},
      {"code_of_next_cons", 43, 21, [](place_info_struct& i, int v) { i.code_of_next_cons = v; },
       {0, 7, 20, 21}, [](int v) { return v <= 20 ? 21 - v : 0; }},
      {"code_of_prev_vowel", 64, 8, [](place_info_struct& i, int v) { i.code_of_prev_vowel = v; },
       {-3, 0, 1, 7, 8, 9}, [](int v) { return v >= 0 && v <= 7 ? 8 - v : 0; }},
      {"code_of_next_vowel", 72, 8, [](place_info_struct& i, int v) { i.code_of_next_vowel = v; },
       {0, 3, 7, 8, 100}, [](int v) { return v >= 0 && v <= 7 ? 8 - v : 0; }},
  };
  for (const GroupCase& group : cases) {
    for (int value : group.values) {
      PIVD_struct element = example_element();
      group.set(element.place_info_struct, value);
      const std::vector<std::string> line = columns(written({element}, "word"));
      ASSERT_EQ(line.size(), 81u) << group.name << " " << value;
      std::string expected, actual;
      for (int column = 1; column <= group.width; ++column) {
        expected += column == group.one_at(value) ? "1" : "0";
        actual += line[group.first_column + column - 1];
      }
      EXPECT_EQ(actual, expected) << group.name << " = " << value;
    }
  }
}

TEST(FeatureVectorWriter, SentenceModeCodesWordNumberAndSentencePosition) {
  // In mode "sentence" the word-number group is the last six columns.
  for (int value : {1, 6, 7, -2}) {
    PIVD_struct element = example_element();
    element.place_info_struct.word_number = value;
    const std::vector<std::string> line = columns(written({element}, "sentence"));
    std::string group;
    for (int column = 82; column <= 87; ++column) group += line[column];
    const std::string expected = value == 1 ? "000001" : value == 6 ? "100000" : "000000";
    EXPECT_EQ(group, expected) << "word_number " << value;
  }
  // in_sentence_position follows in_word_position and codes like it.
  for (int value : {0, 1, 2}) {
    PIVD_struct element = example_element();
    element.place_info_struct.in_sentence_position = value;
    const std::vector<std::string> line = columns(written({element}, "sentence"));
    EXPECT_EQ(line[9] + line[10], value == 0 ? "01" : value == 1 ? "10" : "00");
  }
  // Word number 0 is only looked at in mode "sentence".
  PIVD_struct element = example_element();
  element.place_info_struct.word_number = 0;
  element.place_info_struct.in_sentence_position = 9;
  EXPECT_EQ(written({element}, "word"), kWordLine);
}

// An invalid field of element 1: what the run printed and what the file holds.
struct Stopped {
  testing_support::ChildResult result;
  std::string file;
};

Stopped stop_at_second_element(const std::function<void(place_info_struct&)>& spoil,
                               const std::string& mode) {
  TempDir dir;
  const std::string path = dir.file("vectors");
  PIVD_struct bad = example_element();
  spoil(bad.place_info_struct);
  Stopped stopped;
  stopped.result = run_in_child(
      [&] { write_PID_V_vector_to_file({example_element(), bad}, path.c_str(), mode); });
  stopped.file = dir.read("vectors");
  return stopped;
}

TEST(FeatureVectorWriter, InvalidCodeStopsTheRunWithTheLineHalfWritten) {
  struct FatalCase {
    const char* mode;
    std::function<void(place_info_struct&)> spoil;
    std::string message;
    int columns_written;  // columns of the stopped line already in the file
    const std::string* complete;
  };
  const std::vector<FatalCase> cases = {
      {"word", [](place_info_struct& i) { i.in_word_position = 4; },
       " 1 4\nerror in utility(write_PID_V_vector_to_file) switch "
       "PIVD_vector[i].place_info_struct.in_word_position ",
       7, &kWordLine},
      {"sentence", [](place_info_struct& i) { i.in_sentence_position = -1; },
       " 1 -1\nerror in utility(write_PID_V_vector_to_file) switch "
       "PIVD_vector[i].place_info_struct.in_sentence_position ",
       9, &kSentenceLine},
      {"word", [](place_info_struct& i) { i.prev_C_or_V = 3; },
       "error PIVD_vector[i].place_info_struct.prev_C_or_V", 9, &kWordLine},
      {"word", [](place_info_struct& i) { i.after_C_or_V = -1; },
       "PIVD_vector[i].place_info_struct.after_C_or_V ", 11, &kWordLine},
      {"word", [](place_info_struct& i) { i.syllable_pattern = 0; }, "invalid syllable_pattern",
       13, &kWordLine},
      {"word", [](place_info_struct& i) { i.syllable_pattern = 11; }, "invalid syllable_pattern",
       13, &kWordLine},
      {"word", [](place_info_struct& i) { i.code_of_prev_cons = 22; },
       "Error in utility(write_PID_V_vector_to_file) place_info_struct.code_of_prev_cons", 22,
       &kWordLine},
      {"word", [](place_info_struct& i) { i.code_of_next_cons = -1; },
       "Error in utility(write_PID_V_vector_to_file) place_info_struct.code_of_next_cons", 43,
       &kWordLine},
      {"sentence", [](place_info_struct& i) { i.word_number = 0; },
       " 0 can not be the word number ", 82, &kSentenceLine},
  };
  for (const FatalCase& c : cases) {
    const Stopped stopped = stop_at_second_element(c.spoil, c.mode);
    EXPECT_EQ(stopped.result.exit_status, 1) << c.message;
    EXPECT_EQ(stopped.result.out, c.message);
    EXPECT_EQ(stopped.result.err, "");
    // Element 0 complete, then the columns of element 1 before the bad group.
    const std::string partial = c.complete->substr(0, 2 * c.columns_written);
    EXPECT_EQ(stopped.file, *c.complete + partial) << c.message;
  }
}

TEST(FeatureVectorWriter, UnopenableFileEndsTheRunOnStandardError) {
  TempDir dir;
  const std::string path = dir.file("missing/vectors");
  const auto result =
      run_in_child([&] { write_PID_V_vector_to_file({example_element()}, path.c_str(), "word"); });
  EXPECT_EQ(result.exit_status, 1);
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err, "Could not open file " + path + " to write\n");
}

}  // namespace
}  // namespace segdur
