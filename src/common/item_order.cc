// The order of two siblings: the kind groups them, the sort key orders each group.
#include "common/item_order.h"

#include <cstring>
#include <string_view>

namespace {

// Byte-wise comparison of code page 932 keys: bytes compare as unsigned values, so a
// double-byte character compares by its lead byte first; a prefix is less than the longer text.
int CompareBytes(std::string_view a, std::string_view b) {
  size_t common = a.size() < b.size() ? a.size() : b.size();
  int result = common ? std::memcmp(a.data(), b.data(), common) : 0;
  if (result != 0) return result;
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

// Size order: a folder by the bytes of its whole subtree, a file by its own size.
uint32_t SizeKey(const TreeItem& item) { return item.IsFolder ? item.TotalBytes : item.Size; }

// Negative, zero or positive as the primary key of `a` is less than, equal to or greater
// than that of `b`; SortByName has no primary key besides the name itself.
int ComparePrimary(const TreeItem& a, const TreeItem& b, int32_t sort_key) {
  switch (sort_key) {
    case SortByExt:
      return CompareBytes(a.ExtKey(), b.ExtKey());
    case SortBySize: {
      uint32_t size_a = SizeKey(a);
      uint32_t size_b = SizeKey(b);
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

}  // namespace

bool KeyLess(const TreeItem& a, const TreeItem& b, int32_t sort_key) {
  if (sort_key == NoSort || sort_key < NoSort || sort_key > SortByTime) {
    // Creation order; sequence numbers are unique, so no tie-break is needed.
    return a.SequenceNo < b.SequenceNo;
  }
  // Every key but the name falls back to the name when it is equal. Names equal but for
  // letter case are fully equal keys; the stable sort keeps them in their earlier order.
  int primary = ComparePrimary(a, b, sort_key);
  if (primary != 0) return primary < 0;
  return CompareBytes(a.NameKey(), b.NameKey()) < 0;
}

bool ItemPrecedes(const TreeItem& a, const TreeItem& b, const AppOptions& options) {
  if (a.IsFolder != b.IsFolder) {
    // The grouping by kind holds in both directions.
    return options.FilesFirst ? !a.IsFolder : a.IsFolder;
  }
  bool less = KeyLess(a, b, options.SortKey);
  return options.Ascending ? less : !less;
}
