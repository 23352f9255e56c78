// A folder walker over a saved scan: the scan that charts a folder charts the saved tree the
// same way, so sorting, sums, depth, exclusions and accounting need nothing of their own.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "tree/import_reader.h"

// Walks `scan`, which must outlive it. Names are shown in the chart's encoding (control
// characters as "?", as a listing shows them); an item the saved scan left out by a pattern is
// not listed; a folder it did not enter ("otherfs", "kernfs") is shown but not entered, and so
// is one on another device with OneFileSystem; a folder it could not read and holds nothing of
// cannot be listed.
class ImportWalker : public FolderWalker {
 public:
  ImportWalker(const ImportedScan& scan, Platform& platform);

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
  struct Level {
    uint32_t Folder = 0;  // the item entered
    std::vector<FolderEntry> Entries;
    std::vector<uint32_t> Items;  // beside Entries: which item each is
    std::string ShownNames;       // the entries' names, one after the other
    size_t LeftOutFiles = 0;
  };

  FolderEntry MakeEntry(const ImportedItem& item, bool with_info) const;
  bool PushLevel(uint32_t folder);

  const ImportedScan& scan_;
  Platform& platform_;
  WalkRules rules_;
  FolderEntry root_entry_;
  std::string failure_;
  // One per entered folder, [0, depth_); those past it are kept for reuse.
  std::vector<std::unique_ptr<Level>> levels_;
  size_t depth_ = 0;
};
