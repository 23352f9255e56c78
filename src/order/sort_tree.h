// Puts every folder's children in display order.
#pragma once

#include "common/tree_item.h"

void SortTree(TreeItem& root);
