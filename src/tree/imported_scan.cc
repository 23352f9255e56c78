// The kept part of a saved scan: records written whole into blocks and read back by copy, since
// a record lies at any byte offset.
#include "tree/imported_scan.h"

#include <algorithm>
#include <cstring>

namespace {

// As large as the tree store's blocks, so that a block freed by the walk is one the chart's
// entries can take.
constexpr uint32_t kBlockSize = 256 * 1024;

uint64_t MakePosition(size_t block, uint32_t offset) {
  return (static_cast<uint64_t>(block) << 32) | offset;
}

size_t BlockOf(uint64_t position) { return static_cast<size_t>(position >> 32); }
uint32_t OffsetOf(uint64_t position) { return static_cast<uint32_t>(position); }

uint32_t RecordLength(const ImportedItem& item) {
  const size_t tail = item.IsFolder ? sizeof(ImportedFolderTail) : 0;
  return static_cast<uint32_t>(sizeof(ImportedItem) + tail + item.NameLength);
}

}  // namespace

uint64_t ImportedScanEnd(const ImportedScan& scan) {
  if (scan.Blocks.empty()) return 0;
  return MakePosition(scan.Blocks.size() - 1, scan.Blocks.back().Used);
}

uint64_t AppendImportedRecord(ImportedScan& scan, const ImportedItem& item, std::string_view name) {
  ImportedItem kept = item;
  kept.NameLength = static_cast<uint32_t>(name.size());
  const uint32_t length = RecordLength(kept);
  if (scan.Blocks.empty() || scan.Blocks.back().Size - scan.Blocks.back().Used < length) {
    // A record never spans two blocks; a longer one than a block has one of its own.
    ImportedBlock block;
    block.Size = std::max(kBlockSize, length);
    block.Bytes = std::make_unique_for_overwrite<char[]>(block.Size);
    scan.Blocks.push_back(std::move(block));
  }
  ImportedBlock& block = scan.Blocks.back();
  const uint64_t position = MakePosition(scan.Blocks.size() - 1, block.Used);
  char* bytes = block.Bytes.get() + block.Used;
  std::memcpy(bytes, &kept, sizeof(kept));
  bytes += sizeof(kept);
  if (kept.IsFolder) {
    const ImportedFolderTail tail{position + length, 0};
    std::memcpy(bytes, &tail, sizeof(tail));
    bytes += sizeof(tail);
  }
  if (!name.empty()) std::memcpy(bytes, name.data(), name.size());
  block.Used += length;
  block.LiveBytes += length;
  return position;
}

void FinishImportedFolder(ImportedScan& scan, uint64_t position, bool has_children,
                          const ImportedFolderTail& tail) {
  char* bytes = scan.Blocks[BlockOf(position)].Bytes.get() + OffsetOf(position);
  ImportedItem item;
  std::memcpy(&item, bytes, sizeof(item));
  item.HasChildren = has_children;
  std::memcpy(bytes, &item, sizeof(item));
  std::memcpy(bytes + sizeof(item), &tail, sizeof(tail));
}

ImportedRecord ReadImportedRecord(const ImportedScan& scan, uint64_t position) {
  // A position at the end of a block's records stands for the start of the next block.
  size_t block_index = BlockOf(position);
  uint32_t offset = OffsetOf(position);
  while (offset >= scan.Blocks[block_index].Used && block_index + 1 < scan.Blocks.size()) {
    ++block_index;
    offset = 0;
  }
  const char* bytes = scan.Blocks[block_index].Bytes.get() + offset;
  ImportedRecord record;
  std::memcpy(&record.Item, bytes, sizeof(record.Item));
  bytes += sizeof(record.Item);
  if (record.Item.IsFolder) {
    std::memcpy(&record.Tail, bytes, sizeof(record.Tail));
    bytes += sizeof(record.Tail);
  }
  record.Name = std::string_view(bytes, record.Item.NameLength);
  record.Position = MakePosition(block_index, offset);
  record.Length = RecordLength(record.Item);
  record.Next = record.Position + record.Length;
  return record;
}

void ReleaseImportedRecord(ImportedScan& scan, const ImportedRecord& record) {
  ImportedBlock& block = scan.Blocks[BlockOf(record.Position)];
  block.LiveBytes -= record.Length;
  if (block.LiveBytes == 0) block.Bytes.reset();
}
