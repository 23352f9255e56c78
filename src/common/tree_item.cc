// Construction of entries, the bump store that holds them, and the release of a tree.
#include "common/tree_item.h"

#include <cstring>
#include <new>

namespace {
// Entries lie back to back: at 80 bytes, aligning each to a cache line would cost 48 bytes of
// padding per entry, and the passes read the entries in the order they lie anyway.
constexpr size_t kItemAlignment = alignof(TreeItem);
}  // namespace

static_assert(sizeof(void*) != 8 || sizeof(TreeItem) == 80, "TreeItem grew past 80 bytes");

void AppendChildAfter(TreeItem& parent, TreeItem* last, TreeItem* child) {
  child->NextSibling = nullptr;
  if (last) {
    last->NextSibling = child;
  } else {
    parent.Children.First = child;
  }
}

TreeItem* LastChild(const TreeItem& folder) {
  TreeItem* last = folder.Children.First;
  while (last && last->NextSibling) last = last->NextSibling;
  return last;
}

void AppendChild(TreeItem& parent, TreeItem* child) {
  AppendChildAfter(parent, LastChild(parent), child);
}

void* TreeStore::Allocate(Arena& arena, size_t size, size_t alignment) {
  size_t padding = reinterpret_cast<uintptr_t>(arena.next) % alignment;
  if (padding) padding = alignment - padding;
  if (arena.left < size + padding) {
    size_t block_size = size + alignment > next_block_size_ ? size + alignment : next_block_size_;
    if (next_block_size_ < kBlockSize) next_block_size_ *= 2;
    if (!spare_blocks_.empty() && spare_blocks_.back().Size >= size + alignment) {
      block_size = spare_blocks_.back().Size;
      blocks_.push_back(std::move(spare_blocks_.back().Bytes));
      spare_blocks_.pop_back();
    } else {
      blocks_.push_back(std::make_unique_for_overwrite<char[]>(block_size));  // no zero fill
    }
    arena.next = blocks_.back().get();
    arena.left = block_size;
    padding = reinterpret_cast<uintptr_t>(arena.next) % alignment;
    if (padding) padding = alignment - padding;
  }
  char* result = arena.next + padding;
  arena.next = result + size;
  arena.left -= size + padding;
  return result;
}

TreeItem* TreeStore::NewItem(int32_t level) {
  return new (Allocate(items_, sizeof(TreeItem), kItemAlignment))
      TreeItem(level, next_sequence_no_++);
}

const char* TreeStore::SaveText(std::string_view text) {
  char* copy = static_cast<char*>(Allocate(texts_, text.size(), 1));
  if (!text.empty()) std::memcpy(copy, text.data(), text.size());
  return copy;
}

const char* TreeStore::SaveTextPair(std::string_view first, std::string_view second) {
  char* copy = static_cast<char*>(Allocate(texts_, first.size() + second.size(), 1));
  if (!first.empty()) std::memcpy(copy, first.data(), first.size());
  if (!second.empty()) std::memcpy(copy + first.size(), second.data(), second.size());
  return copy;
}

void TreeStore::AdoptBlock(std::unique_ptr<char[]> block, size_t size) {
  spare_blocks_.push_back(SpareBlock{std::move(block), size});
}

void TreeStore::Clear() {
  // TreeItem holds nothing that needs a destructor, so the blocks are simply freed.
  blocks_.clear();
  spare_blocks_.clear();
  items_ = Arena{};
  texts_ = Arena{};
}

void SetItemName(TreeStore& store, TreeItem& item, std::string_view name) {
  item.NameBytes = store.SaveText(name);
  item.NameLength = static_cast<uint16_t>(name.size());
  item.ExtKeyStart = item.NameLength;
  item.HasSortKeys = false;
  item.IsKeyAfterName = false;
}

void SetItemNameAndKeys(TreeStore& store, TreeItem& item, std::string_view name,
                        std::string_view key, size_t ext_start) {
  item.IsKeyAfterName = key != name;
  item.NameBytes = item.IsKeyAfterName ? store.SaveTextPair(name, key) : store.SaveText(name);
  item.NameLength = static_cast<uint16_t>(name.size());
  item.ExtKeyStart = static_cast<uint16_t>(ext_start);
  item.HasSortKeys = true;
}

void ReleaseTree(TreeItem& root, TreeStore& store) {
  root.Children = ChildList{};
  store.Clear();
}
