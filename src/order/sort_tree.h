// Puts every folder's children in display order.
#pragma once

#include "common/tree_item.h"

void SortTree(TreeItem& root);
// SortTree and then MarkLastItems in one walk of the tree: each folder's children are marked
// right after their sort, while they are still in the cache, rather than in a second walk that
// meets a large tree's entries in their new, scattered order.
void SortAndMarkTree(TreeItem& root);
