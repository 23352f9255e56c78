// Benchmark cases of the renderer: a large in-memory tree's column widths set, and the tree drawn
// into a platform that writes nowhere, in the plain chart, with files, and with every column and
// sum.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "order/sort_tree.h"
#include "output/column_widths.h"
#include "output/print_tree.h"
#include "stage_tree.h"
#include "tree/aggregate.h"

namespace {

constexpr size_t kEntries = 100000;

void Render(benchmark::State& state, const std::vector<std::string>& keywords) {
  const AppOptions options = StageOptions(keywords);
  StageTree tree;
  BuildStageTree(tree, kEntries);
  NullPlatform platform;
  AggregateTree(options, *tree.root);
  SortAndMarkTree(options, *tree.root);
  SetColumnWidths(platform, options, *tree.root);
  for (auto _ : state) PrintTree(platform, options, *tree.root);
  state.SetItemsProcessed(state.iterations() * kEntries);
  state.SetBytesProcessed(static_cast<int64_t>(platform.bytes_written));
}

void BM_PrintTreeFolders(benchmark::State& state) { Render(state, {}); }
void BM_PrintTreeFiles(benchmark::State& state) { Render(state, {"F"}); }
void BM_PrintTreeEveryColumn(benchmark::State& state) {
  Render(state, {"F", "Size", "Time", "Sum", "Total", "SS"});
}

// The pass before printing that sets every file's fill and size column.
void BM_SetColumnWidths(benchmark::State& state) {
  const AppOptions options = StageOptions({"F", "Size", "Time"});
  StageTree tree;
  BuildStageTree(tree, kEntries);
  NullPlatform platform;
  for (auto _ : state) SetColumnWidths(platform, options, *tree.root);
  state.SetItemsProcessed(state.iterations() * kEntries);
}

BENCHMARK(BM_SetColumnWidths)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PrintTreeFolders)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PrintTreeFiles)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PrintTreeEveryColumn)->Unit(benchmark::kMillisecond);

}  // namespace
