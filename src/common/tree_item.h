// One folder or file of the charted tree, and the store that owns every entry below the root.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

// A file time (100 ns units since 1601-01-01) in two halves, low half first; compared high first.
struct FileTime {
  uint32_t Low = 0;
  uint32_t High = 0;
};

inline uint64_t FileTimeValue(FileTime time) {
  return (static_cast<uint64_t>(time.High) << 32) | time.Low;
}

inline FileTime MakeFileTime(uint64_t value) {
  return FileTime{static_cast<uint32_t>(value), static_cast<uint32_t>(value >> 32)};
}

struct TreeItem;

// A folder's children in order: an intrusive list linked through TreeItem::NextSibling.
struct ChildList {
  TreeItem* First = nullptr;
  TreeItem* Last = nullptr;
};

// The creation counter: the next entry's SequenceNo. Starts at 100 and is never reset in a run.
extern int32_t g_nextSequenceNo;

struct TreeItem {
  // Takes the next sequence number; NameWidth is left for the aggregation.
  explicit TreeItem(int32_t level);

  bool IsFolder = false;
  bool IsLast = false;
  int32_t Level;
  uint32_t Size = 0;
  FileTime WriteTime;
  uint32_t FileCount = 0;
  uint32_t TotalFiles = 0;
  uint32_t TotalBytes = 0;
  ChildList Children;
  TreeItem* NextSibling = nullptr;
  int32_t NameWidth;
  int32_t SequenceNo;

  // The texts are byte strings (code page 932) kept by the tree's store, not by the entry.
  // NameKey is Name lower-cased (same length); ExtKey is the tail of NameKey from ExtKeyStart.
  const char* NameBytes = "";
  const char* NameKeyBytes = nullptr;  // null: no sort keys were made
  uint16_t NameLength = 0;
  uint16_t ExtKeyStart = 0;

  std::string_view Name() const { return {NameBytes, NameLength}; }
  std::string_view NameKey() const {
    return NameKeyBytes ? std::string_view(NameKeyBytes, NameLength) : std::string_view();
  }
  std::string_view ExtKey() const {
    return NameKeyBytes ? std::string_view(NameKeyBytes + ExtKeyStart, NameLength - ExtKeyStart)
                        : std::string_view();
  }
};

// Appends `child` at the end of `parent`'s children; the parent's tree owns it from then on.
void AppendChild(TreeItem& parent, TreeItem* child);

// Owns the storage of every entry below the root and of every entry's texts. Entries are
// released all at once with the store; the root lives in the run driver's own storage.
class TreeStore {
 public:
  TreeStore() = default;
  TreeStore(const TreeStore&) = delete;
  TreeStore& operator=(const TreeStore&) = delete;

  // Constructs an entry at `level` with the next sequence number.
  TreeItem* NewItem(int32_t level);
  // Keeps a copy of `text` for as long as the store lives; the copy is followed by a zero.
  const char* SaveText(std::string_view text);
  // Frees every entry and text.
  void Clear();

 private:
  void* Allocate(size_t size, size_t alignment);

  std::vector<std::unique_ptr<char[]>> blocks_;
  char* next_ = nullptr;
  size_t left_ = 0;
};

// Gives `item` a new name (kept in `store`) and drops its sort keys.
void SetItemName(TreeStore& store, TreeItem& item, std::string_view name);

// Releases the whole tree below `root`: its children list is emptied and the store cleared.
void ReleaseTree(TreeItem& root, TreeStore& store);
