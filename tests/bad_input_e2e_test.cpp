// A table of bad inputs run through the built programs: each case states the
// message, the exit status, and whether a report may exist afterwards. A
// failed run never leaves a report behind, and the output file named by the
// second argument is empty once the run has got as far as creating it.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "test_support.h"

namespace segdur {
namespace {

using testing_support::ChildResult;
using testing_support::run_in_child;
using testing_support::TempDir;

const char kReport[] = "performance_triphone.txt";
const char kOutput[] = "out.txt";
const char kTriphoneList[] = "edi\n1\n2\n";
const char kGoodFile[] = "head\n#\n0.1 1 Z\n0.2 1 e\n0.3 1 d\n0.4 1 i\n0.5 1 Z\n";

// One bad input. The working directory starts with "hepsi.txt" (kTriphoneList),
// "good.lab" (kGoodFile) and "labels.txt" naming "x.lab"; `prepare` then
// changes it. The program runs with `args` (default: labels.txt out.txt).
struct BadInput {
  const char* name;
  std::function<void(const TempDir&)> prepare;
  int exit_status;
  std::string stdout_tail;  // what standard output ends with
  std::string stderr_text;  // all of standard error
  bool report_written;
  std::string stdout_contains = "";  // a diagnostic printed on the way
  bool output_created = true;  // the second argument's file exists (and is empty)
  std::vector<std::string> args = {"labels.txt", kOutput};
};

// Names the case in test output.
void PrintTo(const BadInput& c, std::ostream* os) { *os << c.name; }

// The labelled file "x.lab" with `contents`.
std::function<void(const TempDir&)> labeled(const std::string& contents) {
  return [contents](const TempDir& dir) { dir.write("x.lab", contents); };
}

// "x.lab" with a header and one entry per label, end times 0.1 apart.
std::function<void(const TempDir&)> labels(const std::string& sequence) {
  std::string contents = "#\n";
  for (std::size_t i = 0; i < sequence.size(); ++i) {
    contents += std::to_string(0.1 * static_cast<double>(i + 1)) + " 121 " + sequence[i] + "\n";
  }
  return labeled(contents);
}

std::function<void(const TempDir&)> label_list(const std::string& contents) {
  return [contents](const TempDir& dir) { dir.write("labels.txt", contents); };
}

std::function<void(const TempDir&)> triphone_list(const std::string& contents) {
  return [contents](const TempDir& dir) {
    dir.write("labels.txt", "good.lab\n");
    dir.write("hepsi.txt", contents);
  };
}

std::function<void(const TempDir&)> make_directory(const std::string& name) {
  return [name](const TempDir& dir) { std::filesystem::create_directory(dir.file(name)); };
}

std::function<void(const TempDir&)> both(std::function<void(const TempDir&)> first,
                                         std::function<void(const TempDir&)> second) {
  return [first, second](const TempDir& dir) {
    first(dir);
    second(dir);
  };
}

// A labelled file of one line of about a megabyte: a word "a" and a
// punctuation mark between pauses, over and over.
std::string one_megabyte_line() {
  std::string contents = "#";
  const std::string unit = " 0 1 a 0 1 Z 0 1 . 0 1 Z";
  while (contents.size() < (1u << 20)) contents += unit;
  return contents + "\n";
}

std::string repeat(const std::string& unit, int times) {
  std::string text;
  for (int i = 0; i < times; ++i) text += unit;
  return text;
}

std::string entries(int count) { return repeat("abc\n1\n2\n", count); }

const char kAnalysisFailed[] = " \nThere is error with the sentence or syllabify function part!";
const char kWrongDurations[] = "\n Durations in labeled file is wrong\n\n In file \n Starting at                         : ";

const std::vector<BadInput>& cases() {
  static const std::vector<BadInput> table = {
      // Labelled files.
      {"EmptyLabeledFile", labeled(""), 1, "\n No '#' ends the header of labeled file x.lab\n", "", false},
      {"NoHash", labeled("0.1 1 Z\n0.2 1 a\n"), 1, "\n No '#' ends the header of labeled file x.lab\n", "", false},
      {"OnlyPauses", labels("ZZZ"), 1, "\n No label other than Z in labeled file x.lab\n", "", false},
      {"OneLetterWordAlone", labels("a"), 0, "", "", true},
      {"OneLetterWordAndPause", labels("oZ"), 0, "", "", true},
      {"TruncatedMidEntry", labeled("#\n0.1 1 Z\n0.2 1 e\n0.3 1 v\n0.4 1 Z\n0.5 1"), 0, "", "", true},
      {"NotANumberEndsTheBody", labeled("#\n0.1 1 Z\n0.2 1 e\nnan 1 v\n0.4 1 Z\n"), 0, "", "", true},
      {"NotANumberFirst", labeled("#\nnan 1 Z\n0.2 1 e\n"), 1,
       "\n No label other than Z in labeled file x.lab\n", "", false},
      {"NegativeTime", labeled("#\n-0.1 1 Z\n0.2 1 a\n"), 1, std::string(kWrongDurations) + "\n", "", false},
      {"DecreasingTime", labeled("#\n0.1 1 Z\n0.3 1 e\n0.2 1 v\n0.4 1 Z\n"), 1,
       std::string(kWrongDurations) + "Ze\n", "", false},
      {"LabelByteAbove127", labels("Z\xc3\xbcZ"), 0, "", "", true},
      {"SentenceOfOneLetter", labels("ZaZ"), 0, "", "", true},
      {"WordOfFourteenSyllables", labels("Z" + repeat("ka", 14) + "Z"), 0, "", "", true},
      {"WordOfFifteenSyllables", labels("Z" + repeat("ka", 15) + "Z"), 0, "", "", true,
       "\nError in find_in_word_positions syllable_number variable \n syllable_number = 15"},
      {"TrailingDoubledPauses", labels("ZevZZ"), 0, "", "", true},
      {"DoubledPauseInside", labels("ZevZZelmaZ"), 0, "", "", true, kAnalysisFailed},
      {"OneMegabyteLine", labeled(one_megabyte_line()), 0, "", "", true},
      {"DirectoryAsLabeledFile", make_directory("x.lab"), 1, "0 x.lab\n", "Could not open file x.lab to read\n",
       false},
      {"MissingLabeledFile", [](const TempDir&) {}, 1, "0 x.lab\n", "Could not open file x.lab to read\n", false},
      // Label lists.
      {"MissingLabelList", [](const TempDir&) {}, 1, "", "Could not open file nolist.txt to read\n", false, "",
       false, {"nolist.txt", kOutput}},
      {"DirectoryAsLabelList", make_directory("listdir"), 1, "", "Could not open file listdir to read\n", false,
       "", false, {"listdir", kOutput}},
      {"DuplicatePaths", label_list("good.lab\ngood.lab\n"), 0, "", "", true, "\n1 good.lab\n"},
      {"BlankLinesAndBlanks", label_list("\n\n   good.lab  \n\n\t\n"), 0, "", "", true, "\n0 good.lab\n"},
      {"EmptyLabelList", label_list(""), 1, "", "No labelled file in list labels.txt\n", false, "", false},
      {"BlankLabelList", label_list(" \n\t\n"), 1, "", "No labelled file in list labels.txt\n", false, "",
       false},
      // The triphone list.
      {"MissingTriphoneList", [](const TempDir& dir) { std::filesystem::remove(dir.file("hepsi.txt")); }, 1, "",
       "Could not open file hepsi.txt to read\n", false, "", false},
      {"DirectoryAsTriphoneList",
       [](const TempDir& dir) {
         dir.write("labels.txt", "good.lab\n");
         std::filesystem::remove(dir.file("hepsi.txt"));
         std::filesystem::create_directory(dir.file("hepsi.txt"));
       },
       1, "", "Could not open file hepsi.txt to read\n", false, "", false},
      {"EmptyTriphoneList", triphone_list(""), 1, "", "No triphone in list hepsi.txt\n", false, "", false},
      {"TriphoneListShortOfLines", triphone_list("edi\n1"), 0, "", "", true, "\nIn read Size of Database is : 1\n"},
      {"TriphoneListOver8000Entries", triphone_list(entries(8001)), 0, "", "", true,
       "\nIn read Size of Database is : 8000\n"},
      // Outputs.
      {"OutputInMissingDirectory", label_list("good.lab\n"), 1, "", "Could not open file nodir/out.txt to write\n",
       false, "", false, {"labels.txt", "nodir/out.txt"}},
      {"OutputIsADirectory", both(label_list("good.lab\n"), make_directory("outdir")), 1, "",
       "Could not open file outdir to write\n", false, "", false, {"labels.txt", "outdir"}},
      {"ReportCannotBeWritten", both(label_list("good.lab\n"), make_directory(kReport)), 1, "",
       "Could not open file performance_triphone.txt to write\n", false},
  };
  return table;
}

// Runs `program` with `args` in `dir`.
ChildResult run_program(const std::string& program, const TempDir& dir, std::vector<std::string> args) {
  return run_in_child([&] {
    if (chdir(dir.path().c_str()) != 0) _exit(126);
    std::vector<char*> argv;
    std::string name = program;
    argv.push_back(name.data());
    for (std::string& word : args) argv.push_back(word.data());
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
  });
}

bool ends_with(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// Both programs of this tree.
std::vector<std::string> programs() { return {SEGDUR2_PATH, SEGDUR1_PATH}; }

class BadInputTable : public ::testing::TestWithParam<BadInput> {};

TEST_P(BadInputTable, ClearMessageExitStatusAndNoHalfWrittenReport) {
  const BadInput& c = GetParam();
  for (const std::string& program : programs()) {
    SCOPED_TRACE(program);
    TempDir dir;
    dir.write("hepsi.txt", kTriphoneList);
    dir.write("good.lab", kGoodFile);
    dir.write("labels.txt", "x.lab\n");
    c.prepare(dir);
    const bool report_was_directory = std::filesystem::is_directory(dir.file(kReport));

    const ChildResult r = run_program(program, dir, c.args);
    EXPECT_EQ(r.exit_status, c.exit_status);
    EXPECT_TRUE(ends_with(r.out, c.stdout_tail)) << "standard output ends with:\n"
                                                 << r.out.substr(r.out.size() - std::min<std::size_t>(r.out.size(), 300));
    EXPECT_EQ(r.err, c.stderr_text);
    if (c.exit_status == 0) {
      EXPECT_NE(r.out.find("\nError finding\n"), std::string::npos);
    }
    EXPECT_NE(r.out.find(c.stdout_contains), std::string::npos) << "missing: " << c.stdout_contains;

    const std::filesystem::path report = dir.file(kReport);
    if (c.report_written) {
      EXPECT_TRUE(std::filesystem::is_regular_file(report));
      EXPECT_GT(std::filesystem::file_size(report), 0u);
    } else {
      EXPECT_EQ(std::filesystem::is_regular_file(report), false) << "a failed run left a report";
      EXPECT_EQ(std::filesystem::is_directory(report), report_was_directory);
    }
    EXPECT_EQ(std::filesystem::exists(dir.file(kOutput)), c.output_created);
    if (c.output_created) {
      EXPECT_EQ(dir.read(kOutput), "");
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Programs, BadInputTable, ::testing::ValuesIn(cases()),
                         [](const ::testing::TestParamInfo<BadInput>& info) { return info.param.name; });

}  // namespace
}  // namespace segdur
