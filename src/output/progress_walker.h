// The progress line's view of a walk: a walker that wraps the platform's and reports each folder
// it lists to a progress line, so the walk itself knows nothing of a screen.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "output/progress_line.h"
#include "platform/platform.h"

class ProgressWalker : public FolderWalker {
 public:
  // `platform` and `screen` must outlive the walker; the scan starts now.
  ProgressWalker(std::unique_ptr<FolderWalker> walker, Platform& platform, ProgressScreen& screen,
                 bool is_utf8);

  bool EnterRoot(const PathText& path) override;
  bool EnterSubfolder(size_t index) override;
  bool ListFolder(bool with_info) override;
  void SetWalkRules(const WalkRules& rules) override { walker_->SetWalkRules(rules); }
  const FolderEntry& RootEntry() const override { return walker_->RootEntry(); }
  const std::vector<FolderEntry>& Entries() const override { return walker_->Entries(); }
  void LeaveFolder() override;
  size_t LeftOutFiles() const override { return walker_->LeftOutFiles(); }
  std::string FailureText() const override { return walker_->FailureText(); }
  bool CountListed(uint64_t& folders, uint64_t& files) const override {
    return walker_->CountListed(folders, files);
  }

 private:
  std::string ShownPath() const;

  const std::unique_ptr<FolderWalker> walker_;
  ProgressScreen& screen_;
  const char separator_;
  ProgressLine line_;
  std::string root_shown_;  // the root as the command line gave it
  // The shown names of the entered folders below the root, each in its parent's listing, which
  // stays put until the folder is left.
  std::vector<std::string_view> names_;
};

// The walker of a scan: the platform's, seen by a progress line where the platform has a screen
// for one. `is_utf8`: the chart is UTF-8.
std::unique_ptr<FolderWalker> NewScanWalker(Platform& platform, bool is_utf8);
