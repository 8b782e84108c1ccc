// Every file reader of the libraries on a file whose reads fail with an I/O
// error (/proc/self/mem: nothing is mapped at its start), named directly and
// through a symlink. Each must end the run with status 1 and "Could not read
// file <path>\n" instead of taking the failure for the end of the data.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "edition1/database.h"
#include "model/database.h"
#include "test_support.h"
#include "text/labeled_file.h"
#include "text/sentence_filter.h"
#include "text/utility.h"

namespace segdur {
namespace {

namespace fs = std::filesystem;
using testing_support::ChildResult;
using testing_support::run_in_child;
using testing_support::TempDir;

const char kProcMem[] = "/proc/self/mem";

struct Reader {
  const char* name;
  std::function<void(const char* path)> read;
};

void PrintTo(const Reader& r, std::ostream* os) { *os << r.name; }

const std::vector<Reader>& readers() {
  static const std::vector<Reader> table = {
      {"LabeledFile", [](const char* path) { LabeledFile(16000.0f).read(path); }},
      {"IntVector", [](const char* path) { read_int_vector_from_file(path); }},
      {"DecimalPointCopy", [](const char* path) { convert_decimal_points(path, "copy.txt"); }},
      {"TextToSplit",
       [](const char* path) {
         SentenceFilter filter;
         filter.open_text_file(path);
         filter.split_text();
       }},
      {"SentenceSet", [](const char* path) { SentenceFilter().read_sentence_set(path); }},
      {"TriphoneList", [](const char* path) { Database("ortalama").read(path, 8000); }},
      {"EarlierTriphoneList", [](const char* path) { edition1::Database().read(path, 8000); }},
      {"BinaryDatabase", [](const char* path) { Database("ortalama").load(path, "-bd"); }},
      {"EarlierBinaryDatabase", [](const char* path) { edition1::Database().load(path, "-bd"); }},
  };
  return table;
}

class ReadFailure : public ::testing::TestWithParam<Reader> {
 protected:
  void SetUp() override {
    if (!testing_support::proc_mem_fails_reads()) {
      GTEST_SKIP() << "reads of /proc/self/mem do not fail here";
    }
  }
};

TEST_P(ReadFailure, EndsTheRunNamingTheFile) {
  const Reader& reader = GetParam();
  TempDir dir;
  fs::create_symlink(kProcMem, dir.file("link"));
  for (const std::string& path : {std::string(kProcMem), std::string("link")}) {
    SCOPED_TRACE(path);
    const ChildResult r = run_in_child([&] {
      if (chdir(dir.path().c_str()) != 0) _exit(126);
      reader.read(path.c_str());
    });
    EXPECT_EQ(r.exit_status, 1);
    EXPECT_EQ(r.err, "Could not read file " + path + "\n");
    EXPECT_FALSE(fs::exists(dir.file("copy.txt"))) << "a copy of a failed read was made";
  }
}

INSTANTIATE_TEST_SUITE_P(Readers, ReadFailure, ::testing::ValuesIn(readers()),
                         [](const ::testing::TestParamInfo<Reader>& info) { return info.param.name; });

}  // namespace
}  // namespace segdur
