// Draws the finished tree on standard output, one line per shown entry.
#pragma once

#include "common/tree_item.h"

class Platform;
struct AppOptions;

// Writes the root's line, then one line per folder (and per file when files are shown) in
// pre-order, each after a prefix with a vertical line for every ancestor not marked last, down
// to the depth MaxDepth (the root's children are at depth 1). The files' columns are those
// SetColumnWidths set.
void PrintTree(Platform& platform, const AppOptions& options, const TreeItem& root);
