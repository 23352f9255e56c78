// Puts the children of every folder in display order and marks them, without recursion.
#include "order/sort_tree.h"

#include <algorithm>
#include <vector>

#include "common/app_options.h"
#include "common/item_order.h"
#include "order/mark_last.h"

namespace {

using ItemIterator = std::vector<TreeItem*>::iterator;

// The most entries of a group sorted by their numbers drawn out: 32 bytes each, and as many
// again for the sort's own room, where a larger group (a folder of millions of files) is sorted
// by its pointers alone and costs no memory beyond them.
constexpr size_t kMostNumberKeyed = 65536;

// The primary key of an order by size or time, read once for each entry.
ByteSum NumberKey(const TreeItem& item, int32_t sort_key) {
  return sort_key == SortBySize ? item_order_detail::SizeKey(item) : FileTimeValue(item.WriteTime);
}

// KeyLess of an order by size or time: the numbers drawn out beside the entries once, so that a
// comparison follows the two entries into the tree only where their numbers are equal.
void SortByNumber(ItemIterator begin, ItemIterator end, const AppOptions& options,
                  std::vector<NumberKeyed>& keyed) {
  keyed.clear();
  for (ItemIterator it = begin; it != end; ++it) {
    keyed.push_back({NumberKey(**it, options.SortKey), *it});
  }
  const auto less = [](const NumberKeyed& a, const NumberKeyed& b) {
    if (a.key != b.key) return a.key < b.key;
    return item_order_detail::CompareBytes(a.item->NameKey(), b.item->NameKey()) < 0;
  };
  if (std::is_sorted(keyed.begin(), keyed.end(), less)) return;
  std::stable_sort(keyed.begin(), keyed.end(), less);
  for (const NumberKeyed& entry : keyed) *begin++ = entry.item;
}

// Ascending key order, equal keys in their earlier order; descending is the exact reverse of
// that, equal keys included, so the group is sorted ascending with KeyLess and then reversed.
// A descending predicate would keep equal keys in their earlier order, and a negated KeyLess
// holds both ways for equal keys, which no library sort may be handed.
void SortGroup(ItemIterator begin, ItemIterator end, const AppOptions& options,
               std::vector<NumberKeyed>& keyed) {
  const bool is_by_number = options.SortKey == SortBySize || options.SortKey == SortByTime;
  if (is_by_number && static_cast<size_t>(end - begin) <= kMostNumberKeyed) {
    SortByNumber(begin, end, options, keyed);
  } else {
    auto less = [&options](const TreeItem* a, const TreeItem* b) {
      return KeyLess(*a, *b, options.SortKey);
    };
    // A group already in order (the usual case without a sort key) needs no sort at all.
    if (!std::is_sorted(begin, end, less)) std::stable_sort(begin, end, less);
  }
  if (!options.Ascending) std::reverse(begin, end);
}

// Collects `folder`'s children into `items`: the kind that comes first, then the other kind,
// each in its present order. Returns where the second group starts.
size_t CollectByKind(const TreeItem& folder, bool files_first, std::vector<TreeItem*>& items) {
  items.clear();
  for (TreeItem* child = folder.Children.First; child; child = child->NextSibling) {
    if (child->IsFolder != files_first) items.push_back(child);
  }
  size_t second_group = items.size();
  for (TreeItem* child = folder.Children.First; child; child = child->NextSibling) {
    if (child->IsFolder == files_first) items.push_back(child);
  }
  return second_group;
}

// Rebuilds `folder`'s intrusive list in the order of `items`.
void Relink(TreeItem& folder, const std::vector<TreeItem*>& items) {
  for (size_t i = 0; i + 1 < items.size(); ++i) items[i]->NextSibling = items[i + 1];
  items.back()->NextSibling = nullptr;
  folder.Children.First = items.front();
}

void SortChildren(TreeItem& folder, const AppOptions& options, SortRoom& room) {
  if (!folder.Children.First || !folder.Children.First->NextSibling) return;
  std::vector<TreeItem*>& items = room.items;
  size_t second_group = CollectByKind(folder, options.FilesFirst, items);
  SortGroup(items.begin(), items.begin() + second_group, options, room.keyed);
  SortGroup(items.begin() + second_group, items.end(), options, room.keyed);
  Relink(folder, items);
}

}  // namespace

void SortAndMarkChildren(const AppOptions& options, TreeItem& folder, SortRoom& room) {
  SortChildren(folder, options, room);
  MarkLastChildren(folder);
}

void SortAndMarkTree(const AppOptions& options, TreeItem& root) {
  SortRoom room;                   // reused for every folder
  std::vector<TreeItem*> pending;  // folders still to sort; an explicit stack for deep trees
  pending.push_back(&root);
  while (!pending.empty()) {
    TreeItem* folder = pending.back();
    pending.pop_back();
    SortAndMarkChildren(options, *folder, room);
    for (TreeItem* child = folder->Children.First; child; child = child->NextSibling) {
      if (child->IsFolder) pending.push_back(child);
    }
  }
}
