#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_support.h"
#include "text/sentence.h"

namespace segdur {
namespace {

using testing_support::capture_stdout;

struct Syllables {
  int result;
  std::vector<int> starts;  // the first `count` entries of the start array
  std::vector<int> types;
};

Syllables run_syllabify(const std::string& text) {
  std::vector<char> buffer(text.begin(), text.end());
  buffer.push_back('\0');
  std::vector<int> starts(text.size() + 2, -7);
  int count = 0;
  Syllables s;
  s.result = syllabify(buffer.data(), starts.data(), &count, 'Z', &s.types);
  s.starts.assign(starts.begin(), starts.begin() + count);
  return s;
}

TEST(Syllabify, WorkedExamples) {
  struct Case {
    const char* text;
    std::vector<int> starts;
    std::vector<int> types;
  };
  const Case cases[] = {
      {"elmaZ", {0, 2, 5}, {2, 3}},
      {"benZgeldimZ", {0, 4, 7, 11}, {5, 5, 5}},
      {"kitapZ", {0, 2, 6}, {3, 5}},
      {"korktuZ", {0, 4, 7}, {9, 3}},
      {"trenZ", {0, 5}, {8}},
      {"aileZ", {0, 1, 2, 5}, {1, 1, 3}},
      {"ev.Z", {0, 4}, {6}},
      {"aaZ", {0, 1, 3}, {1, 1}},
  };
  for (const Case& c : cases) {
    const Syllables s = run_syllabify(c.text);
    EXPECT_EQ(s.result, 1) << c.text;
    EXPECT_EQ(s.starts, c.starts) << c.text;
    EXPECT_EQ(s.types, c.types) << c.text;
  }
}

TEST(Syllabify, FailuresKeepWhatWasFound) {
  Syllables s = run_syllabify("stratejiZ");
  EXPECT_EQ(s.result, -1);
  EXPECT_EQ(s.starts, std::vector<int>{0});
  EXPECT_TRUE(s.types.empty());

  s = run_syllabify("ZelmaZ");  // a leading separator is no syllable
  EXPECT_EQ(s.result, -1);
  EXPECT_EQ(s.starts, std::vector<int>{0});

  s = run_syllabify("evZZelmaZ");
  EXPECT_EQ(s.result, -1);
  EXPECT_EQ(s.starts, (std::vector<int>{0, 3}));
  EXPECT_EQ(s.types, std::vector<int>{2});

  // A pattern that ends in a separator, followed by a second one.
  s = run_syllabify("kkakkZZelmaZ");
  EXPECT_EQ(s.result, -1);
  EXPECT_EQ(s.starts, (std::vector<int>{0, 6}));
  EXPECT_EQ(s.types, std::vector<int>{10});

  s = run_syllabify("evZZZ");
  EXPECT_EQ(s.result, -1);
  EXPECT_EQ(s.types, std::vector<int>{2});
}

TEST(Syllabify, EdgesOfTheCodeString) {
  // One separator: nothing to examine, no syllable.
  Syllables s = run_syllabify("Z");
  EXPECT_EQ(s.result, 1);
  EXPECT_EQ(s.starts, std::vector<int>{0});
  // Two final separators: the loop stops at the last one.
  s = run_syllabify("evZZ");
  EXPECT_EQ(s.result, 1);
  EXPECT_EQ(s.starts, (std::vector<int>{0, 3}));
  // No final separator: one is appended; the last start is one past the text.
  s = run_syllabify("ev");
  EXPECT_EQ(s.result, 1);
  EXPECT_EQ(s.starts, (std::vector<int>{0, 3}));
  // Every character its own syllable: the count reaches the length plus 1.
  s = run_syllabify("aaa");
  EXPECT_EQ(s.result, 1);
  EXPECT_EQ(s.starts, (std::vector<int>{0, 1, 2, 4}));
  s = run_syllabify("");
  EXPECT_EQ(s.result, 1);
  EXPECT_EQ(s.starts, std::vector<int>{0});
}

TEST(Syllabify, EveryRowIsTheFirstMatchOfSomeCodeString) {
  // Text for a code string: '1' a vowel, '0' a consonant, '.' the separator.
  auto text_of = [](const std::string& code) {
    std::string t;
    for (char c : code) t += c == '1' ? 'a' : c == '0' ? 'k' : 'Z';
    return t;
  };
  for (const syllable_pattern_row& row : syllable_pattern_table) {
    std::string code = row.pattern;
    if (code.back() != '.') code += '.';
    const Syllables s = run_syllabify(text_of(code));
    ASSERT_FALSE(s.types.empty()) << row.pattern;
    EXPECT_EQ(s.types[0], row.type) << row.pattern;
    const int separator_skip = row.pattern[row.length] == '.' ? 1 : 0;
    EXPECT_EQ(s.starts.at(1), row.length + separator_skip) << row.pattern;
  }
  EXPECT_STREQ(syllable_pattern_table[18].pattern, "010.");
  EXPECT_STREQ(syllable_pattern_table[20].pattern, "0.");
}

TEST(Syllabify, VowelCodesAreTheirOwnSet) {
  std::string codes;
  for (int b = 0; b < 256; ++b) {
    if (is_vowel_code(static_cast<char>(b))) codes += static_cast<char>(b);
  }
  EXPECT_EQ(codes, "123AEIOUYaeiou");
  // Outside the alphabet they still make vowels in the code string.
  EXPECT_EQ(run_syllabify("kYZ").types, std::vector<int>{3});
  EXPECT_EQ(run_syllabify("k2Z").types, std::vector<int>{3});
}

TEST(Syllabify, PrintCharVector) {
  EXPECT_EQ(capture_stdout([] { print_char_vector({'a', 'Z'}); }), "\nVector Contents : a Z \n");
  EXPECT_EQ(capture_stdout([] { print_char_vector({}); }), "\nVector Contents : \n");
}

}  // namespace
}  // namespace segdur
