// Draws a tree's shape: a random recursive tree with some preferential attachment (so a few
// folders get many subfolders), depth-capped, and files spread by heavy-tailed folder weights.
#include "tree_plan.h"

#include <algorithm>

#include "tree_random.h"

namespace {

// Each new folder picks an existing folder as parent. Taking that folder's own parent instead
// favours folders that already have many subfolders, giving a heavy-tailed fan-out; taking one
// of the last few folders made grows deep chains, as source trees and archives have.
uint32_t DrawParent(TreeRandom& random, const TreePlan& plan, uint32_t made) {
  uint64_t style = random.Below(100);
  if (style < 20) return made - 1 - static_cast<uint32_t>(random.Below(std::min(made, 8u)));
  uint32_t parent = static_cast<uint32_t>(random.Below(made));
  if (style < 50 && parent != 0) parent = static_cast<uint32_t>(plan.Folders[parent].Parent);
  return parent;
}

void PlaceFolders(TreeRandom& random, const TreeSettings& settings, TreePlan& plan) {
  plan.Folders.resize(static_cast<size_t>(settings.Folders) + 1);
  for (uint32_t i = 1; i <= settings.Folders; ++i) {
    uint32_t parent = 0;
    do {
      parent = DrawParent(random, plan, i);
    } while (plan.Folders[parent].Depth >= settings.MaxDepth);
    plan.Folders[i].Parent = static_cast<int32_t>(parent);
    plan.Folders[i].Depth = plan.Folders[parent].Depth + 1;
  }
}

// Groups the folders by parent (a counting sort), keeping their creation order.
void ListChildren(TreePlan& plan) {
  std::vector<FolderPlan>& folders = plan.Folders;
  for (size_t i = 1; i < folders.size(); ++i) folders[folders[i].Parent].ChildCount++;
  uint32_t next = 0;
  for (FolderPlan& folder : folders) {
    folder.FirstChild = next;
    next += folder.ChildCount;
    folder.ChildCount = 0;
  }
  plan.Children.resize(next);
  for (size_t i = 1; i < folders.size(); ++i) {
    FolderPlan& parent = folders[folders[i].Parent];
    plan.Children[parent.FirstChild + parent.ChildCount++] = static_cast<uint32_t>(i);
  }
}

// A fifth of the folders get weight 0; the others 2^k with P(k) = 2^-(k+1): most folders hold
// a few files, a few hold thousands. The files are shared in proportion to the weights; the
// rounding rest goes one by one to folders drawn at random.
void SpreadFiles(TreeRandom& random, uint64_t files, TreePlan& plan) {
  std::vector<uint32_t> weights(plan.Folders.size());
  uint64_t total_weight = 0;
  for (uint32_t& weight : weights) {
    weight = random.Below(5) == 0 ? 0 : 1u << random.Halvings(12);
    total_weight += weight;
  }
  uint64_t given = 0;
  for (size_t i = 0; i < weights.size(); ++i) {
    plan.Folders[i].FileCount = static_cast<uint32_t>(files * weights[i] / total_weight);
    given += plan.Folders[i].FileCount;
  }
  for (; given < files; ++given) plan.Folders[random.Below(weights.size())].FileCount++;
}

// A folder's index is above its parent's, so one pass from the last folder adds up subtrees.
void CountEntriesBelow(TreePlan& plan) {
  std::vector<FolderPlan>& folders = plan.Folders;
  for (FolderPlan& folder : folders) folder.EntriesBelow = folder.FileCount;
  for (size_t i = folders.size() - 1; i > 0; --i) {
    folders[folders[i].Parent].EntriesBelow += folders[i].EntriesBelow + 1;
  }
}

}  // namespace

TreePlan PlanTree(const TreeSettings& settings) {
  TreeRandom random(MixSeed(settings.Seed, ~0ull));
  TreePlan plan;
  PlaceFolders(random, settings, plan);
  ListChildren(plan);
  SpreadFiles(random, settings.Files, plan);
  CountEntriesBelow(plan);
  return plan;
}
