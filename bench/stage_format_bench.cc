// Benchmark cases of the texts of a line: grouped numbers, the time text, the lower-case keys.
#include <benchmark/benchmark.h>

#include <string>

#include "common/number_text.h"
#include "output/time_text.h"
#include "platform/posix/lower_case.h"
#include "stage_tree.h"
#include "tree/entry_info.h"

namespace {

void BM_AppendNumberRight(benchmark::State& state) {
  std::string line;
  uint32_t value = 1;
  for (auto _ : state) {
    line.clear();
    AppendNumberRight(line, value, 13);
    value = value * 2654435761u + 12345u;  // every length from 1 to 13 bytes
    benchmark::DoNotOptimize(line.data());
  }
  state.SetItemsProcessed(state.iterations());
}

// Times inside the DOS range, one per minute apart, as a folder of files usually has.
void BM_AppendTimeText(benchmark::State& state) {
  NullPlatform platform;
  const TimeSeparators separators;
  std::string line;
  uint64_t time = 132000000000000000ull;  // 2019
  for (auto _ : state) {
    line.clear();
    AppendTimeText(platform, MakeFileTime(time), separators, line);
    time += 600000000ull + 12345;
    benchmark::DoNotOptimize(line.data());
  }
  state.SetItemsProcessed(state.iterations());
}

// A time after 2107 takes the calendar path instead of the DOS pair.
void BM_AppendTimeTextOutsideDosRange(benchmark::State& state) {
  NullPlatform platform;
  const TimeSeparators separators;
  std::string line;
  uint64_t time = 180000000000000000ull;  // 2171
  for (auto _ : state) {
    line.clear();
    AppendTimeText(platform, MakeFileTime(time), separators, line);
    time += 600000000ull + 12345;
    benchmark::DoNotOptimize(line.data());
  }
  state.SetItemsProcessed(state.iterations());
}

void BM_LowerCaseCp932(benchmark::State& state) {
  std::string name = "IMG_20240611_Report.Final.JPG";
  std::string key;
  for (auto _ : state) {
    key = name;
    LowerCaseCp932(key.data(), key.size());
    benchmark::DoNotOptimize(key.data());
  }
  state.SetBytesProcessed(state.iterations() * name.size());
}

void BM_FindExtensionStart(benchmark::State& state) {
  const std::string name = "\x8E\x91\x97\xBF.backup.tar.gz";  // a two-byte name, then full stops
  for (auto _ : state) benchmark::DoNotOptimize(FindExtensionStart(name));
  state.SetBytesProcessed(state.iterations() * name.size());
}

BENCHMARK(BM_AppendNumberRight);
BENCHMARK(BM_AppendTimeText);
BENCHMARK(BM_AppendTimeTextOutsideDosRange);
BENCHMARK(BM_LowerCaseCp932);
BENCHMARK(BM_FindExtensionStart);

}  // namespace
