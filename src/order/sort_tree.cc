// Puts the children of every folder in display order and marks them, without recursion.
#include "order/sort_tree.h"

#include <algorithm>
#include <vector>

#include "common/app_options.h"
#include "common/item_order.h"
#include "order/mark_last.h"

namespace {

using ItemIterator = std::vector<TreeItem*>::iterator;

// Ascending key order, equal keys in their earlier order; descending is the exact reverse of
// that, equal keys included, so the group is sorted ascending with KeyLess and then reversed.
// A descending predicate would keep equal keys in their earlier order, and a negated KeyLess
// holds both ways for equal keys, which no library sort may be handed.
void SortGroup(ItemIterator begin, ItemIterator end, const AppOptions& options) {
  auto less = [&options](const TreeItem* a, const TreeItem* b) {
    return KeyLess(*a, *b, options.SortKey);
  };
  // A group already in order (the usual case without a sort key) needs no sort at all.
  if (!std::is_sorted(begin, end, less)) std::stable_sort(begin, end, less);
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

void SortChildren(TreeItem& folder, const AppOptions& options, std::vector<TreeItem*>& items) {
  if (!folder.Children.First || !folder.Children.First->NextSibling) return;
  size_t second_group = CollectByKind(folder, options.FilesFirst, items);
  SortGroup(items.begin(), items.begin() + second_group, options);
  SortGroup(items.begin() + second_group, items.end(), options);
  Relink(folder, items);
}

}  // namespace

void SortAndMarkChildren(const AppOptions& options, TreeItem& folder,
                         std::vector<TreeItem*>& items) {
  SortChildren(folder, options, items);
  MarkLastChildren(folder);
}

void SortAndMarkTree(const AppOptions& options, TreeItem& root) {
  std::vector<TreeItem*> items;    // reused for every folder
  std::vector<TreeItem*> pending;  // folders still to sort; an explicit stack for deep trees
  pending.push_back(&root);
  while (!pending.empty()) {
    TreeItem* folder = pending.back();
    pending.pop_back();
    SortAndMarkChildren(options, *folder, items);
    for (TreeItem* child = folder->Children.First; child; child = child->NextSibling) {
      if (child->IsFolder) pending.push_back(child);
    }
  }
}
