// The folder walker of the POSIX platform: a stack of entered folders held as directory
// descriptors, so that neither the depth of a tree nor the length of its paths is limited.
//
// Descriptors: each entered folder is opened relative to its parent (openat), so no path is ever
// longer than one name. At most `max_open` of them are held at once; past that the shallowest
// one below the root is closed, and the root's own last, when the process has no other to give
// back. A folder whose descriptor was closed gets it back when it is needed again: when its child
// is left, through the child's ".." if that is the same folder (device and inode), else by opening
// the remembered names one by one from the nearest open ancestor, or from the root reopened by
// its native path. Every reopening is checked by device and inode. So two free descriptors (a
// parent's and its child's) are enough for any tree. Every level keeps its listing, native names
// included, until it is left.
//
// Identity: each entered folder is known by device and inode, read from its descriptor, or taken
// from its parent's listing where that listing read sizes and times (then checked against the
// descriptor before the descriptor is closed, since reopenings are checked against it).
//
// Links: a folder that is one of the entered ones, or one that holds the charted folder, is shown
// but not entered (either would repeat the chart inside itself). Below a link, a further link
// leads only to a folder that no link has led the walk into yet, so that webs of links such as
// /sys, where the paths multiply at every level, are walked in bounded time.
//
// Kernel file systems: below the charted folder, a folder on another device than its parent that
// is the root of a kernel file system (proc, sysfs, cgroup and the like, told by fstatfs) is
// shown but not entered: its files are not on a disk and their sizes are made up. The walk rules
// (WalkRules) keep out links and other file systems on request, after the same device test.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"
#include "platform/posix_listing.h"
#include "platform/posix_progress.h"
#include "platform/posix_text.h"

// How many directory descriptors a walker may hold: a quarter of RLIMIT_NOFILE, 4 to 128.
size_t MaxOpenFolders();

class PosixFolderWalker : public FolderWalker {
 public:
  // `converter` belongs to the platform and must outlive the walker, as `progress` does when
  // given: the walk reports each folder it reads to it, from now on.
  PosixFolderWalker(TextConverter& converter, int64_t utc_offset_seconds, size_t max_open,
                    ProgressLine* progress = nullptr);
  ~PosixFolderWalker() override;

  bool EnterRoot(const PathText& path) override;
  bool EnterSubfolder(size_t index) override;
  bool ListFolder(bool with_info) override;
  void SetWalkRules(const WalkRules& rules) override { rules_ = rules; }
  const std::vector<FolderEntry>& Entries() const override;
  void LeaveFolder() override;

  // For tests: descriptors held now, never more than max_open.
  size_t OpenDescriptors() const { return open_count_; }

 private:
  struct Level {
    int fd = -1;
    bool fd_was_read = false;  // a listing read it, so a new listing must rewind first
    FolderIdentity id;
    bool id_from_descriptor = false;  // read from `fd`, not from the parent's listing
    size_t index_in_parent = 0;       // the entry of the parent's listing this folder is
    bool below_link = false;          // reached through a link, or lies below a folder that was
    FolderListing listing;
  };

  int OpenRoot(size_t keep_depth);
  bool PushLevel(int fd, size_t index_in_parent, bool through_link, const FolderIdentity* known_id);
  bool IsKeptOut(const FolderIdentity& id, int fd, bool through_link) const;
  bool IsLinkEntry(const Level& level, size_t index) const;
  void RecordOuterFolders();
  bool EnsureOpen(size_t depth);
  bool ReopenLevel(size_t depth, int fd);
  void RegainParentThroughDotDot(size_t child_depth);
  int OpenChild(int parent_fd, const char* name, size_t keep_depth, int extra_flags = 0);
  bool CloseShallowest(size_t keep_depth);
  void ConfirmId(Level& level);
  void TrimDescriptors(size_t keep_depth);
  void SetFd(size_t depth, int fd);
  void CloseFd(size_t depth);
  static bool ReadId(int fd, FolderIdentity& id);
  void ReportProgress(const FolderListing& listing);
  std::string ShownPath() const;

  FolderReader reader_;
  const size_t max_open_;
  // Levels [0, depth_) are entered; those past depth_ are kept with their storage for reuse.
  std::vector<std::unique_ptr<Level>> levels_;
  size_t depth_ = 0;
  size_t open_count_ = 0;
  size_t lowest_maybe_open_ = 1;  // every level in [1, this) has its descriptor closed
  LoopRules loops_;
  ProgressLine* const progress_;
  WalkRules rules_;
  std::string root_native_;  // the charted folder's path as the system takes it, for reopening
  std::string root_shown_;   // the root as the command line gave it, for the progress line
};
