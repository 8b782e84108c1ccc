// Cost of the check that keeps a run's outputs off its inputs: the existing
// second argument and report compared with the label list, the triphone list
// and the labelled files of a corpus laid out as the corpus benchmark lays it
// out (folders of 1000 files), per labelled file.

#include <benchmark/benchmark.h>

#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

#include "programs/driver.h"

namespace {

constexpr int kFilesPerFolder = 1000;

// A temporary folder with `files` labelled files, the label list, the
// triphone list, an empty second argument and a report, removed at the end.
struct Corpus {
  std::string root;
  std::vector<std::string> paths;

  explicit Corpus(int files) {
    std::string name = (std::filesystem::temp_directory_path() / "segdur-check-XXXXXX").string();
    if (mkdtemp(name.data()) == nullptr) std::abort();
    root = name;
    for (int i = 0; i < files; ++i) {
      char relative[64];
      std::snprintf(relative, sizeof relative, "corpus/%03d/%05d.lab", i / kFilesPerFolder, i);
      const std::string path = root + "/" + relative;
      std::filesystem::create_directories(std::filesystem::path(path).parent_path());
      std::ofstream(path).put('#');
      paths.push_back(path);
    }
    for (const char* name : {"labels.txt", "hepsi.txt", "fine.txt", "performance_triphone.txt"}) {
      std::ofstream(root + "/" + name).put('\n');
    }
  }
  ~Corpus() {
    std::error_code ignored;
    std::filesystem::remove_all(root, ignored);
  }
};

void BM_CompareOutputWithInputs(benchmark::State& state) {
  const Corpus corpus(static_cast<int>(state.range(0)));
  const std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(corpus.root);
  for (auto _ : state) {
    // Returns: no output is an input.
    segdur::driver_detail::refuse_outputs_among_inputs("fine.txt", "labels.txt", corpus.paths);
  }
  std::filesystem::current_path(previous);
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_CompareOutputWithInputs)->Arg(20000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
