// A folder walker over a saved scan: the scan that charts a folder charts the saved tree the
// same way, so sorting, sums, depth, exclusions and accounting need nothing of their own.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/platform.h"
#include "tree/import_reader.h"

// Walks `scan` once, which must outlive it, releasing each folder's records once it is listed:
// the chart's entries take the memory the saved scan gives up. Names are shown in the chart's
// encoding (control characters as "?", as a listing shows them); an item the saved scan left out by
// a pattern is not listed; a folder it did not enter ("otherfs", "kernfs") is shown but not
// entered, and so is one on another device with OneFileSystem; a folder it could not read and holds
// nothing of cannot be listed.
class ImportWalker : public FolderWalker {
 public:
  // The records' blocks go to `reuse`, when given, as they are freed: the chart's store.
  ImportWalker(ImportedScan& scan, Platform& platform, TreeStore* reuse = nullptr);

  bool EnterRoot(const PathText& path) override;
  bool EnterSubfolder(size_t index) override;
  bool ListFolder(bool with_info) override;
  void SetWalkRules(const WalkRules& rules) override { rules_ = rules; }
  const FolderEntry& RootEntry() const override { return root_entry_; }
  const std::vector<FolderEntry>& Entries() const override;
  void LeaveFolder() override;
  std::string FailureText() const override { return failure_; }
  size_t LeftOutFiles() const override;

 private:
  // What entering and listing a folder needs of its record, which is released by then. Kept
  // for the listing's folders alone: a file is never entered.
  struct ListedItem {
    uint64_t FirstChild = 0;  // the position of its items
    uint64_t SubtreeEnd = 0;
    uint64_t Device = 0;
    uint32_t LeftOutFiles = 0;
    uint32_t EntryIndex = 0;  // in its folder's listing
    bool IsNotEntered = false;
    bool HasChildren = false;
    bool HasReadError = false;
    bool WasEntered = false;  // by the walk; else its items are released when its folder is left
  };
  struct Level {
    ListedItem Folder;  // the folder entered
    std::vector<FolderEntry> Entries;
    std::vector<ListedItem> Folders;  // the listing's folders, in its order
    std::string ShownNames;           // the entries' names, one after the other
    size_t LeftOutFiles = 0;
  };

  static ListedItem MakeListedItem(const ImportedRecord& record);
  FolderEntry MakeEntry(const ImportedItem& item, bool with_info) const;
  bool PushLevel(const ListedItem& folder);
  void FindChildren(const ListedItem& folder, Level& level);
  void ReleaseSubtree(const ListedItem& folder);
  void ReleaseChildren(const ListedItem& folder);

  ImportedScan& scan_;
  TreeStore* reuse_;
  Platform& platform_;
  WalkRules rules_;
  FolderEntry root_entry_;
  std::string failure_;
  uint64_t root_device_ = 0;
  // The listing being made: each listed item's name (in the saved scan) and position.
  std::vector<std::pair<std::string_view, uint64_t>> listed_;
  // One per entered folder, [0, depth_); those past it are kept for reuse.
  std::vector<std::unique_ptr<Level>> levels_;
  size_t depth_ = 0;
};
