// Marks the entries below which a folder's vertical line ends.
#pragma once

#include "common/tree_item.h"

void MarkLastItems(TreeItem& root);
// Marks `folder`'s children only, in their present order.
void MarkLastChildren(TreeItem& folder);
