// The pass that completes the tree: per-folder counts and byte sums.
//
// The tree is walked with an explicit stack rather than by recursion, so that a hierarchy tens
// of thousands of levels deep costs heap, not call stack.
#include "tree/aggregate.h"

#include <cstdint>
#include <vector>

#include "common/app_options.h"

namespace {

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

// One folder on the walk's stack and the next of its children to look at.
struct AggregateFrame {
  TreeItem* folder;
  TreeItem* next_child;
};

// Sums every folder after all its subfolders, each folder's children in list order.
void SumFolders(TreeItem& root, bool totals) {
  std::vector<AggregateFrame> frames;
  frames.push_back(AggregateFrame{&root, root.Children.First});
  while (!frames.empty()) {
    AggregateFrame& frame = frames.back();
    TreeItem* child = frame.next_child;
    while (child && !child->IsFolder) child = child->NextSibling;
    if (!child) {
      SumFolder(*frame.folder, totals);
      frames.pop_back();
      continue;
    }
    frame.next_child = child->NextSibling;
    frames.push_back(AggregateFrame{child, child->Children.First});
  }
}

}  // namespace

void AggregateTree(const AppOptions& options, TreeItem& root) {
  if (options.NeedOwnSums) SumFolders(root, options.NeedCumulativeTotals);
}
