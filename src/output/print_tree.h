// Draws the finished tree on standard output, one line per shown entry.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "common/tree_item.h"

class Platform;
struct AppOptions;
struct LineTexts;

// Writes the root's line, then one line per folder (and per file when files are shown) in
// pre-order, each after a prefix with a vertical line for every ancestor not marked last, down
// to the depth MaxDepth (the root's children are at depth 1). The files' columns are those
// SetColumnWidths set.
void PrintTree(Platform& platform, const AppOptions& options, const TreeItem& root);

// Writes the chart's lines one at a time, the same lines PrintTree writes: for a chart written
// as the walk goes. The files' columns are those SetFolderFileColumns set.
class ChartLineWriter {
 public:
  ChartLineWriter(Platform& platform, const AppOptions& options);
  ~ChartLineWriter();
  ChartLineWriter(const ChartLineWriter&) = delete;
  ChartLineWriter& operator=(const ChartLineWriter&) = delete;
  // Writes `item`'s line at `depth` after `prefix`, the segments of its ancestors below the
  // root; a file's only where files are shown.
  void WriteLine(const TreeItem& item, size_t depth, std::string_view prefix);

 private:
  Platform& platform_;
  std::unique_ptr<LineTexts> texts_;
  std::string line_;  // reused for every line
};

// Appends to `prefix` the segment that `folder`, at `depth`, puts before its children's lines:
// its vertical line, unless it is marked last.
void AppendChildPrefix(const AppOptions& options, const TreeItem& folder, size_t depth,
                       std::string& prefix);
