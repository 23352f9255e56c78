// One folder or file of the charted tree, and the store that owns every entry below the root.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "common/byte_sum.h"

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

// What an entry is, as far as the colour of its name goes. Files and folders are told apart by
// IsFolder as well; a walk that was not asked for kinds leaves every entry KindPlain.
enum EntryKind : uint8_t {
  KindPlain = 0,   // a regular file, or a folder where IsFolder says so
  KindFolder,      // a folder
  KindLink,        // a symbolic link (or a Windows link or junction) that leads somewhere
  KindOrphanLink,  // a link that leads nowhere
  KindExecutable,  // a regular file someone may run
  KindSetUid,      // an executable that runs as its owner
  KindSetGid,      // one that runs as its group
  KindFifo,
  KindSocket,
  KindBlockDevice,
  KindCharDevice,
  KindStickyFolder,               // a folder whose entries only their owners may remove
  KindOtherWritableFolder,        // a folder everyone may write to
  KindStickyOtherWritableFolder,  // both
  kEntryKindCount,
};

struct TreeItem;

// A folder's children in order: an intrusive list linked through TreeItem::NextSibling. It keeps
// no tail, which would cost every entry 8 bytes; whoever appends many children keeps its own.
struct ChildList {
  TreeItem* First = nullptr;
};

// 80 bytes on 64-bit systems: a million entries cost 80 MB besides their names. The fields are
// ordered so that none needs padding. A file's size is a 64-bit number; a folder's byte sums are
// 96 bits wide, a 64-bit low part and a 32-bit high word each, read and written whole through
// OwnBytes and CumulativeBytes; counts are 32-bit.
struct TreeItem {
  // Every other field starts empty or 0. The store hands out the sequence numbers.
  TreeItem(int32_t level, int32_t sequence_no) : Level(level), SequenceNo(sequence_no) {}

  ChildList Children;
  TreeItem* NextSibling = nullptr;
  // The texts are byte strings (code page 932) kept by the tree's store, not by the entry.
  // NameKey is Name lower-cased (same length): Name itself when lower-casing changes nothing,
  // else the text that follows Name in the store. ExtKey is the tail of NameKey
  // from ExtKeyStart.
  const char* NameBytes = "";
  FileTime WriteTime;
  uint64_t Size = 0;  // a file's size; a folder's: the low 64 bits of the sum of its own files
  uint64_t TotalBytes = 0;  // a folder's: the low 64 bits of the sum of every file below it
  uint32_t FileCount = 0;
  uint32_t TotalFiles = 0;
  // A folder's: the bits of its two sums above the low 64. Up to 2^32 files of up to 2^64 - 1
  // bytes sum to less than 2^96, so 32 bits hold them. Files leave them 0: every entry takes
  // one slot of the same size in the store, and these 8 bytes are the cheapest way to 96 bits
  // that leaves the other fields as they are.
  uint32_t SizeHigh = 0;
  uint32_t TotalBytesHigh = 0;
  int32_t Level;
  int32_t SequenceNo;
  uint16_t NameLength = 0;
  uint16_t ExtKeyStart = 0;
  // A file's: the blanks after its name that bring it to the width of the longest file name in
  // its folder, so that the size and time columns line up. 0 until the chart's column widths
  // are set (output/column_widths); a name's width, so 16 bits hold it.
  uint16_t NameFill = 0;
  // A file's: the width of its folder's size column in bytes, 13 or the length of a longer size
  // text of the folder. 0 until the column widths are set; the longest text of a 64-bit value
  // is 26 bytes.
  uint8_t SizeColumnWidth = 0;
  bool IsFolder : 1 = false;
  bool IsLast : 1 = false;
  bool HasSortKeys : 1 = false;
  bool IsKeyAfterName : 1 = false;
  uint8_t Kind : 4 = KindPlain;  // an EntryKind, in the bits left of the flags' byte

  std::string_view Name() const { return {NameBytes, NameLength}; }
  // A folder's byte sum of its own files, and of every file below it, whole.
  ByteSum OwnBytes() const { return JoinSum(Size, SizeHigh); }
  ByteSum CumulativeBytes() const { return JoinSum(TotalBytes, TotalBytesHigh); }
  void SetOwnBytes(ByteSum bytes) { SplitSum(bytes, Size, SizeHigh); }
  void SetCumulativeBytes(ByteSum bytes) { SplitSum(bytes, TotalBytes, TotalBytesHigh); }
  std::string_view NameKey() const {
    return HasSortKeys ? std::string_view(KeyBytes(), NameLength) : std::string_view();
  }
  std::string_view ExtKey() const {
    return HasSortKeys ? std::string_view(KeyBytes() + ExtKeyStart, NameLength - ExtKeyStart)
                       : std::string_view();
  }

