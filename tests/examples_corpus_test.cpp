// The sample corpus in examples/ must be usable as it stands: every listed
// labelled file reads, its sentence is valid, and every triphone that the
// analysis forms is in the triphone list. make_corpus.py, run again over an
// earlier corpus, removes only the files it wrote.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tests/program_runner.h"
#include "tests/test_support.h"
#include "text/labeled_file.h"
#include "text/sentence_vectors.h"

namespace segdur {
namespace {

using testing_support::ChildResult;
using testing_support::read_file;
using testing_support::run_in_child;
using testing_support::run_program;
using testing_support::ScopedWorkingDirectory;
using testing_support::TempDir;

const std::string kExamples = std::string(SEGDUR_SOURCE_DIR) + "/examples";

std::vector<std::string> read_words(const std::string& path) {
  std::ifstream in(path);
  std::vector<std::string> words;
  std::string word;
  while (in >> word) words.push_back(word);
  return words;
}

// The keys of the triphone list: the first three characters of the first line
// of every three-line entry.
std::vector<std::string> read_list_keys(const std::string& path) {
  std::ifstream in(path);
  std::vector<std::string> keys;
  std::string first, second, third;
  while (std::getline(in, first)) {
    std::getline(in, second);
    std::getline(in, third);
    keys.push_back(first.substr(0, 3));
  }
  return keys;
}

bool is_vowel_letter(char c) { return std::string("aeIioOuU").find(c) != std::string::npos; }

TEST(ExamplesCorpus, ListsAreConsistent) {
  const std::vector<std::string> paths = read_words(kExamples + "/labels.txt");
  EXPECT_GE(paths.size(), 200u);
  EXPECT_EQ(std::set<std::string>(paths.begin(), paths.end()).size(), paths.size())
      << "a labelled file is listed twice";
  for (const std::string& p : paths) {
    EXPECT_TRUE(std::ifstream(kExamples + "/" + p).good()) << p << " is listed but missing";
  }

  const std::vector<std::string> keys = read_list_keys(kExamples + "/hepsi.txt");
  EXPECT_EQ(std::set<std::string>(keys.begin(), keys.end()).size(), keys.size())
      << "a triphone is listed twice";
  EXPECT_LE(keys.size(), 8000u) << "main reads at most 8000 entries";
  for (const std::string& k : keys) EXPECT_EQ(k.size(), 3u) << "short entry '" << k << "'";
  EXPECT_NE(std::find(keys.begin(), keys.end(), "edi"), keys.end());
}

// Reads every file as main does, in a child since a bad file ends the process.
// The child reports every problem as a line on standard output.
TEST(ExamplesCorpus, EveryFileReadsIsValidAndHasListedTriphones) {
  const testing_support::ChildResult result = run_in_child([] {
    ScopedWorkingDirectory cwd(kExamples);
    const std::vector<std::string> keys = read_list_keys("hepsi.txt");
    const std::set<std::string> listed(keys.begin(), keys.end());
    std::set<std::string> seen;
    double final_sum = 0, other_sum = 0;
    int final_count = 0, other_count = 0;
    std::ostringstream problems;

    for (const std::string& path : read_words("labels.txt")) {
      LabeledFile file(16000.0f);
      file.read(path.c_str());
      const std::string labels = file.get_labels();
      const std::vector<float> durations = file.get_durations();
      file.close();

      if (labels.size() < 3 || labels.front() != 'Z' || labels.back() != 'Z' ||
          labels.find("ZZ") != std::string::npos) {
        problems << path << ": label string " << labels << " is not Z word Z ... Z\n";
      }
      for (float d : durations) {
        if (!(d > 0.0f)) problems << path << ": a duration is not positive\n";
      }
      SentenceVectors vectors(labels, durations);
      if (!Sentence(labels, "do").is_valid()) problems << path << ": invalid sentence\n";
      const int words = vectors.get_word_count();
      if (words < 3 || words > 10) problems << path << ": " << words << " words\n";

      for (const triphone_PIVD_struct& e : vectors.get_triphone_PIVD_vector()) {
        const std::string key(e.triphone, 3);
        seen.insert(key);
        if (listed.count(key) == 0) problems << path << ": triphone " << key << " not listed\n";
        if (!is_vowel_letter(e.letter)) continue;
        const place_info_struct& p = e.place_info_struct;
        if (p.in_sentence_position != 2) {
          other_sum += e.duration;
          ++other_count;
        } else if (p.in_word_position == 2 || p.syllable_number == 1) {
          final_sum += e.duration;
          ++final_count;
        }
      }
    }
    if (seen.count("edi") == 0) problems << "edi never occurs\n";
    if (seen.size() == listed.size()) problems << "every listed triphone occurs\n";
    // The duration model lengthens the last syllable of a sentence.
    if (final_count == 0 || other_count == 0 ||
        final_sum / final_count < 1.25 * (other_sum / other_count)) {
      problems << "sentence-final vowels are not clearly longer\n";
    }
    std::cout << problems.str();
  });
  EXPECT_EQ(result.exit_status, 0);
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err, "");
}

ChildResult make_corpus(const TempDir& out, std::vector<std::string> args) {
  args.insert(args.begin(), {kExamples + "/make_corpus.py", "--out", "."});
  return run_program("python3", out, args);
}

// An earlier corpus in numbered subfolders, then a smaller one without: the
// script's own files go, a user's .lab files stay and are counted, and what
// the script wrote equals a fresh run.
TEST(MakeCorpus, RemovesOnlyTheFilesOfItsEarlierRuns) {
  if (std::system("command -v python3 >/dev/null 2>&1") != 0) GTEST_SKIP() << "no python3";
  namespace fs = std::filesystem;
  TempDir dir;
  ASSERT_EQ(make_corpus(dir, {"--files", "40", "--per-dir", "10"}).exit_status, 0);
  dir.write("corpus/mine.lab", "my own recording\n#\n0.1 121 a\n");
  dir.write("corpus/002/0021.lab.txt", "not a labelled file\n");
  fs::create_directory(dir.file("corpus/007"));
  dir.write("corpus/007/take1.lab", "segdur sample corpus\nfile other.lab\n");
  // A script file renamed by hand no longer carries its own name.
  fs::copy_file(dir.file("corpus/001/0012.lab"), dir.file("corpus/001/keep.lab"));
  fs::create_symlink("../mine.lab", dir.file("corpus/003/link.lab"));

  const ChildResult again = make_corpus(dir, {"--files", "20"});
  ASSERT_EQ(again.exit_status, 0) << again.err;
  EXPECT_NE(again.err.find("removed 40 .lab files of an earlier corpus"), std::string::npos)
      << again.err;
  EXPECT_NE(again.err.find("kept 4 .lab files in ./corpus that this script did not write"),
            std::string::npos)
      << again.err;

  std::vector<std::string> left;
  for (const auto& entry : fs::recursive_directory_iterator(dir.file("corpus"))) {
    const std::string rel = entry.path().string().substr(dir.path().size() + 1);
    const bool of_this_run = entry.is_regular_file() &&
                             entry.path().parent_path().filename() == "corpus" &&
                             entry.path().stem().string().find_first_not_of("0123456789") ==
                                 std::string::npos;
    if (!of_this_run) left.push_back(rel);
  }
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left, (std::vector<std::string>{"corpus/001", "corpus/001/keep.lab", "corpus/002",
                                            "corpus/002/0021.lab.txt", "corpus/003",
                                            "corpus/003/link.lab", "corpus/007",
                                            "corpus/007/take1.lab", "corpus/mine.lab"}));

  TempDir fresh;
  ASSERT_EQ(make_corpus(fresh, {"--files", "20"}).exit_status, 0);
  EXPECT_EQ(read_file(dir.file("labels.txt")), read_file(fresh.file("labels.txt")));
  EXPECT_EQ(read_file(dir.file("hepsi.txt")), read_file(fresh.file("hepsi.txt")));
  for (const std::string& path : read_words(fresh.file("labels.txt"))) {
    EXPECT_EQ(read_file(dir.file(path)), read_file(fresh.file(path))) << path;
  }
}

}  // namespace
}  // namespace segdur
