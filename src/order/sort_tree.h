// Puts every folder's children in display order and marks where each vertical line ends.
#pragma once

#include <vector>

#include "common/tree_item.h"

struct AppOptions;

// In every folder: the files and the subfolders grouped as the options say, each group by the
// sort key in the chosen direction; then the marks of the last-sibling rule (MarkLastChildren).
// Each folder's children are marked right after their sort, while they are still in the cache,
// rather than in a second walk that meets a large tree's entries in their new, scattered order.
void SortAndMarkTree(const AppOptions& options, TreeItem& root);

// An entry beside the number an order by size or time compares.
struct NumberKeyed {
  ByteSum key;
  TreeItem* item;
};

// The room a sort works in, reused for every folder.
struct SortRoom {
  std::vector<TreeItem*> items;
  std::vector<NumberKeyed> keyed;
};

// The same for `folder`'s children alone, whose order compares only siblings: for a chart
// written as the walk goes. `room` is the caller's, reused for every folder.
void SortAndMarkChildren(const AppOptions& options, TreeItem& folder, SortRoom& room);
