// The kept part of a saved scan. A record: a byte of flags, a byte telling which numbers follow,
// a folder's tail (fixed, as it is written once the folder's items are read), the numbers as
// variable-length integers (7 bits a byte, the low ones first), the name's length and the name.
#include "tree/imported_scan.h"

#include <algorithm>
#include <cstring>

namespace {

// Small, so that few records hold a block back while the walk is elsewhere; the chart's store
// takes the freed ones (ReleaseImportedRecord), whatever their size.
constexpr uint32_t kBlockSize = 4 * 1024;
constexpr size_t kTailBytes = 12;
// The longest record apart from its name: two bytes, a tail, five 64-bit numbers, a length.
constexpr size_t kMostFixedBytes = 2 + kTailBytes + 5 * 10 + 5;

enum FlagBit : uint8_t {
  kIsFolder = 1,
  kHasChildren = 2,
  kHasTime = 4,
  kHasOtherNames = 8,
  kHasReadError = 16,
  kIsExcluded = 32,
  kIsNotEntered = 64,
};

enum NumberBit : uint8_t {
  kApparent = 1,
  kDisk = 2,
  kDevice = 4,
  kInode = 8,
  kTime = 16,
};

uint64_t MakePosition(size_t block, uint32_t offset) {
  return (static_cast<uint64_t>(block) << 32) | offset;
}

size_t BlockOf(uint64_t position) { return static_cast<size_t>(position >> 32); }
uint32_t OffsetOf(uint64_t position) { return static_cast<uint32_t>(position); }

uint8_t FlagsOf(const ImportedItem& item) {
  return (item.IsFolder ? kIsFolder : 0) | (item.HasChildren ? kHasChildren : 0) |
         (item.HasTime ? kHasTime : 0) | (item.HasOtherNames ? kHasOtherNames : 0) |
         (item.HasReadError ? kHasReadError : 0) | (item.IsExcluded ? kIsExcluded : 0) |
         (item.IsNotEntered ? kIsNotEntered : 0);
}

void SetFlags(uint8_t flags, ImportedItem& item) {
  item.IsFolder = (flags & kIsFolder) != 0;
  item.HasChildren = (flags & kHasChildren) != 0;
  item.HasTime = (flags & kHasTime) != 0;
  item.HasOtherNames = (flags & kHasOtherNames) != 0;
  item.HasReadError = (flags & kHasReadError) != 0;
  item.IsExcluded = (flags & kIsExcluded) != 0;
  item.IsNotEntered = (flags & kIsNotEntered) != 0;
}

char* PutNumber(char* bytes, uint64_t value) {
  while (value >= 0x80) {
    *bytes++ = static_cast<char>((value & 0x7f) | 0x80);
    value >>= 7;
  }
  *bytes++ = static_cast<char>(value);
  return bytes;
}

const char* GetNumber(const char* bytes, uint64_t& value) {
  value = 0;
  for (int shift = 0;; shift += 7) {
    const uint8_t byte = static_cast<uint8_t>(*bytes++);
    value |= static_cast<uint64_t>(byte & 0x7f) << shift;
    if ((byte & 0x80) == 0) return bytes;
  }
}

// Writes the record of `item` (its name apart) into `bytes`; returns where the name goes.
char* PutRecord(char* bytes, const ImportedItem& item, uint64_t position, uint64_t folder_device) {
  const bool has_own_device = item.Device != folder_device;
  const uint8_t numbers = (item.ApparentBytes != 0 ? kApparent : 0) |
                          (item.DiskBytes != 0 ? kDisk : 0) | (has_own_device ? kDevice : 0) |
                          (item.Inode != 0 ? kInode : 0) | (item.HasTime ? kTime : 0);
  *bytes++ = static_cast<char>(FlagsOf(item));
  *bytes++ = static_cast<char>(numbers);
  char* tail = bytes;
  if (item.IsFolder) bytes += kTailBytes;
  if (numbers & kApparent) bytes = PutNumber(bytes, item.ApparentBytes);
  if (numbers & kDisk) bytes = PutNumber(bytes, item.DiskBytes);
  if (numbers & kDevice) bytes = PutNumber(bytes, item.Device);
  if (numbers & kInode) bytes = PutNumber(bytes, item.Inode);
  if (numbers & kTime) bytes = PutNumber(bytes, static_cast<uint64_t>(item.WriteSeconds));
  bytes = PutNumber(bytes, item.NameLength);
  if (item.IsFolder) {
    // Until its items are read, a folder ends right after its own record.
    const uint64_t end = position + static_cast<uint64_t>(bytes - (tail - 2)) + item.NameLength;
    const uint32_t left_out = 0;
    std::memcpy(tail, &end, sizeof(end));
    std::memcpy(tail + sizeof(end), &left_out, sizeof(left_out));
  }
  return bytes;
}

}  // namespace

