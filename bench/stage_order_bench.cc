// Benchmark cases of the ordering stages: the sort of every folder by each key, and the marks.
#include <benchmark/benchmark.h>

#include "order/mark_last.h"
#include "order/sort_tree.h"
#include "stage_tree.h"
#include "tree/aggregate.h"

namespace {

constexpr size_t kEntries = 100000;

// Sorts a fresh tree each time (a sorted one would take the already-in-order path).
void SortEveryFolder(benchmark::State& state, const std::vector<std::string>& keywords) {
  SetStageOptions(keywords);
  for (auto _ : state) {
    state.PauseTiming();
    StageTree tree;
    BuildStageTree(tree, kEntries);
    AggregateTree(*tree.root);
    state.ResumeTiming();
    SortTree(*tree.root);
    benchmark::DoNotOptimize(tree.root->Children.First);
  }
  state.SetItemsProcessed(state.iterations() * kEntries);
}

void BM_SortTreeByName(benchmark::State& state) { SortEveryFolder(state, {"F", "SN"}); }
void BM_SortTreeByExt(benchmark::State& state) { SortEveryFolder(state, {"F", "SE"}); }
void BM_SortTreeBySize(benchmark::State& state) { SortEveryFolder(state, {"F", "SS"}); }
void BM_SortTreeByTimeDescending(benchmark::State& state) {
  SortEveryFolder(state, {"F", "ST", "Descend"});
}
// Without a key the creation order stands: only the check that nothing moves.
void BM_SortTreeNoSort(benchmark::State& state) { SortEveryFolder(state, {"F"}); }

void BM_MarkLastItems(benchmark::State& state) {
  SetStageOptions({"F"});
  StageTree tree;
  BuildStageTree(tree, kEntries);
  for (auto _ : state) MarkLastItems(*tree.root);  // marks are only ever set: same work each time
  state.SetItemsProcessed(state.iterations() * kEntries);
}

void BM_AggregateTree(benchmark::State& state) {
  SetStageOptions({"F", "Size", "Sum", "Total"});
  StageTree tree;
  BuildStageTree(tree, kEntries);
  for (auto _ : state) AggregateTree(*tree.root);
  state.SetItemsProcessed(state.iterations() * kEntries);
}

BENCHMARK(BM_SortTreeByName)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortTreeByExt)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortTreeBySize)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortTreeByTimeDescending)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortTreeNoSort)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MarkLastItems)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AggregateTree)->Unit(benchmark::kMillisecond);

}  // namespace
