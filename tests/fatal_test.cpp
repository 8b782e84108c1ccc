#include "text/fatal.h"

#include <gtest/gtest.h>

#include "test_support.h"

namespace segdur {
namespace {

using testing_support::run_in_child;

TEST(Fatal, MessageGoesToStandardOutputAsItStandsAndStatusIsOne) {
  auto r = run_in_child([] { fatal("\n broken input"); });
  EXPECT_EQ(r.exit_status, 1);
  EXPECT_EQ(r.out, "\n broken input");
  EXPECT_EQ(r.err, "");
}

TEST(Fatal, OpenFailuresGoToStandardErrorWithThePath) {
  auto r = run_in_child([] { fatal_open_read("missing.txt"); });
  EXPECT_EQ(r.exit_status, 1);
  EXPECT_EQ(r.err, "Could not open file missing.txt to read\n");
  r = run_in_child([] { fatal_open_write("dir/out.txt"); });
  EXPECT_EQ(r.exit_status, 1);
  EXPECT_EQ(r.err, "Could not open file dir/out.txt to write\n");
  r = run_in_child([] { fatal_open_read(nullptr); });
  EXPECT_EQ(r.err, "Could not open file  to read\n");
}

}  // namespace
}  // namespace segdur
