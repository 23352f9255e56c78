// The chart as one JSON document: the charted folders' trees, then a report of what they hold.
#pragma once

#include <cstdint>
#include <vector>

#include "common/byte_sum.h"
#include "common/tree_item.h"
#include "tree/folder_scan.h"

class Platform;
struct AppOptions;

// What the document's entries add up to, for its closing report.
struct JsonReport {
  uint64_t Folders = 0;  // the folders written, the charted folders themselves left out
  uint64_t Files = 0;    // the files written (links and other entries that are no folder too)
  ByteSum Bytes = 0;     // the sizes of those files
};

// Writes the document's opening "[" line.
void BeginJsonDocument(Platform& platform);

// Writes the charted folder `root` as one object, one line per entry in pre-order, entries as
// the chart would show them (files where shown, down to MaxDepth), each folder's shown entries
// in its "contents"; a folder of `unread` gets an "error" with the system's words. Adds what it
// writes to `report`. The line of the object's end is followed by a comma: the report, or the
// next charted folder, comes after it.
void PrintJsonTree(Platform& platform, const AppOptions& options, const TreeItem& root,
                   const std::vector<UnreadFolder>& unread, JsonReport& report);

// Writes the closing report object and the "]" line.
void EndJsonDocument(Platform& platform, const AppOptions& options, const JsonReport& report);
