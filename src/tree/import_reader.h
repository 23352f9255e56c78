// Reading a saved scan (the JSON export format, version 1) into memory, checked whole before
// anything of it is charted, keeping only what the chart will read.
#pragma once

#include <cstdint>
#include <cstdio>
#include <limits>
#include <string>
#include <string_view>

#include "tree/imported_scan.h"

// What the chart will read of a saved scan: the rest is checked but not kept.
struct ImportFilter {
  bool FilesWanted = true;       // else only a count of each folder's files is kept
  bool InfoWanted = true;        // sizes, times and file identities below the root
  bool DotFoldersWanted = true;  // else what lies below a folder ".name" is not kept
  // Items deeper than this level are not kept: the walk enters no folder at it. The root's
  // items, at level 1, always are.
  int32_t DepthLimit = std::numeric_limits<int32_t>::max();
};

// Reads a saved scan from `file` (read to its end, not closed) or, when `file` is null, from
// `text`, keeping what `filter` asks for. Returns 0 when the whole input is a saved scan of
// version 1.0 to 1.2; otherwise -1 with `error` telling what is wrong and where (a byte offset,
// and the item's path where one is known), in English, and `scan` empty. Never recursive: any
// depth of nesting reads in the same stack.
int ReadImportedScan(std::FILE* file, std::string_view text, ImportedScan& scan, std::string& error,
                     const ImportFilter& filter = {});
