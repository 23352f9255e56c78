// Reading a saved scan (the JSON export format, version 1) into memory, checked whole before
// anything of it is charted.
#pragma once

#include <cstdint>
#include <deque>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

// One file or folder of a saved scan, as its info object gave it.
struct ImportedItem {
  uint64_t ApparentBytes = 0;  // "asize"
  uint64_t DiskBytes = 0;      // "dsize"
  uint64_t Device = 0;         // "dev", or its folder's where it gives none
  uint64_t Inode = 0;          // "ino"
  int64_t WriteSeconds = 0;    // "mtime", seconds since 1970-01-01 UTC, when HasTime
  uint32_t NameStart = 0;      // where the name lies in ImportedScan::Names
  uint32_t NameLength = 0;
  // The item after this one in its folder, 0 when it is the last (the root is item 0 and is no
  // one's next). A folder's first child, when it has any, is the item right after it.
  uint32_t NextSibling = 0;
  bool IsFolder = false;
  bool HasChildren = false;
  bool HasTime = false;
  bool HasOtherNames = false;  // "hlnkc", or "nlink" above 1: a file with hard links
  bool HasReadError = false;   // "read_error"
  bool IsExcluded = false;     // "excluded" by a pattern: left out of the chart
  bool IsNotEntered = false;   // "excluded" for another reason ("otherfs", "kernfs"): not entered
};

// The whole saved scan: its items in the order of the file, the root first.
struct ImportedScan {
  // A deque: a million items grow it without moving the ones before.
  std::deque<ImportedItem> Items;
  std::string Names;  // every item's name, UTF-8, one after the other

  std::string_view NameOf(const ImportedItem& item) const {
    return std::string_view(Names).substr(item.NameStart, item.NameLength);
  }
};

// Reads a saved scan from `file` (read to its end, not closed) or, when `file` is null, from
// `text`. Returns 0 when the whole input is a saved scan of version 1.0 to 1.2; otherwise -1
// with `error` telling what is wrong and where (a byte offset, and the item's path where one is
// known), in English. Never recursive: any depth of nesting reads in the same stack.
int ReadImportedScan(std::FILE* file, std::string_view text, ImportedScan& scan,
                     std::string& error);
