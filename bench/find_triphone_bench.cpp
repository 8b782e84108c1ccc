// Cost of one Database::find_triphone lookup on a short and on a full triphone
// list. The cost per lookup should stay flat as the list grows.

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "model/database.h"
#include "text/sentence_vectors.h"

namespace {

constexpr char kSymbols[] = "abcCdefgGhIijklmnoOprsStuUvyzZ";
constexpr int kSymbolCount = sizeof(kSymbols) - 1;
constexpr int kMaxListEntries = 8000;
constexpr std::size_t kProbeCount = 4096;  // a power of two

// The i-th of the kSymbolCount^3 possible triphones, spread over the whole range.
std::string triphone_number(int i) {
  std::string t(3, ' ');
  t[0] = kSymbols[i / (kSymbolCount * kSymbolCount)];
  t[1] = kSymbols[(i / kSymbolCount) % kSymbolCount];
  t[2] = kSymbols[i % kSymbolCount];
  return t;
}

segdur::triphone_PIVD_struct element_for(const std::string& triphone) {
  segdur::triphone_PIVD_struct element{};
  for (int k = 0; k < 3; ++k) element.triphone[k] = triphone[k];
  element.triphone[3] = '\0';
  element.letter = triphone[1];
  element.duration = 0.07f;
  return element;
}

// The number of distinct listed triphones that the "few" probes cycle over,
// as a corpus of a few hundred words mostly meets the same triphones again.
constexpr int kFewKeys = 64;

// A database read from a list of `entries` distinct triphones, and lookup
// probes of which every one is (hits, few_hits) or none is (misses) in the
// list. hits and misses spread uniformly over the whole list; few_hits use
// only kFewKeys triphones spread over it.
struct Fixture {
  std::unique_ptr<segdur::Database> database;
  std::vector<segdur::triphone_PIVD_struct> hits;
  std::vector<segdur::triphone_PIVD_struct> misses;
  std::vector<segdur::triphone_PIVD_struct> few_hits;

  explicit Fixture(int entries) {
    const int all = kSymbolCount * kSymbolCount * kSymbolCount;
    const int stride = all / entries;  // listed triphones: every stride-th one
    char dir_template[] = "/tmp/segdur_bench_XXXXXX";
    const char* dir = mkdtemp(dir_template);
    if (dir == nullptr) std::abort();
    const std::string path = std::string(dir) + "/hepsi.txt";
    {
      std::ofstream list(path);
      for (int i = 0; i < entries; ++i) list << triphone_number(i * stride) << "\n0\n-\n";
    }
    database = std::make_unique<segdur::Database>("ortalama");
    database->read(path.c_str(), kMaxListEntries);
    std::remove(path.c_str());
    rmdir(dir);

    std::mt19937 rng(12345);
    std::uniform_int_distribution<int> listed(0, entries - 1);
    for (std::size_t k = 0; k < kProbeCount; ++k) {
      const int i = listed(rng);
      hits.push_back(element_for(triphone_number(i * stride)));
      misses.push_back(element_for(triphone_number(i * stride + 1)));
      const int few = static_cast<int>(k % kFewKeys) * (entries / kFewKeys);
      few_hits.push_back(element_for(triphone_number(few * stride)));
    }
  }
};

Fixture& fixture(int entries) {
  static Fixture small(100);
  static Fixture full(kMaxListEntries);
  return entries == 100 ? small : full;
}

void run_lookups(benchmark::State& state, const std::vector<segdur::triphone_PIVD_struct>& probes,
                 segdur::Database& database, bool expect_hit) {
  std::size_t k = 0;
  for (auto _ : state) {
    const int index = database.find_triphone(probes[k]);
    benchmark::DoNotOptimize(index);
    if ((index >= 0) != expect_hit) {
      state.SkipWithError("lookup gave the wrong answer");
      break;
    }
    k = (k + 1) & (kProbeCount - 1);
  }
  state.SetItemsProcessed(state.iterations());
}

void BM_FindTriphoneListed(benchmark::State& state) {
  Fixture& f = fixture(static_cast<int>(state.range(0)));
  run_lookups(state, f.hits, *f.database, true);
}

void BM_FindTriphoneListedFew(benchmark::State& state) {
  Fixture& f = fixture(static_cast<int>(state.range(0)));
  run_lookups(state, f.few_hits, *f.database, true);
}

void BM_FindTriphoneNotListed(benchmark::State& state) {
  Fixture& f = fixture(static_cast<int>(state.range(0)));
  run_lookups(state, f.misses, *f.database, false);
}

BENCHMARK(BM_FindTriphoneListed)->Arg(100)->Arg(kMaxListEntries);
BENCHMARK(BM_FindTriphoneListedFew)->Arg(100)->Arg(kMaxListEntries);
BENCHMARK(BM_FindTriphoneNotListed)->Arg(100)->Arg(kMaxListEntries);

}  // namespace

BENCHMARK_MAIN();
