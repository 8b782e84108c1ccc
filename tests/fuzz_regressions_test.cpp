// Inputs that fuzzing and the hunt for bad input turned up, kept as
// regression tests.

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "test_support.h"
#include "text/labeled_file.h"
#include "text/sentence.h"
#include "text/sentence_filter.h"

namespace segdur {
namespace {

using testing_support::capture_stdout;
using testing_support::ChildResult;
using testing_support::run_in_child;
using testing_support::TempDir;

std::string repeat(const std::string& unit, int times) {
  std::string text;
  text.reserve(unit.size() * static_cast<std::size_t>(times));
  for (int i = 0; i < times; ++i) text += unit;
  return text;
}

// A label line of a megabyte gives a text of some 10^5 words and syllables.
// Finding each word's syllables and each syllable's last letter once cost a
// pass over the whole text per word and per syllable, which made one such
// file take minutes; the results must stay those of the short text.
TEST(FuzzRegressions, TextOfManyWordsAndLetterlessSyllablesIsAnalysedInFull) {
  constexpr int kWords = 60000;
  // Each word "a" is followed by a pause, a full stop and a pause: the
  // syllable ".Z" holds no letter, so its open flag comes from the "a" before.
  const std::string text = "Z" + repeat("aZ.Z", kWords);
  std::string printed;
  const Sentence s = [&] {
    Sentence* made = nullptr;
    printed = capture_stdout([&] { made = new Sentence(text, "do"); });
    Sentence copy = *made;
    delete made;
    return copy;
  }();
  EXPECT_EQ(printed, "");
  EXPECT_TRUE(s.is_valid());
  EXPECT_EQ(s.get_word_count(), kWords);
  const std::vector<int> open = s.get_open_syllable_flags();
  const std::vector<int> in_word = s.get_in_word_positions();
  const std::vector<int> syllables = s.get_syllables_in_word();
  ASSERT_EQ(open.size(), text.size());
  ASSERT_EQ(in_word.size(), text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    ASSERT_EQ(open[i], 1) << "position " << i;
    ASSERT_EQ(syllables[i], 1) << "position " << i;
    ASSERT_EQ(in_word[i], text[i] == 'a' ? 0 : 4) << "position " << i;
  }
}

// Words of several syllables far into a long text keep their own inner
// boundaries: first, middle and last syllable places, as in a short text.
TEST(FuzzRegressions, LongTextKeepsInWordPlacesOfLateWords) {
  constexpr int kWords = 30000;
  const std::string text = "Z" + repeat("kitapZ", kWords) + "elmalarZ";
  const Sentence s(text, "do");
  ASSERT_TRUE(s.is_valid());
  EXPECT_EQ(s.get_word_count(), kWords + 1);
  const std::vector<int> in_word = s.get_in_word_positions();
  const std::vector<int> syllables = s.get_syllables_in_word();
  const std::size_t last = text.size() - 8;  // "elmalarZ": el ma larZ
  EXPECT_EQ(std::vector<int>(in_word.begin() + last, in_word.end()), (std::vector<int>{0, 0, 1, 1, 2, 2, 2, 4}));
  EXPECT_EQ(syllables[last], 3);
  EXPECT_EQ(std::vector<int>(in_word.end() - 14, in_word.end() - 8), (std::vector<int>{0, 0, 2, 2, 2, 4}));
  EXPECT_EQ(syllables[last - 2], 2);
}

// A directory opens as an input stream without error and then reads as an
// empty file; given as a labelled file, or as the sentence filter's text or
// set file, it is refused like a missing one.
TEST(FuzzRegressions, DirectoryGivenAsInputFileCannotBeOpened) {
  TempDir dir;
  const std::string path = dir.file("corpus");
  std::filesystem::create_directory(path);
  const std::vector<std::function<void()>> readers = {
      [&] { LabeledFile(16000.0f).read(path.c_str()); },
      [&] { SentenceFilter().open_text_file(path.c_str()); },
      [&] { SentenceFilter().read_sentence_set(path.c_str()); },
  };
  for (const auto& read : readers) {
    const ChildResult r = run_in_child(read);
    EXPECT_EQ(r.exit_status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "Could not open file " + path + " to read\n");
  }
}

}  // namespace
}  // namespace segdur
