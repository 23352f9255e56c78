// The kept part of a saved scan: compact records in the order of the file, in blocks that the
// walk frees as it goes, so that charting a saved scan costs no more than scanning the tree.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/tree_item.h"

// One file or folder of a saved scan, as its info object gave it. Kept as a record of a few
// bytes besides its name (its numbers as variable-length integers, those that are 0 or its
// folder's device left out): a million files cost less than their chart entries, which the walk
// makes as it frees these (ReleaseImportedRecord).
struct ImportedItem {
  uint64_t ApparentBytes = 0;  // "asize"
  uint64_t DiskBytes = 0;      // "dsize"
  uint64_t Device = 0;         // "dev", or its folder's where it gives none
  uint64_t Inode = 0;          // "ino"
  int64_t WriteSeconds = 0;    // "mtime", seconds since 1970-01-01 UTC, when HasTime
  uint32_t NameLength = 0;     // the name's bytes end the record
  bool IsFolder : 1 = false;
  bool HasChildren : 1 = false;  // the saved scan held items in it, kept or not
  bool HasTime : 1 = false;
  bool HasOtherNames : 1 = false;  // "hlnkc", or "nlink" above 1: a file with hard links
  bool HasReadError : 1 = false;   // "read_error"
  bool IsExcluded : 1 = false;     // "excluded" by a pattern: left out of the chart
  bool IsNotEntered : 1 = false;   // "excluded" for another reason ("otherfs", "kernfs")
};

// What a folder's record holds besides its item: where its kept items end, and how many of its
// files were not kept.
struct ImportedFolderTail {
  uint64_t SubtreeEnd = 0;  // the position after its last kept item, or after itself
  uint32_t LeftOutFiles = 0;
};

// A record read back: its item, a folder's tail, its name (inside the scan's storage) and where
// the record lies.
struct ImportedRecord {
  ImportedItem Item;
  ImportedFolderTail Tail;
  std::string_view Name;
  uint64_t Position = 0;
  uint64_t Next = 0;  // the position right after it
  uint32_t Length = 0;
};

// Records are kept in the order of the file, the root first, each folder's items right after
// it: a run of blocks, each freed (or handed to the chart's store) once every record in it has
// been walked.
struct ImportedBlock {
  std::unique_ptr<char[]> Bytes;
  uint32_t Size = 0;
  uint32_t Used = 0;
  uint64_t LiveBytes = 0;  // of records not yet released
};

// The kept part of a saved scan. A position is a block's index in the high 32 bits and an
// offset in it in the low ones, so positions compare in the order of the file.
struct ImportedScan {
  std::vector<ImportedBlock> Blocks;
  std::string RootName;    // the scanned path, as the file gives it
  uint64_t ItemCount = 0;  // items read, kept or not
};

// The record at `position` (0: the root), which must not be released, of an item in a folder on
// `folder_device` (the root's: 0).
ImportedRecord ReadImportedRecord(const ImportedScan& scan, uint64_t position,
                                  uint64_t folder_device = 0);
// Marks `record` walked: its block is freed once all of its records are, or given to `reuse`
// when there is one.
void ReleaseImportedRecord(ImportedScan& scan, const ImportedRecord& record,
                           TreeStore* reuse = nullptr);
// Appends a record of `item` named `name`, in a folder on `folder_device`; a folder's tail says
// it ends right after it. Returns its position.
uint64_t AppendImportedRecord(ImportedScan& scan, const ImportedItem& item, std::string_view name,
                              uint64_t folder_device);
// The position right after the last record appended.
uint64_t ImportedScanEnd(const ImportedScan& scan);
// Completes the folder at `position` once its items are read.
void FinishImportedFolder(ImportedScan& scan, uint64_t position, bool has_children,
                          const ImportedFolderTail& tail);