 private:
  static ByteSum JoinSum(uint64_t low, uint32_t high) {
    return (static_cast<ByteSum>(high) << 64) | low;
  }
  // Keeps the low 96 bits: all a sum of 32-bit counts of files can use.
  static void SplitSum(ByteSum bytes, uint64_t& low, uint32_t& high) {
    low = static_cast<uint64_t>(bytes);
    high = static_cast<uint32_t>(bytes >> 64);
  }
  const char* KeyBytes() const { return IsKeyAfterName ? NameBytes + NameLength : NameBytes; }
};

// Appends `child` at the end of `parent`'s children; the parent's tree owns it from then on.
// Walks the list to find its end, so it is for short lists; the scan uses AppendChildAfter.
void AppendChild(TreeItem& parent, TreeItem* child);
// Appends `child` after `last`, which is `parent`'s last child or null when it has none.
void AppendChildAfter(TreeItem& parent, TreeItem* last, TreeItem* child);
// The last of `folder`'s children (null when it has none), found by walking the list.
TreeItem* LastChild(const TreeItem& folder);

// Owns the storage of every entry below the root and of every entry's texts, and numbers the
// entries in creation order. Entries are released all at once with the store; the root lives in
// the run driver's own storage.
// Entries and texts fill separate blocks: entries then lie side by side in creation order,
// which the passes over a large tree read far faster than entries scattered between names.
class TreeStore {
 public:
  // The first sequence number of a tree, its root's.
  static constexpr int32_t kFirstSequenceNo = 100;

  // The size of the blocks entries and texts fill; a large tree takes a few hundred of them.
  static constexpr size_t kBlockSize = 256 * 1024;

  TreeStore() = default;
  // A store for a few entries, such as one folder's children in a chart written as the walk
  // goes: its blocks start at `first_block_size` bytes and double up to kBlockSize, so a folder
  // of three entries does not take two whole blocks.
  explicit TreeStore(size_t first_block_size) : next_block_size_(first_block_size) {}
  TreeStore(const TreeStore&) = delete;
  TreeStore& operator=(const TreeStore&) = delete;

  // The root of the tree: level 0 with the next sequence number, the first when made before any
  // other entry, as it should be. Returned by value: the caller keeps it.
  TreeItem MakeRoot() { return TreeItem(0, next_sequence_no_++); }
  // Constructs an entry at `level` with the next sequence number.
  TreeItem* NewItem(int32_t level);
  // The number the next entry will take. Never reset: Clear frees the entries, not their order.
  int32_t NextSequenceNo() const { return next_sequence_no_; }
  // Keeps a copy of `text` for as long as the store lives. No zero follows it: texts are read
  // with their lengths, and a million names spare a megabyte of zeros.
  const char* SaveText(std::string_view text);
  // Keeps `first` and `second` one after the other; returns the first copy.
  const char* SaveTextPair(std::string_view first, std::string_view second);
  // Takes `block`, of `size` bytes, to fill before making a new one: memory another part of the
  // run no longer needs (a saved scan's records once walked), so that the tree grows into it.
  void AdoptBlock(std::unique_ptr<char[]> block, size_t size);
  // Frees every entry and text.
  void Clear();

 private:
  // One run of blocks filled front to back.
  struct Arena {
    char* next = nullptr;
    size_t left = 0;
  };
  void* Allocate(Arena& arena, size_t size, size_t alignment);

  struct SpareBlock {
    std::unique_ptr<char[]> Bytes;
    size_t Size;
  };

  std::vector<std::unique_ptr<char[]>> blocks_;
  std::vector<SpareBlock> spare_blocks_;
  Arena items_;
  Arena texts_;
  size_t next_block_size_ = kBlockSize;
  int32_t next_sequence_no_ = kFirstSequenceNo;
};

// Gives `item` a new name (kept in `store`) and drops its sort keys.
void SetItemName(TreeStore& store, TreeItem& item, std::string_view name);
// Gives `item` a new name and its sort keys: `key` is `name` lower-cased (the same length) and
// `ext_start` the position of the extension in it. A key equal to the name costs nothing.
void SetItemNameAndKeys(TreeStore& store, TreeItem& item, std::string_view name,
                        std::string_view key, size_t ext_start);

// Releases the whole tree below `root`: its children list is emptied and the store cleared.
void ReleaseTree(TreeItem& root, TreeStore& store);
