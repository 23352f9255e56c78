// The folder walker of the POSIX platform: a stack of entered folders, each with its listing
// (native names included) kept until it is left, and their directory descriptors in a
// DescriptorCache, so that neither the depth of a tree nor the length of its paths is limited.
//
// Identity: each entered folder is known by device and inode, read from its descriptor, or taken
// from its parent's listing where that listing read sizes and times (the cache checks it against
// the descriptor before the descriptor is closed). Every folder, not only a link, is put to the
// loop rules (LoopRules): a bind mount can repeat a folder as a link does.
//
// Kernel file systems: below the charted folder, a folder on another device than its parent that
// is the root of a kernel file system (proc, sysfs, cgroup and the like) is shown but not
// entered: its files are not on a disk and their sizes are made up. The walk rules (WalkRules)
// keep out links and other file systems on request, after the same device test.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/posix/descriptor_cache.h"
#include "platform/posix/listing.h"
#include "platform/posix/read_ahead.h"
#include "platform/posix/text.h"

class PosixFolderWalker : public FolderWalker {
 public:
  // `converter` belongs to the platform and must outlive the walker. The walk holds at most
  // `max_open` descriptors, and its workers (WalkRules::Threads) `max_open_ahead` beside them.
  // `worker_pause`, for tests, is called by each worker thread before each folder it reads.
  PosixFolderWalker(TextConverter& converter, int64_t utc_offset_seconds, size_t max_open,
                    size_t max_open_ahead, std::function<void()> worker_pause = {});

  bool EnterRoot(const PathText& path) override;
  bool EnterSubfolder(size_t index) override;
  bool ListFolder(bool with_info) override;
  void SetWalkRules(const WalkRules& rules) override;
  const FolderEntry& RootEntry() const override { return root_entry_; }
  const std::vector<FolderEntry>& Entries() const override;
  void LeaveFolder() override;
  size_t LeftOutFiles() const override;
  std::string FailureText() const override { return failure_; }
  bool CountListed(uint64_t& folders, uint64_t& files) const override;

  // For tests: descriptors held now, never more than max_open.
  size_t OpenDescriptors() const { return descriptors_.OpenCount(); }

 private:
  struct Level {
    FolderListing listing;
    bool below_link = false;             // reached through a link, or lies below a folder that was
    std::shared_ptr<AheadFolder> ahead;  // what the workers prepare below it (with threads)
  };

  size_t Depth() const { return descriptors_.Depth(); }
  // `index` in the parent's listing (SIZE_MAX for the root).
  bool PushLevel(int fd, const char* name, size_t index, bool through_link,
                 const FolderIdentity* known, std::shared_ptr<AheadFolder> prepared = nullptr);
  bool IsKeptOut(const FolderIdentity& identity, int fd, bool through_link) const;
  void RecordOuterFolders();
  enum class Entering { kNotPrepared, kEntered, kKeptOut };
  Entering EnterPrepared(size_t index);
  void StartThreads();
  bool TakeListing(size_t depth, bool with_info);

  FolderReader reader_;
  DescriptorCache descriptors_;
  LoopRules loops_;
  TextConverter& converter_;
  const int64_t utc_offset_seconds_;
  const size_t max_open_;
  const size_t max_open_ahead_;
  std::function<void()> worker_pause_;
  // The workers, with WalkRules::Threads above one; declared before the levels, whose nodes
  // they count, so that the levels go first.
  std::unique_ptr<ReadAhead> ahead_;
  bool with_info_ = false;  // as the walk's last listing asked
  // One per entered folder, [0, Depth()); those past it are kept with their storage for reuse.
  std::vector<std::unique_ptr<Level>> levels_;
  WalkRules rules_;
  FolderEntry root_entry_;
  std::string root_native_;  // the charted path, which the root entry's own name shows
  std::string failure_;      // strerror of the last failure to open or read a folder
};
