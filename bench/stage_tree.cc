// In-memory trees and a platform that writes nowhere, for the benchmark cases of the pure stages.
#include "stage_tree.h"

#include <cstring>

#include "platform/posix/lower_case.h"
#include "tree/entry_info.h"

namespace {

// A fixed linear congruential sequence, so every run measures the same tree.
class Sequence {
 public:
  explicit Sequence(uint32_t seed) : state_(seed) {}
  uint32_t Below(uint32_t bound) {
    state_ = state_ * 6364136223846793005ull + 1442695040888963407ull;
    return static_cast<uint32_t>(state_ >> 33) % bound;
  }

 private:
  uint64_t state_;
};

const char* const kStems[] = {"Readme", "report", "IMG_", "data", "Makefile", "notes", "x"};
const char* const kExtensions[] = {"", ".txt", ".JPG", ".c", ".h", ".tar.gz", ".md"};

std::string MakeName(Sequence& random, size_t index) {
  std::string name = kStems[random.Below(7)];
  name += std::to_string(index);
  name += kExtensions[random.Below(7)];
  return name;
}

void NameItem(TreeStore& store, TreeItem& item, const std::string& name) {
  std::string key = name;
  LowerCaseCp932(key.data(), key.size());
  SetItemNameAndKeys(store, item, name, key, FindExtensionStart(name));
}

}  // namespace

void NullPlatform::LowerCase(char* text, size_t length) { LowerCaseCp932(text, length); }

void BuildStageTree(StageTree& tree, size_t entries, uint32_t seed) {
  Sequence random(seed);
  tree.root = std::make_unique<TreeItem>(tree.store.MakeRoot());
  tree.root->IsFolder = true;
  SetItemName(tree.store, *tree.root, "root");
  // Folders first, each under a random earlier folder; then files spread over them. Children
  // are appended after the parent's remembered last child, as the scan does.
  std::vector<TreeItem*> folders{tree.root.get()};
  std::vector<TreeItem*> last_child{nullptr};
  auto add = [&](size_t parent, bool is_folder, size_t index) {
    TreeItem* item = tree.store.NewItem(folders[parent]->Level + 1);
    item->IsFolder = is_folder;
    NameItem(tree.store, *item, MakeName(random, index));
    item->Size = random.Below(4) == 0 ? random.Below(50000000) : random.Below(70000);
    item->WriteTime = MakeFileTime(125000000000000000ull + random.Below(1u << 30) * 7919ull);
    AppendChildAfter(*folders[parent], last_child[parent], item);
    last_child[parent] = item;
    return item;
  };
  const size_t folder_count = entries / 10;
  for (size_t i = 0; i < folder_count; ++i) {
    folders.push_back(add(random.Below(static_cast<uint32_t>(folders.size())), true, i));
    last_child.push_back(nullptr);
  }
  for (size_t i = folder_count; i < entries; ++i) {
    add(random.Below(static_cast<uint32_t>(folders.size())), false, i);
  }
  tree.entries = entries;
}

AppOptions StageOptions(const std::vector<std::string>& keywords) {
  AppOptions options;
  for (const std::string& keyword : keywords) {
    if (keyword == "F") options.ShowFiles = true;
    if (keyword == "Size") options.ShowSize = true;
    if (keyword == "Time") options.ShowTime = true;
    if (keyword == "Sum") options.ShowSum = true;
    if (keyword == "Total") options.ShowTotal = true;
    if (keyword == "SN") options.SortKey = SortByName;
    if (keyword == "SE") options.SortKey = SortByExt;
    if (keyword == "SS") options.SortKey = SortBySize;
    if (keyword == "ST") options.SortKey = SortByTime;
    if (keyword == "Descend") options.Ascending = false;
  }
  DeriveSettings(options);
  return options;
}
