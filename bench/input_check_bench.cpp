// Cost of the check that keeps a run's output off its inputs: one existing
// output compared with the labelled files of a corpus laid out as the corpus
// benchmark lays it out (folders of 1000 files), per compared path.

#include <benchmark/benchmark.h>

#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

#include "text/open_file.h"

namespace {

constexpr int kFilesPerFolder = 1000;

// A temporary folder with `files` empty labelled files and an empty output,
// removed at the end.
struct Corpus {
  std::string root;
  std::vector<std::string> paths;
  std::string output;

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
    output = root + "/fine.txt";
    std::ofstream{output};
  }
  ~Corpus() {
    std::error_code ignored;
    std::filesystem::remove_all(root, ignored);
  }
};

void BM_CompareOutputWithInputs(benchmark::State& state) {
  const Corpus corpus(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    const segdur::FileIdentity output(corpus.output.c_str());
    bool same = false;
    for (const std::string& path : corpus.paths) same = same || output.is_same_file(path.c_str());
    benchmark::DoNotOptimize(same);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_CompareOutputWithInputs)->Arg(20000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
