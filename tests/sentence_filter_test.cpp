#include "text/sentence_filter.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <set>
#include <string>

#include "test_support.h"

namespace segdur {
namespace {

using testing_support::capture_stdout;
using testing_support::run_in_child;
using testing_support::TempDir;

using Set = std::multiset<std::string>;

// Splits `contents` as a text file; returns what the splitting echoed.
std::string split(SentenceFilter& filter, const TempDir& dir, const std::string& contents) {
  std::string path = dir.write("text.txt", contents);
  filter.open_text_file(path.c_str());
  return capture_stdout([&] { filter.split_text(); });
}

// Splits `contents` and writes both sets to fine.txt and faulty.txt in `dir`;
// returns what was written to standard output.
std::string split_and_write(const TempDir& dir, const std::string& contents) {
  SentenceFilter filter;
  std::string out = split(filter, dir, contents);
  filter.open_fine_file(dir.file("fine.txt").c_str());
  filter.open_faulty_file(dir.file("faulty.txt").c_str());
  return out + capture_stdout([&] { filter.write_sets(); });
}

TEST(SentenceFilterSplit, FineSentencesAreStoredNormalisedInByteOrder) {
  TempDir dir;
  SentenceFilter filter;
  EXPECT_EQ(split(filter, dir, "benZgeldim.Zev!ZneZdir?"), "");
  EXPECT_EQ(filter.get_sentence_set(), (Set{"ZbenZgeldim.Z", "Zev!Z", "ZneZdir?Z"}));
}

TEST(SentenceFilterSplit, WhitespaceIsDroppedAndTrailingTextLost) {
  TempDir dir;
  SentenceFilter filter;
  EXPECT_EQ(split(filter, dir, " ben geldim.\n\tev\r\n!  sonra gel"), "");
  EXPECT_EQ(filter.get_sentence_set(), (Set{"Zbengeldim.Z", "Zev!Z"}));
}

TEST(SentenceFilterSplit, FaultySentencesEchoOnlyTheirFirstForeignCharacter) {
  TempDir dir;
  std::string out = split_and_write(dir, "benZgelxdqim.Zg\xFC" "zel9!ZevZ.");
  EXPECT_EQ(out,
            "x\xFC"
            "\nSize of fine set :1\n"
            "\nSize of faulty set :2\n");
  EXPECT_EQ(dir.read("fine.txt"), "Zev.Z\n");
  EXPECT_EQ(dir.read("faulty.txt"), "ZbenZgelxdqim.Z\nZg\xFCzel9!Z\n");
}

TEST(SentenceFilterSplit, DuplicatesAreKeptAndWrittenTwice) {
  TempDir dir;
  EXPECT_EQ(split_and_write(dir, "Zev.Zev.benZ.Zben."),
            "\nSize of fine set :4\n"
            "\nSize of faulty set :0\n");
  EXPECT_EQ(dir.read("fine.txt"), "Zben.Z\nZben.Z\nZev.Z\nZev.Z\n");
  EXPECT_EQ(dir.read("faulty.txt"), "");
}

TEST(SentenceFilterSplit, EmptyTextLeavesBothSetsAndFilesEmpty) {
  TempDir dir;
  dir.write("fine.txt", "old contents\n");
  EXPECT_EQ(split_and_write(dir, ""),
            "\nSize of fine set :0\n"
            "\nSize of faulty set :0\n");
  EXPECT_EQ(dir.read("fine.txt"), "");
  EXPECT_EQ(dir.read("faulty.txt"), "");
}

TEST(SentenceFilterAdd, ModeDecidesAnalysisAndNormalisation) {
  SentenceFilter filter;
  filter.add_fine_sentence("benZgeldim.", "dont");
  filter.add_fine_sentence("alZ", "do");
  EXPECT_TRUE(filter.get_last_valid());
  EXPECT_EQ(filter.get_last_word_count(), 1);
  // Analysed but not normalised: a separator is put in front, the
  // separator before the mark stays.
  filter.add_fine_sentence("elmaZ.Z", "analyse");
  EXPECT_EQ(filter.get_sentence_set(), (Set{"ZalZ", "ZelmaZ.Z", "benZgeldim."}));

  // A faulty sentence neither counts as the last one nor is it in the fine set.
  filter.add_faulty_sentence("ZalZ");
  EXPECT_EQ(filter.get_sentence_set().size(), 3u);
}

TEST(SentenceFilterAdd, TextsEndingInTheirMarkAreStoredNormalised) {
  SentenceFilter filter;
  filter.add_fine_sentence("alZ", "do");
  filter.add_fine_sentence("ZbenZgeldim.", "do");
  EXPECT_EQ(filter.get_sentence_set(), (Set{"ZalZ", "ZbenZgeldim.Z"}));
  // Outside what the analysis accepts: the sentence is invalid, and the end
  // mark ends its last word.
  EXPECT_FALSE(filter.get_last_valid());
  EXPECT_EQ(filter.get_last_word_count(), 2);

  TempDir dir;
  EXPECT_EQ(split(filter, dir, "ev.Zbir,ZikiZuc!"), "");
  EXPECT_FALSE(filter.get_last_valid());
  EXPECT_EQ(filter.get_last_word_count(), 3);
  EXPECT_EQ(filter.get_sentence_set(), (Set{"ZalZ", "ZbenZgeldim.Z", "Zbir,ZikiZuc!Z", "Zev.Z"}));
}

TEST(SentenceFilterAdd, SentencesWithoutWordsAreStoredAndInvalid) {
  TempDir dir;
  SentenceFilter filter;
  split(filter, dir, "..Z?,!'.");  // the analysis reports the texts it refuses
  EXPECT_EQ(filter.get_sentence_set(), (Set{",Z!Z", ".Z", ".Z", "?Z", "Z'.Z"}));
  EXPECT_FALSE(filter.get_last_valid());
  EXPECT_EQ(filter.get_last_word_count(), 0);
}

TEST(SentenceFilterAdd, SetsOrderBytesAsUnsignedValues) {
  SentenceFilter filter;
  for (const char* s : {"Z\xE7", "Zz", "Z", "Za", "Z\x01"}) filter.add_fine_sentence(s, "dont");
  Set got = filter.get_sentence_set();
  std::string joined;
  for (const std::string& s : got) joined += s + "|";
  EXPECT_EQ(joined, "Z|Z\x01|Za|Zz|Z\xE7|");
}

TEST(SentenceFilterFiles, SetFilesRoundTripByteForByte) {
  TempDir dir;
  SentenceFilter writer;
  const Set sentences{"ZbenZgeldim.Z", "Zev!Z", "Zev!Z", "Z\xE7ok.Z", "ZneZ?Z"};
  writer.write_set_to_file(dir.file("set.txt").c_str(), sentences);
  const std::string written = dir.read("set.txt");
  EXPECT_EQ(written, "ZbenZgeldim.Z\nZev!Z\nZev!Z\nZneZ?Z\nZ\xE7ok.Z\n");

  SentenceFilter reader;
  reader.add_fine_sentence("Zal", "dont");
  EXPECT_EQ(capture_stdout([&] { reader.read_sentence_set(dir.file("set.txt").c_str()); }),
            "\nSize of sentence set : 6");
  Set expected = sentences;
  expected.insert("Zal");
  EXPECT_EQ(reader.get_sentence_set(), expected);

  // Writing what was read back gives the same bytes.
  SentenceFilter second;
  capture_stdout([&] { second.read_sentence_set(dir.file("set.txt").c_str()); });
  second.open_fine_file(dir.file("fine.txt").c_str());
  EXPECT_EQ(capture_stdout([&] { second.write_fine_set(); }), "\nSize of fine set :5\n");
  EXPECT_EQ(dir.read("fine.txt"), written);
}

TEST(SentenceFilterFiles, ReadingTakesWhitespaceSeparatedTokens) {
  TempDir dir;
  std::string path = dir.write("set.txt", "  ZbenZgeldim.Z\tZev!Z\r\n\n");
  SentenceFilter filter;
  EXPECT_EQ(capture_stdout([&] { filter.read_sentence_set(path.c_str()); }), "\nSize of sentence set : 2");
  EXPECT_EQ(filter.get_sentence_set(), (Set{"ZbenZgeldim.Z", "Zev!Z"}));
}

TEST(SentenceFilterFiles, WritingToUnopenedStreamsOnlyReportsSizes) {
  SentenceFilter filter;
  filter.add_fine_sentence("Zev.", "do");
  EXPECT_EQ(capture_stdout([&] { filter.write_sets(); }),
            "\nSize of fine set :1\n"
            "\nSize of faulty set :0\n");
}

TEST(SentenceFilterFiles, OpenFailuresEndTheRun) {
  TempDir dir;
  const std::string missing = dir.file("no_such_dir/out.txt");
  const char* path = missing.c_str();
  const std::string write_message = "Could not open file " + missing + " to write\n";
  const std::string read_message = "Could not open file " + missing + " to read\n";

  SentenceFilter filter;
  std::ofstream stream;
  for (const auto& body : {std::function<void()>([&] { filter.open_fine_file(path); }),
                           std::function<void()>([&] { filter.open_faulty_file(path); }),
                           std::function<void()>([&] { filter.open_output_or_die(path, stream); }),
                           std::function<void()>([&] { filter.write_set_to_file(path, Set{"Zev.Z"}); })}) {
    auto r = run_in_child(body);
    EXPECT_EQ(r.exit_status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, write_message);
  }
  for (const auto& body : {std::function<void()>([&] { filter.open_text_file(path); }),
                           std::function<void()>([&] { filter.open_set_file(path); }),
                           std::function<void()>([&] { filter.read_sentence_set(path); })}) {
    auto r = run_in_child(body);
    EXPECT_EQ(r.exit_status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, read_message);
  }
}

TEST(SentenceFilterFiles, AnOpenStreamCannotBeOpenedAgain) {
  TempDir dir;
  const std::string path = dir.write("text.txt", "Zev.");
  auto r = run_in_child([&] {
    SentenceFilter filter;
    filter.open_text_file(path.c_str());
    filter.open_text_file(path.c_str());
  });
  EXPECT_EQ(r.exit_status, 1);
  EXPECT_EQ(r.err, "Could not open file " + path + " to read\n");
}

TEST(SentenceFilterReplace, EveryOccurrenceIsReplacedInACopy) {
  SentenceFilter filter;
  const std::string text = "aZbZ";
  EXPECT_EQ(filter.replace_char_in_string(text, 'Z', 'x'), "axbx");
  EXPECT_EQ(text, "aZbZ");
  EXPECT_EQ(filter.replace_char_in_string("ZZZ", 'Z', ' '), "   ");
  EXPECT_EQ(filter.replace_char_in_string("elma", 'Z', 'x'), "elma");
  EXPECT_EQ(filter.replace_char_in_string("", 'Z', 'x'), "");
  EXPECT_EQ(filter.replace_char_in_string("a\xE7" "b", '\xE7', 'c'), "acb");
}

}  // namespace
}  // namespace segdur
