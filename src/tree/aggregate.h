// The pass that completes the tree: per-folder counts and byte sums.
#pragma once

#include <vector>

#include "common/tree_item.h"
#include "tree/folder_scan.h"

struct AppOptions;

// Runs the sums pass where the options ask for sums or totals. Byte sums never wrap. Counting
// the disk's space (CountDiskUsage), a folder's own space counts among its own bytes, and each
// file of `shared_files` counts once: at its first name in the chart's order as it is without a
// sort key (each folder's files before or after its subfolders as FilesFirst says, in listing
// order); its other names count 0, in their size column too.
void AggregateTree(const AppOptions& options, TreeItem& root,
                   const std::vector<SharedFile>& shared_files = {});
