// segdur2: trains the triphone duration table on 90 % of the labelled files
// of a list and reports its errors on the rest.

#include "model/database.h"
#include "programs/driver.h"

int main(int argc, char* argv[]) {
  return segdur::run_evaluation(argc, argv, [] { return segdur::Database("ortalama"); });
}
