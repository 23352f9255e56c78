// Construction of entries, the bump store that holds them, and the release of a tree.
#include "common/tree_item.h"

#include <cstring>
#include <new>

int32_t g_nextSequenceNo = 100;

namespace {
// Large enough that a million entries take a few hundred blocks.
constexpr size_t kBlockSize = 256 * 1024;
}  // namespace

TreeItem::TreeItem(int32_t level) : Level(level), SequenceNo(g_nextSequenceNo++) {}

void AppendChild(TreeItem& parent, TreeItem* child) {
  child->NextSibling = nullptr;
  if (parent.Children.Last) {
    parent.Children.Last->NextSibling = child;
  } else {
    parent.Children.First = child;
  }
  parent.Children.Last = child;
}

void* TreeStore::Allocate(size_t size, size_t alignment) {
  size_t padding = reinterpret_cast<uintptr_t>(next_) % alignment;
  if (padding) padding = alignment - padding;
  if (left_ < size + padding) {
    size_t block_size = size + alignment > kBlockSize ? size + alignment : kBlockSize;
    blocks_.push_back(std::make_unique<char[]>(block_size));
    next_ = blocks_.back().get();
    left_ = block_size;
    padding = reinterpret_cast<uintptr_t>(next_) % alignment;
    if (padding) padding = alignment - padding;
  }
  char* result = next_ + padding;
  next_ = result + size;
  left_ -= size + padding;
  return result;
}

TreeItem* TreeStore::NewItem(int32_t level) {
  return new (Allocate(sizeof(TreeItem), alignof(TreeItem))) TreeItem(level);
}

const char* TreeStore::SaveText(std::string_view text) {
  char* copy = static_cast<char*>(Allocate(text.size() + 1, 1));
  if (!text.empty()) std::memcpy(copy, text.data(), text.size());
  copy[text.size()] = 0;
  return copy;
}

void TreeStore::Clear() {
  // TreeItem holds nothing that needs a destructor, so the blocks are simply freed.
  blocks_.clear();
  next_ = nullptr;
  left_ = 0;
}

void SetItemName(TreeStore& store, TreeItem& item, std::string_view name) {
  item.NameBytes = store.SaveText(name);
  item.NameLength = static_cast<uint16_t>(name.size());
  item.NameKeyBytes = nullptr;
  item.ExtKeyStart = item.NameLength;
}

void ReleaseTree(TreeItem& root, TreeStore& store) {
  root.Children = ChildList{};
  store.Clear();
}
