// The order of two siblings: files and folders grouped, then the sort key, then the direction.
#pragma once

#include "common/app_options.h"
#include "common/tree_item.h"

// True when `a` is to stand before `b` among their folder's children under `options`.
// In descending order two entries with fully equal keys each precede the other, so this
// predicate must never be handed to a sort that needs a strict ordering.
bool ItemPrecedes(const TreeItem& a, const TreeItem& b, const AppOptions& options = g_options);

// The ascending order of two siblings of the same kind by the sort key and its tie-break:
// a strict weak ordering, fit for a stable library sort.
bool KeyLess(const TreeItem& a, const TreeItem& b, int32_t sort_key);
