// The progress line's view of a walk: a walker that wraps the POSIX walker and reports each
// folder it lists to the progress line, so the walk itself knows nothing of a terminal.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"
#include "platform/posix/progress.h"
#include "platform/posix/walker.h"

class ProgressWalker : public FolderWalker {
 public:
  // `progress` belongs to the platform and must outlive the walker; the scan starts now.
  ProgressWalker(std::unique_ptr<PosixFolderWalker> walker, ProgressLine& progress);

  bool EnterRoot(const PathText& path) override;
  bool EnterSubfolder(size_t index) override;
  bool ListFolder(bool with_info) override;
  void SetWalkRules(const WalkRules& rules) override { walker_->SetWalkRules(rules); }
  const std::vector<FolderEntry>& Entries() const override { return walker_->Entries(); }
  void LeaveFolder() override;

 private:
  std::string ShownPath() const;

  const std::unique_ptr<PosixFolderWalker> walker_;
  ProgressLine& progress_;
  std::string root_shown_;  // the root as the command line gave it
  // The shown names of the entered folders below the root, each in its parent's listing, which
  // stays put until the folder is left.
  std::vector<std::string_view> names_;
};