uint64_t ImportedScanEnd(const ImportedScan& scan) {
  if (scan.Blocks.empty()) return 0;
  return MakePosition(scan.Blocks.size() - 1, scan.Blocks.back().Used);
}

uint64_t AppendImportedRecord(ImportedScan& scan, const ImportedItem& item, std::string_view name,
                              uint64_t folder_device) {
  ImportedItem kept = item;
  kept.NameLength = static_cast<uint32_t>(name.size());
  const size_t most = kMostFixedBytes + name.size();
  if (scan.Blocks.empty() || scan.Blocks.back().Size - scan.Blocks.back().Used < most) {
    // A record never spans two blocks; a longer one than a block has one of its own.
    ImportedBlock block;
    block.Size = static_cast<uint32_t>(std::max<size_t>(kBlockSize, most));
    block.Bytes = std::make_unique_for_overwrite<char[]>(block.Size);
    scan.Blocks.push_back(std::move(block));
  }
  ImportedBlock& block = scan.Blocks.back();
  const uint64_t position = MakePosition(scan.Blocks.size() - 1, block.Used);
  char* start = block.Bytes.get() + block.Used;
  char* bytes = PutRecord(start, kept, position, folder_device);
  if (!name.empty()) std::memcpy(bytes, name.data(), name.size());
  const uint32_t length = static_cast<uint32_t>(bytes - start + name.size());
  block.Used += length;
  block.LiveBytes += length;
  return position;
}

void FinishImportedFolder(ImportedScan& scan, uint64_t position, bool has_children,
                          const ImportedFolderTail& tail) {
  char* bytes = scan.Blocks[BlockOf(position)].Bytes.get() + OffsetOf(position);
  if (has_children) bytes[0] = static_cast<char>(bytes[0] | kHasChildren);
  std::memcpy(bytes + 2, &tail.SubtreeEnd, sizeof(tail.SubtreeEnd));
  std::memcpy(bytes + 2 + sizeof(tail.SubtreeEnd), &tail.LeftOutFiles, sizeof(tail.LeftOutFiles));
}

ImportedRecord ReadImportedRecord(const ImportedScan& scan, uint64_t position,
                                  uint64_t folder_device) {
  // A position at the end of a block's records stands for the start of the next block.
  size_t block_index = BlockOf(position);
  uint32_t offset = OffsetOf(position);
  while (offset >= scan.Blocks[block_index].Used && block_index + 1 < scan.Blocks.size()) {
    ++block_index;
    offset = 0;
  }
  const char* start = scan.Blocks[block_index].Bytes.get() + offset;
  const char* bytes = start;
  ImportedRecord record;
  ImportedItem& item = record.Item;
  SetFlags(static_cast<uint8_t>(*bytes++), item);
  const uint8_t numbers = static_cast<uint8_t>(*bytes++);
  if (item.IsFolder) {
    std::memcpy(&record.Tail.SubtreeEnd, bytes, sizeof(record.Tail.SubtreeEnd));
    std::memcpy(&record.Tail.LeftOutFiles, bytes + sizeof(record.Tail.SubtreeEnd),
                sizeof(record.Tail.LeftOutFiles));
    bytes += kTailBytes;
  }
  uint64_t value = 0;
  if (numbers & kApparent) bytes = GetNumber(bytes, item.ApparentBytes);
  if (numbers & kDisk) bytes = GetNumber(bytes, item.DiskBytes);
  item.Device = folder_device;
  if (numbers & kDevice) bytes = GetNumber(bytes, item.Device);
  if (numbers & kInode) bytes = GetNumber(bytes, item.Inode);
  if (numbers & kTime) {
    bytes = GetNumber(bytes, value);
    item.WriteSeconds = static_cast<int64_t>(value);
  }
  bytes = GetNumber(bytes, value);
  item.NameLength = static_cast<uint32_t>(value);
  record.Name = std::string_view(bytes, item.NameLength);
  record.Position = MakePosition(block_index, offset);
  record.Length = static_cast<uint32_t>(bytes - start) + item.NameLength;
  record.Next = record.Position + record.Length;
  return record;
}

void ReleaseImportedRecord(ImportedScan& scan, const ImportedRecord& record, TreeStore* reuse) {
  ImportedBlock& block = scan.Blocks[BlockOf(record.Position)];
  block.LiveBytes -= record.Length;
  if (block.LiveBytes != 0) return;
  if (reuse != nullptr) {
    reuse->AdoptBlock(std::move(block.Bytes), block.Size);
  } else {
    block.Bytes.reset();
  }
}
