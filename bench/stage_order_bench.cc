// Benchmark cases of the ordering stages: the sort and marks of every folder by each key, and the
// sums.
#include <benchmark/benchmark.h>

#include "order/sort_tree.h"
#include "stage_tree.h"
#include "tree/aggregate.h"

namespace {

constexpr size_t kEntries = 100000;

// Sorts a fresh tree each time (a sorted one would take the already-in-order path).
void SortAndMarkEveryFolder(benchmark::State& state, const std::vector<std::string>& keywords) {
  const AppOptions options = StageOptions(keywords);
  for (auto _ : state) {
    state.PauseTiming();
    StageTree tree;
    BuildStageTree(tree, kEntries);
    AggregateTree(options, *tree.root);
    state.ResumeTiming();
    SortAndMarkTree(options, *tree.root);
    benchmark::DoNotOptimize(tree.root->Children.First);
  }
  state.SetItemsProcessed(state.iterations() * kEntries);
}

void BM_SortAndMarkTreeByName(benchmark::State& state) {
  SortAndMarkEveryFolder(state, {"F", "SN"});
}
void BM_SortAndMarkTreeByExt(benchmark::State& state) {
  SortAndMarkEveryFolder(state, {"F", "SE"});
}
void BM_SortAndMarkTreeBySize(benchmark::State& state) {
  SortAndMarkEveryFolder(state, {"F", "SS"});
}
void BM_SortAndMarkTreeByTimeDescending(benchmark::State& state) {
  SortAndMarkEveryFolder(state, {"F", "ST", "Descend"});
}
// Without a key the creation order stands: only the check that nothing moves, and the marks.
void BM_SortAndMarkTreeNoSort(benchmark::State& state) { SortAndMarkEveryFolder(state, {"F"}); }

void BM_AggregateTree(benchmark::State& state) {
  const AppOptions options = StageOptions({"F", "Size", "Sum", "Total"});
  StageTree tree;
  BuildStageTree(tree, kEntries);
  for (auto _ : state) AggregateTree(options, *tree.root);
  state.SetItemsProcessed(state.iterations() * kEntries);
}

BENCHMARK(BM_SortAndMarkTreeByName)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortAndMarkTreeByExt)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortAndMarkTreeBySize)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortAndMarkTreeByTimeDescending)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortAndMarkTreeNoSort)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AggregateTree)->Unit(benchmark::kMillisecond);

}  // namespace
