// The directory descriptors of the POSIX walk's entered folders, a bounded number of them, so
// that neither the depth of a tree nor the length of its paths is limited.
//
// Each entered folder is opened relative to its parent (openat), so no path is ever longer than
// one name. At most `max_open` descriptors are held at once; past that the shallowest one below
// the root is closed, and the root's own last, when the process has no other to give back. A
// folder whose descriptor was closed gets it back when it is needed again: when its child is
// left, through the child's ".." if that is the same folder (device and inode), else by opening
// the remembered names one by one from the nearest open ancestor, or from the root reopened by its
// native path. Every reopening is checked against the folder's identity. So two free descriptors
// (a parent's and its child's) are enough for any tree.
//
// A folder entered on its listing's look (the identity the listing's stat read) is checked
// against its own descriptor before that descriptor is closed, since every reopening is checked
// against the identity; the two differ where opening mounted something on the folder (an
// automount point) or where the folder was replaced in between, and the descriptor's is the
// folder the walk is in.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/walk_rules.h"

// How many directory descriptors a walk may hold: a quarter of RLIMIT_NOFILE, 4 to 128.
size_t MaxOpenFolders();
// How many the workers reading ahead of the walk may hold between them, beside the walk's own:
// another quarter of RLIMIT_NOFILE, 2 to 1,024.
size_t MaxOpenAhead();

class DescriptorCache {
 public:
  // Where a descriptor may be given back from any entered folder: none is in use as a base.
  static constexpr size_t kKeepNone = SIZE_MAX;

  // Told when the folder at `depth` turned out, by its own descriptor, to be `is`, not `was`.
  using IdentityChanged =
      std::function<void(size_t depth, const FolderIdentity& was, const FolderIdentity& is)>;

  // `max_open` is at least 2 (a parent's and its child's).
  DescriptorCache(size_t max_open, IdentityChanged on_identity_changed);
  ~DescriptorCache();  // closes every descriptor still held
  DescriptorCache(const DescriptorCache&) = delete;
  DescriptorCache& operator=(const DescriptorCache&) = delete;

  // Opens the charted folder by `native_path`, which later reopenings of the root use too; -1
  // when it cannot be opened. Nothing may be entered when it is called.
  int OpenRoot(const std::string& native_path);
  // Opens folder `name` in the folder open as `base_fd` (or by path, with AT_FDCWD), with
  // `extra_flags` (O_NOFOLLOW, O_PATH); when the process is out of descriptors, gives one of the
  // entered folders' back (never the one at `keep_depth`) and tries again. -1 when it cannot be
  // opened.
  int OpenAt(int base_fd, const char* name, size_t keep_depth, int extra_flags = 0);

  // Enters the folder opened as `fd`, one level below the deepest entered one; with `fd` -1
  // the folder is entered closed, and opened by its name when its descriptor is first asked for.
  // `identity` is read from `fd` itself, or (`identity_from_descriptor` false) from the parent's
  // listing. `name` is its native name in its parent, for reopening (null for the root): it must
  // stay put while the folder is entered, as a name in the parent's listing does.
  void Push(int fd, const FolderIdentity& identity, bool identity_from_descriptor,
            const char* name);
  // Leaves the deepest entered folder, closing its descriptor; its parent's comes back through
  // ".." where that is cheap.
  void Pop();

  // The number of entered folders.
  size_t Depth() const { return levels_.size(); }
  // The descriptor of the folder at `depth`, opened again where it was given back; -1 when it
  // cannot be (the folder was renamed or replaced since it was entered).
  int Descriptor(size_t depth);
  // Notes that the descriptor at `depth` is read through now; true when it was read before
  // (a listing must rewind it first).
  bool MarkRead(size_t depth);
  const FolderIdentity& Identity(size_t depth) const { return levels_[depth].identity; }
  // Descriptors held now, never more than max_open.
  size_t OpenCount() const { return open_count_; }

 private:
  struct Level {
    int fd = -1;
    bool was_read = false;  // a listing read it, so a new listing must rewind first
    FolderIdentity identity;
    bool identity_from_descriptor = false;  // read from `fd`, not from the parent's listing
    const char* name = nullptr;             // in the parent, for reopening
  };

  bool ReopenLevel(size_t depth, int fd);
  void RegainParentThroughDotDot(size_t child_depth);
  bool CloseShallowest(size_t keep_depth);
  void ConfirmIdentity(size_t depth);
  void Trim(size_t keep_depth);
  void SetFd(size_t depth, int fd);
  void CloseFd(size_t depth);

  const size_t max_open_;
  const IdentityChanged on_identity_changed_;
  std::vector<Level> levels_;  // the entered folders, the root first
  size_t open_count_ = 0;
  size_t lowest_maybe_open_ = 1;  // every level in [1, this) has its descriptor closed
  std::string root_native_;       // the charted folder's path as the system takes it
};
