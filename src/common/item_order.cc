// The order of two siblings: the kind groups them, the sort key orders each group.
#include "common/item_order.h"

bool ItemPrecedes(const TreeItem& a, const TreeItem& b, const AppOptions& options) {
  if (a.IsFolder != b.IsFolder) {
    // The grouping by kind holds in both directions.
    return options.FilesFirst ? !a.IsFolder : a.IsFolder;
  }
  bool less = KeyLess(a, b, options.SortKey);
  return options.Ascending ? less : !less;
}
