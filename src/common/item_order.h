// The order of two siblings of the same kind: the sort key, then the name.
#pragma once

#include <cstring>
#include <string_view>

#include "common/app_options.h"
#include "common/tree_item.h"

// The parts of KeyLess.
namespace item_order_detail {

// Byte-wise comparison of code page 932 keys: bytes compare as unsigned values, so a
// double-byte character compares by its lead byte first; a prefix is less than the longer text.
inline int CompareBytes(std::string_view a, std::string_view b) {
  size_t common = a.size() < b.size() ? a.size() : b.size();
  int result = common ? std::memcmp(a.data(), b.data(), common) : 0;
  if (result != 0) return result;
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

// Size order: a folder by the bytes of its whole subtree, a file by its own size.
inline ByteSum SizeKey(const TreeItem& item) {
  return item.IsFolder ? item.CumulativeBytes() : item.Size;
}

// Negative, zero or positive as the primary key of `a` is less than, equal to or greater
// than that of `b`; SortByName has no primary key besides the name itself.
inline int ComparePrimary(const TreeItem& a, const TreeItem& b, int32_t sort_key) {
  switch (sort_key) {
    case SortByExt:
      return CompareBytes(a.ExtKey(), b.ExtKey());
    case SortBySize: {
      ByteSum size_a = SizeKey(a);
      ByteSum size_b = SizeKey(b);
      return size_a == size_b ? 0 : (size_a < size_b ? -1 : 1);
    }
    case SortByTime: {
      // The full 64-bit value: the high half decides first, then the low half.
      uint64_t time_a = FileTimeValue(a.WriteTime);
      uint64_t time_b = FileTimeValue(b.WriteTime);
      return time_a == time_b ? 0 : (time_a < time_b ? -1 : 1);
    }
    default:
      return 0;
  }
}

}  // namespace item_order_detail

// The ascending order of two siblings of the same kind by the sort key and its tie-break:
// a strict weak ordering, fit for a stable library sort. The sort groups the kinds and gives the
// direction (order/sort_tree.cc). Inline, because the sorts of a large tree call it tens of
// millions of times.
inline bool KeyLess(const TreeItem& a, const TreeItem& b, int32_t sort_key) {
  if (sort_key == NoSort || sort_key < NoSort || sort_key > SortByTime) {
    // Creation order; sequence numbers are unique, so no tie-break is needed.
    return a.SequenceNo < b.SequenceNo;
  }
  // Every key but the name falls back to the name when it is equal. Names equal but for
  // letter case are fully equal keys; the stable sort keeps them in their earlier order.
  int primary = item_order_detail::ComparePrimary(a, b, sort_key);
  if (primary != 0) return primary < 0;
  return item_order_detail::CompareBytes(a.NameKey(), b.NameKey()) < 0;
}
