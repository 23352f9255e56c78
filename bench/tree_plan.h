// The shape of a generated tree: each folder's parent, depth, subfolders and file count.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct TreeSettings {
  uint64_t Seed = 1;
  uint32_t Folders = 100000;  // below the root
  uint64_t Files = 1000000;
  int MaxDepth = 16;  // the root's subfolders are at depth 1
};

struct FolderPlan {
  int32_t Parent = -1;  // -1 for the root
  int32_t Depth = 0;
  uint32_t FirstChild = 0;  // index into TreePlan::Children
  uint32_t ChildCount = 0;
  uint32_t FileCount = 0;
  uint64_t EntriesBelow = 0;  // files and folders anywhere below
};

// Folder 0 is the root; a folder's subfolders are Children[FirstChild .. FirstChild+ChildCount).
struct TreePlan {
  std::vector<FolderPlan> Folders;
  std::vector<uint32_t> Children;
};

// Draws the shape for `settings`; the same settings always give the same plan.
TreePlan PlanTree(const TreeSettings& settings);
