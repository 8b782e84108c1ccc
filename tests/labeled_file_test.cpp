#include "text/labeled_file.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "test_support.h"

namespace segdur {
namespace {

using testing_support::run_in_child;
using testing_support::TempDir;

// End times whose differences are exact in float: durations 0.125, 0.25, 0.5, 1, 2, 4.
const char* const kEndTimes[] = {"0.125", "0.375", "0.875", "1.875", "3.875", "7.875"};

// A labelled file with a short header and one entry per label.
std::string labelled(const std::string& labels) {
  std::string s = "signal speech\nnfields 1\n#\n";
  for (std::size_t i = 0; i < labels.size(); ++i) {
    s += std::string("    ") + kEndTimes[i] + " 121 " + labels[i] + "\n";
  }
  return s;
}

struct ReadResult {
  std::string labels;
  std::vector<float> durations;
};

ReadResult read_contents(const std::string& contents) {
  TempDir dir;
  std::string path = dir.write("f.lab", contents);
  LabeledFile file(16000.0f);
  file.read(path.c_str());
  ReadResult r{file.get_labels(), file.get_durations()};
  file.close();
  return r;
}

TEST(LabeledFileTrim, LeadingPausesAreTrimmedToOneALeadingWordIsKeptAFinalPauseIsAdded) {
  struct Case {
    std::string in;
    std::string labels;
    std::vector<float> durations;
  };
  const Case cases[] = {
      {"ZZZev", "ZevZ", {0.5f, 1.0f, 2.0f, 0.0f}},
      {"ZaZ", "ZaZ", {0.125f, 0.25f, 0.5f}},
      {"abc", "abcZ", {0.125f, 0.25f, 0.5f, 0.0f}},
      {"ZaZZ", "ZaZZ", {0.125f, 0.25f, 0.5f, 1.0f}},
      // A file that opens with a word has no leading pause: nothing is dropped.
      {"oZgel", "oZgelZ", {0.125f, 0.25f, 0.5f, 1.0f, 2.0f, 0.0f}},
      {"oZgeZ", "oZgeZ", {0.125f, 0.25f, 0.5f, 1.0f, 2.0f}},
      {"aZZb", "aZZbZ", {0.125f, 0.25f, 0.5f, 1.0f, 0.0f}},
      // A file of one word is a sentence, also of one letter.
      {"o", "oZ", {0.125f, 0.0f}},
      {"oZ", "oZ", {0.125f, 0.25f}},
      {"aZZ", "aZZ", {0.125f, 0.25f, 0.5f}},
  };
  for (const Case& c : cases) {
    ReadResult r = read_contents(labelled(c.in));
    EXPECT_EQ(r.labels, c.labels) << c.in;
    EXPECT_EQ(r.durations, c.durations) << c.in;
  }
}

TEST(LabeledFileTrim, AReaderUsedForASecondFileHoldsThatFileAlone) {
  // The first file trims two pauses; the second, which opens with a word, none.
  TempDir dir;
  const std::string first = dir.write("a.lab", labelled("ZZZev"));
  const std::string second = dir.write("b.lab", labelled("ab"));
  LabeledFile file(16000.0f);
  file.read(first.c_str());
  file.close();
  file.read(second.c_str());
  EXPECT_EQ(file.get_labels(), "abZ");
  EXPECT_EQ(file.get_durations(), (std::vector<float>{0.125f, 0.25f, 0.0f}));
}

TEST(LabeledFileBody, EqualEndTimesGiveAZeroDuration) {
  ReadResult r = read_contents("#\n0.5 1 Z\n0.5 1 a\n1.0 1 Z\n");
  EXPECT_EQ(r.labels, "ZaZ");
  EXPECT_EQ(r.durations, (std::vector<float>{0.5f, 0.0f, 0.5f}));
}

TEST(LabeledFileBody, HeaderEndsAtTheFirstHashWhereverItStands) {
  // Were the body to begin after a later '#', only one label would remain.
  ReadResult r = read_contents("sig#0.125 1 Z 0.375 1 a # 0.875 1 Z\n");
  EXPECT_EQ(r.labels, "ZaZ");
  EXPECT_EQ(r.durations, (std::vector<float>{0.125f, 0.25f, 0.0f}));
}

TEST(LabeledFileBody, FirstNonNumberOrIncompleteEntryEndsTheBody) {
  // A three-letter label: 'a' is the label, "bc" is no end time.
  EXPECT_EQ(read_contents("#0.125 1 Z 0.375 1 abc 0.875 1 Z").labels, "ZaZ");
  // An incomplete last entry is dropped.
  EXPECT_EQ(read_contents("#0.125 1 Z 0.375 1 a 0.875 1 Z 1.0 2").labels, "ZaZ");
  // A colour number that is not an integer.
  EXPECT_EQ(read_contents("#0.125 1 Z 0.375 1 a 0.875 x Z").labels, "ZaZ");
  // Infinite, not-a-number and out-of-range end times end the body too.
  for (const char* bad : {"inf", "nan", "-nan", "1e50", "infinity"}) {
    ReadResult r = read_contents(std::string("#0.125 1 Z 0.375 1 a ") + bad + " 1 b 9 1 Z");
    EXPECT_EQ(r.labels, "ZaZ") << bad;
    for (float d : r.durations) EXPECT_TRUE(std::isfinite(d) && d >= 0.0f) << bad;
  }
}

TEST(LabeledFileBody, AnyNonWhiteByteIsALabelAndMinusZeroStaysAsItIs) {
  // The first duration is the end time minus 0.0, so an end time of -0 gives -0.
  ReadResult r = read_contents("#-0 1 Z 0.375 1 \xC7 0.875 1 \xFF");
  EXPECT_EQ(r.labels, "Z\xC7\xFFZ");
  EXPECT_TRUE(std::signbit(r.durations[0]));
}

TEST(LabeledFileErrors, DecreasingEndTimesEndTheRunWithTheLabelsSoFar) {
  TempDir dir;
  std::string path = dir.write("f.lab", "#\n0.5 1 a\n0.4 1 b\n0.9 1 Z\n");
  auto r = run_in_child([&] { LabeledFile(16000.0f).read(path.c_str()); });
  EXPECT_EQ(r.exit_status, 1);
  EXPECT_EQ(r.out,
            "\n Durations in labeled file is wrong\n\n In file "
            "\n Starting at                         : a\n");
  // A negative first end time is smaller than 0: nothing accepted yet.
  path = dir.write("g.lab", "#\n-0.5 1 a\n0.4 1 b\n0.9 1 Z\n");
  r = run_in_child([&] { LabeledFile(16000.0f).read(path.c_str()); });
  EXPECT_EQ(r.exit_status, 1);
  EXPECT_EQ(r.out,
            "\n Durations in labeled file is wrong\n\n In file "
            "\n Starting at                         : \n");
}

TEST(LabeledFileErrors, MissingHashOrNoLabelBesidesPausesEndsTheRunNamingTheFile) {
  TempDir dir;
  const std::string no_hash = "\n No '#' ends the header of labeled file ";
  const std::string no_label = "\n No label other than Z in labeled file ";
  struct Case {
    std::string contents;
    std::string message;
  };
  const Case cases[] = {
      {"", no_hash},
      {"0.1 1 Z 0.2 1 a 0.3 1 Z\n", no_hash},
      {"#", no_label},
      {"#0.1 1 Z", no_label},
      {"#0.1 1 Z 0.2 1 Z 0.3 1 Z", no_label},
      {"#x 0.1 1 Z", no_label},
  };
  for (const Case& c : cases) {
    std::string path = dir.write("f.lab", c.contents);
    auto r = run_in_child([&] { LabeledFile(16000.0f).read(path.c_str()); });
    EXPECT_EQ(r.exit_status, 1) << c.contents;
    EXPECT_EQ(r.out, c.message + path + "\n") << c.contents;
  }
}

TEST(LabeledFileErrors, AFileThatCannotBeOpenedEndsTheRun) {
  TempDir dir;
  std::string path = dir.file("missing.lab");
  auto r = run_in_child([&] { LabeledFile(16000.0f).read(path.c_str()); });
  EXPECT_EQ(r.exit_status, 1);
  EXPECT_EQ(r.err, "Could not open file " + path + " to read\n");
  EXPECT_EQ(r.out, "");
}

}  // namespace
}  // namespace segdur
