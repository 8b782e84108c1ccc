// segdur1: trains the earlier triphone duration table on 90 % of the
// labelled files of a list and writes its short report on the rest.

#include "edition1/database.h"
#include "programs/driver.h"

int main(int argc, char* argv[]) {
  return segdur::run_evaluation(argc, argv, [] { return segdur::edition1::Database(); });
}
