// The pass that completes the tree: per-folder counts and byte sums.
#pragma once

#include "common/tree_item.h"

struct AppOptions;

// Runs the sums pass where the options ask for sums or totals. Byte sums never wrap.
void AggregateTree(const AppOptions& options, TreeItem& root);
