#include "text/utility.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <numeric>
#include <string>
#include <vector>

#include "test_support.h"

namespace segdur {
namespace {

using testing_support::capture_stdout;
using testing_support::run_in_child;
using testing_support::ScopedWorkingDirectory;
using testing_support::TempDir;

TEST(UtilityWriters, OneValuePerLineInTheStreamsDefaultFormat) {
  TempDir dir;
  write_float_vector_to_file({0.5f, 0.0625f, 1234567.0f, 1e-7f}, dir.file("fv").c_str());
  EXPECT_EQ(dir.read("fv"), "0.5\n0.0625\n1.23457e+06\n1e-07\n");
  const float floats[] = {2.5f, -3.0f};
  write_float_array_to_file(floats, 2, dir.file("fa").c_str());
  EXPECT_EQ(dir.read("fa"), "2.5\n-3\n");
  write_int_vector_to_file({3, -1, 0}, dir.file("iv").c_str());
  EXPECT_EQ(dir.read("iv"), "3\n-1\n0\n");
  const int ints[] = {7, 8, 9};
  write_int_array_to_file(ints, 2, dir.file("ia").c_str());
  EXPECT_EQ(dir.read("ia"), "7\n8\n");
}

TEST(UtilityWriters, NothingToWriteTruncatesToAnEmptyFile) {
  TempDir dir;
  const int ints[] = {1};
  for (const char* name : {"a", "b", "c"}) dir.write(name, "old contents\n");
  write_int_array_to_file(ints, 0, dir.file("a").c_str());
  write_int_array_to_file(ints, -2, dir.file("b").c_str());
  write_float_vector_to_file({}, dir.file("c").c_str());
  for (const char* name : {"a", "b", "c"}) EXPECT_EQ(dir.read(name), "") << name;
}

TEST(UtilityWriters, AFileThatCannotBeOpenedEndsTheRun) {
  TempDir dir;
  const std::string path = dir.file("no/such/dir/out.txt");
  auto r = run_in_child([&] { write_float_vector_to_file({1.0f}, path.c_str()); });
  EXPECT_EQ(r.exit_status, 1);
  EXPECT_EQ(r.err, "Could not open file " + path + " to write\n");
  r = run_in_child([&] { write_int_array_to_file(nullptr, 0, ""); });
  EXPECT_EQ(r.exit_status, 1);
  EXPECT_EQ(r.err, "Could not open file  to write\n");
}

TEST(UtilityReader, ReadsIntegersUpToTheFirstTextThatIsNotOne) {
  TempDir dir;
  EXPECT_EQ(read_int_vector_from_file(dir.write("a", "1 2\n3x 4\n").c_str()),
            (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(read_int_vector_from_file(dir.write("b", "\n  -5\n\t6").c_str()),
            (std::vector<int>{-5, 6}));
  EXPECT_EQ(read_int_vector_from_file(dir.write("c", "").c_str()), std::vector<int>{});
  EXPECT_EQ(read_int_vector_from_file(dir.write("d", "7 99999999999 8").c_str()),
            std::vector<int>{7});
  const std::string missing = dir.file("missing");
  auto r = run_in_child([&] { read_int_vector_from_file(missing.c_str()); });
  EXPECT_EQ(r.exit_status, 1);
  EXPECT_EQ(r.err, "Could not open file " + missing + " to read\n");
}

TEST(UtilityDecimalPoints, OneWordPerLineWithCommasForPointsAndNotgivenPutsAPInFront) {
  TempDir dir;
  std::string in = dir.write("in.txt", "a 1.5\n\n  2.25.1\t\n");
  convert_decimal_points(in.c_str(), dir.file("out.txt").c_str());
  EXPECT_EQ(dir.read("out.txt"), "a\n1,5\n2,25,1\n");

  ScopedWorkingDirectory cwd(dir.path());
  dir.write("dir/f.txt", "0.5\n");
  dir.write("Pdir/.keep", "");
  convert_decimal_points("dir/f.txt", "notgiven");
  EXPECT_EQ(dir.read("Pdir/f.txt"), "0,5\n");
  convert_decimal_points("dir/f.txt", "notgiven2");
  EXPECT_EQ(dir.read("notgiven2"), "0,5\n");
  convert_decimal_points("dir/f.txt", "Notgiven");
  EXPECT_EQ(dir.read("Notgiven"), "0,5\n");
}

TEST(UtilityDecimalPoints, OpenFailuresEndTheRunAndTheInputIsCheckedFirst) {
  TempDir dir;
  const std::string missing = dir.file("missing.txt");
  const std::string out = dir.file("out.txt");
  auto r = run_in_child([&] { convert_decimal_points(missing.c_str(), out.c_str()); });
  EXPECT_EQ(r.exit_status, 1);
  EXPECT_EQ(r.err, "Could not open file " + missing + " to read\n");
  EXPECT_FALSE(std::ifstream(out).is_open());

  const std::string in = dir.write("in.txt", "1.5\n");
  const std::string bad_out = dir.file("no/dir/out.txt");
  r = run_in_child([&] { convert_decimal_points(in.c_str(), bad_out.c_str()); });
  EXPECT_EQ(r.exit_status, 1);
  EXPECT_EQ(r.err, "Could not open file " + bad_out + " to write\n");
  // "notgiven" names the derived path in the message.
  r = run_in_child([&] { convert_decimal_points(in.c_str(), "notgiven"); });
  EXPECT_EQ(r.exit_status, 1);
  EXPECT_EQ(r.err, "Could not open file P" + in + " to write\n");
}

// A directory opens as a stream that reads as empty; every reader refuses it
// like a missing file, and convert_decimal_points creates no output for it.
TEST(UtilityReaders, ADirectoryIsRefusedWithTheReadMessage) {
  TempDir dir;
  const std::string folder = dir.file("folder");
  dir.write("folder/.keep", "");
  const std::string out = dir.file("out.txt");
  auto r = run_in_child([&] { read_int_vector_from_file(folder.c_str()); });
  EXPECT_EQ(r.exit_status, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "Could not open file " + folder + " to read\n");
  r = run_in_child([&] { convert_decimal_points(folder.c_str(), out.c_str()); });
  EXPECT_EQ(r.exit_status, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "Could not open file " + folder + " to read\n");
  EXPECT_FALSE(std::ifstream(out).is_open());
  // A directory as the output is refused with the write message.
  const std::string in = dir.write("in.txt", "1.5\n");
  r = run_in_child([&] { convert_decimal_points(in.c_str(), folder.c_str()); });
  EXPECT_EQ(r.exit_status, 1);
  EXPECT_EQ(r.err, "Could not open file " + folder + " to write\n");
}

TEST(UtilityStrings, CharArrayCopiesEveryByteAndEndsWithNul) {
  char* empty = string_to_char_array("");
  EXPECT_EQ(empty[0], '\0');
  delete[] empty;
  const std::string s("a\0\xE7Z", 4);
  char* copy = string_to_char_array(s);
  EXPECT_EQ(std::string(copy, 5), s + std::string(1, '\0'));
  delete[] copy;
}

TEST(UtilityStrings, FindCharPositionsListsEveryMatchAscending) {
  EXPECT_EQ(find_char_positions("abca", 'a'), (std::vector<int>{0, 3}));
  EXPECT_EQ(find_char_positions("", 'a'), std::vector<int>{});
  EXPECT_EQ(find_char_positions("ZZ\xFFZ", 'Z'), (std::vector<int>{0, 1, 3}));
  EXPECT_EQ(find_char_positions("a\xFF", '\xFF'), std::vector<int>{1});
}

TEST(UtilityPrint, DumpsAnEmptyLineThenTheElements) {
  EXPECT_EQ(capture_stdout([] { print_vector({3, 1}); }), "\nVector Contents : 3 1 \n");
  EXPECT_EQ(capture_stdout([] { print_vector({}); }), "\nVector Contents : \n");
}

TEST(UtilityShuffle, ResultIsAlwaysAPermutation) {
  std::srand(12345);
  for (int n : {1, 2, 7, 100}) {
    std::vector<int> v = make_shuffled_index_vector(n);
    std::sort(v.begin(), v.end());
    std::vector<int> expected(static_cast<std::size_t>(n));
    std::iota(expected.begin(), expected.end(), 0);
    EXPECT_EQ(v, expected) << n;
  }
}

TEST(UtilityShuffle, CallsRandOncePerPositionAndSwapsWithTheWholeRange) {
  std::srand(99);
  const int r0 = std::rand(), r1 = std::rand(), r2 = std::rand(), after = std::rand();
  // By hand: start 0 1 2; swap position 0, then 1, then 2 with rand() % 3.
  std::vector<int> expected{0, 1, 2};
  std::swap(expected[0], expected[static_cast<std::size_t>(r0 % 3)]);
  std::swap(expected[1], expected[static_cast<std::size_t>(r1 % 3)]);
  std::swap(expected[2], expected[static_cast<std::size_t>(r2 % 3)]);
  std::srand(99);
  EXPECT_EQ(make_shuffled_index_vector(3), expected);
  EXPECT_EQ(std::rand(), after);  // exactly three calls

  std::srand(99);
  EXPECT_EQ(make_shuffled_index_vector(1), std::vector<int>{0});
  EXPECT_EQ(std::rand(), r1);  // one call

  for (int n : {0, -4}) {
    std::srand(99);
    EXPECT_TRUE(make_shuffled_index_vector(n).empty());
    EXPECT_EQ(std::rand(), r0) << n;  // no call
  }
}

TEST(UtilityMean, AccumulatesInDoubleAndGivesNaNWhenEmpty) {
  EXPECT_EQ(mean({1.0f, 2.0f}), 1.5f);
  EXPECT_TRUE(std::isnan(mean({})));
  // Summed in float, both 1s would be lost next to 2^24.
  EXPECT_EQ(mean({16777216.0f, 1.0f, 1.0f}), 5592406.0f);
}

TEST(UtilityStandardDeviation, SampleDeviationWithFloatRoundedSums) {
  EXPECT_EQ(standard_deviation({}), 0.0f);
  EXPECT_EQ(standard_deviation({5.0f}), 0.0f);
  EXPECT_FLOAT_EQ(standard_deviation({1.0f, 2.0f, 3.0f, 4.0f}), std::sqrt(5.0f / 3.0f));
  EXPECT_EQ(standard_deviation({2.0f, 2.0f, 2.0f}), 0.0f);

  // The sum of squares is rounded to float after every addition: next to
  // 2^25 each added 1 is lost, so the 200 small deviations count for nothing.
  std::vector<float> values{4096.0f, -4096.0f};
  for (int i = 0; i < 100; ++i) {
    values.push_back(1.0f);
    values.push_back(-1.0f);
  }
  const float expected = static_cast<float>(
      static_cast<double>(std::sqrt(33554432.0f)) / std::sqrt(201.0));
  const float unrounded = static_cast<float>(std::sqrt(33554632.0) / std::sqrt(201.0));
  ASSERT_NE(expected, unrounded);
  EXPECT_EQ(standard_deviation(values), expected);
}

}  // namespace
}  // namespace segdur
