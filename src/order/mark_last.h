// Marks the entries below which a folder's vertical line ends.
#pragma once

#include "common/tree_item.h"

void MarkLastItems(TreeItem& root);
