// The passes that complete the tree: file-name widths, per-folder counts and byte sums.
#pragma once

#include "common/tree_item.h"

// Runs the width pass and the sums pass as g_options asks. Byte sums are whole 64-bit numbers.
void AggregateTree(TreeItem& root);
