// The pass that completes the tree: per-folder counts and byte sums.
//
// The tree is walked with an explicit stack rather than by recursion, so that a hierarchy tens
// of thousands of levels deep costs heap, not call stack.
#include "tree/aggregate.h"

#include <cstdint>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "common/app_options.h"

namespace {

// Counts and sums the folder's own files, replacing the size the scan read for the folder
// itself; the totals add the subfolders' totals, which are complete by now. Byte sums are
// 128-bit while they add up, so that no sum wraps (sparse files reach 2^63 bytes each on any
// disk), and kept in 96 bits; counts are 32-bit.
void SumFolder(TreeItem& folder, bool totals, bool own_space) {
  ByteSum size = own_space ? folder.Size : 0;
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
void SumFolders(TreeItem& root, bool totals, bool own_space) {
  std::vector<AggregateFrame> frames;
  frames.push_back(AggregateFrame{&root, root.Children.First});
  while (!frames.empty()) {
    AggregateFrame& frame = frames.back();
    TreeItem* child = frame.next_child;
    while (child && !child->IsFolder) child = child->NextSibling;
    if (!child) {
      SumFolder(*frame.folder, totals, own_space);
      frames.pop_back();
      continue;
    }
    frame.next_child = child->NextSibling;
    frames.push_back(AggregateFrame{child, child->Children.First});
  }
}

// A folder to visit: its subfolders' visits, or (is_files_step) its own files.
struct OrderStep {
  TreeItem* folder;
  bool is_files_step;
};

// Visits `folder`'s files in list order; a shared file met before keeps the size 0.
void CountFilesOnce(TreeItem& folder,
                    const std::unordered_map<const TreeItem*, FolderIdentity>& ids,
                    std::unordered_set<FolderIdentity, FolderIdentityHash>& seen) {
  for (TreeItem* child = folder.Children.First; child; child = child->NextSibling) {
    if (child->IsFolder) continue;
    const auto found = ids.find(child);
    if (found != ids.end() && !seen.insert(found->second).second) child->Size = 0;
  }
}

// The first name of each file is decided in the chart's order without a sort key, which no
// size affects (an order by size would depend on the very sums it counts) and which every sort
// key shares, so the sums do not change with the order shown.
void CountSharedFilesOnce(TreeItem& root, bool files_first, const std::vector<SharedFile>& shared) {
  std::unordered_map<const TreeItem*, FolderIdentity> ids;
  for (const SharedFile& file : shared) ids.emplace(file.Item, file.FileId);
  std::unordered_set<FolderIdentity, FolderIdentityHash> seen;
  std::vector<OrderStep> steps{{&root, false}};
  std::vector<TreeItem*> subfolders;
  while (!steps.empty()) {
    const OrderStep step = steps.back();
    steps.pop_back();
    if (step.is_files_step) {
      CountFilesOnce(*step.folder, ids, seen);
      continue;
    }
    subfolders.clear();
    for (TreeItem* child = step.folder->Children.First; child; child = child->NextSibling) {
      if (child->IsFolder) subfolders.push_back(child);
    }
    // A stack: what comes last is pushed first.
    if (!files_first) steps.push_back({step.folder, true});
    for (auto it = subfolders.rbegin(); it != subfolders.rend(); ++it)
      steps.push_back({*it, false});
    if (files_first) CountFilesOnce(*step.folder, ids, seen);
  }
}

}  // namespace

void AggregateTree(const AppOptions& options, TreeItem& root,
                   const std::vector<SharedFile>& shared_files) {
  if (options.CountDiskUsage && !shared_files.empty()) {
    CountSharedFilesOnce(root, options.FilesFirst, shared_files);
  }
  if (options.NeedOwnSums) {
    SumFolders(root, options.NeedCumulativeTotals, options.CountDiskUsage);
  }
}

void SumOwnFiles(const AppOptions& options, TreeItem& folder) {
  SumFolder(folder, false, options.CountDiskUsage);
}

void SumFinishedFolder(const AppOptions& options, TreeItem& folder) {
  SumFolder(folder, options.NeedCumulativeTotals, options.CountDiskUsage);
}

void CountNewSharedFilesOnce(std::vector<SharedFile>& new_files, SeenFiles& seen) {
  for (const SharedFile& file : new_files) {
    if (!seen.insert(file.FileId).second) file.Item->Size = 0;
  }
  new_files.clear();
}
