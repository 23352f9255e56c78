// The passes that complete the tree: file-name widths, per-folder counts and byte sums.
#pragma once

#include "common/tree_item.h"

class Platform;
struct AppOptions;

// Runs the width pass and the sums pass as the options ask. Byte sums never wrap.
// The platform measures names in a UTF-8 chart.
void AggregateTree(Platform& platform, const AppOptions& options, TreeItem& root);
