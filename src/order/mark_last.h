// Marks the entries below which a folder's vertical line ends.
#pragma once

#include "common/tree_item.h"

// Marks `folder`'s children in their present, final order. SortAndMarkTree calls it for each
// folder right after that folder's sort.
void MarkLastChildren(TreeItem& folder);
