// The passes that complete the tree: file-name widths, per-folder counts and byte sums.
//
// The tree is walked with an explicit stack rather than by recursion, so that a hierarchy tens
// of thousands of levels deep costs heap, not call stack.
#include "tree/aggregate.h"

#include <cstdint>
#include <vector>

#include "common/app_options.h"
#include "common/number_width.h"
#include "platform/platform.h"

namespace {

// Every file of a folder gets the width of the folder's longest file name, so the size and time
// columns line up, and the length of the text of its largest size, so that the size column
// stays straight where a size is too long for the usual column. Subfolder names do not count,
// and folders get no widths. A code page 932 name takes as many columns as bytes; a UTF-8 one
// is measured by the platform, and only then, so the usual chart costs nothing more.
void SetFileWidths(Platform& platform, bool is_utf8, TreeItem& folder) {
  size_t width = 0;
  uint64_t largest = 0;
  for (TreeItem* child = folder.Children.First; child; child = child->NextSibling) {
    if (child->IsFolder) continue;
    const size_t name_width = is_utf8 ? platform.DisplayWidth(child->Name()) : child->NameLength;
    if (name_width > width) width = name_width;
    if (child->Size > largest) largest = child->Size;
  }
  const auto size_width = static_cast<uint8_t>(GroupedNumberLength(largest));
  for (TreeItem* child = folder.Children.First; child; child = child->NextSibling) {
    if (child->IsFolder) continue;
    child->NameWidth = static_cast<uint16_t>(width);
    child->SizeWidth = size_width;
  }
}

// Counts and sums the folder's own files, replacing the size the scan read for the folder
// itself; the totals add the subfolders' totals, which are complete by now. Byte sums are
// 128-bit while they add up, so that no sum wraps (sparse files reach 2^63 bytes each on any
// disk), and kept in 96 bits; counts are 32-bit.
void SumFolder(TreeItem& folder, bool totals) {
  ByteSum size = 0;
  uint32_t count = 0;
  ByteSum total_bytes = 0;
  uint32_t total_files = 0;
  for (TreeItem* child = folder.Children.First; child; child = child->NextSibling) {
    if (child->IsFolder) {
      total_bytes += child->CumulativeBytes();
      total_files += child->TotalFiles;
    } else {
      size += child->Size;
      count += 1;
    }
  }
  folder.SetOwnBytes(size);
  folder.FileCount = count;
  if (!totals) return;  // the totals keep their constructed 0
  folder.SetCumulativeBytes(size + total_bytes);
  folder.TotalFiles = count + total_files;
}

void FinishFolder(Platform& platform, TreeItem& folder, const AppOptions& options) {
  if (options.NeedItemDetails) SetFileWidths(platform, options.IsUtf8Chart, folder);
  if (options.NeedOwnSums) SumFolder(folder, options.NeedCumulativeTotals);
}

// One folder on the walk's stack and the next of its children to look at.
struct AggregateFrame {
  TreeItem* folder;
  TreeItem* next_child;
};

// Visits every folder after all its subfolders (the sums need that order; the widths do not
// care), each folder's children in list order.
void WalkFolders(Platform& platform, TreeItem& root, const AppOptions& options) {
  std::vector<AggregateFrame> frames;
  frames.push_back(AggregateFrame{&root, root.Children.First});
  while (!frames.empty()) {
    AggregateFrame& frame = frames.back();
    TreeItem* child = frame.next_child;
    while (child && !child->IsFolder) child = child->NextSibling;
    if (!child) {
      FinishFolder(platform, *frame.folder, options);
      frames.pop_back();
      continue;
    }
    frame.next_child = child->NextSibling;
    frames.push_back(AggregateFrame{child, child->Children.First});
  }
}

}  // namespace

void AggregateTree(Platform& platform, const AppOptions& options, TreeItem& root) {
  if (options.NeedItemDetails || options.NeedOwnSums) WalkFolders(platform, root, options);
}
