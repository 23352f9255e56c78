// The bounded set of directory descriptors behind the POSIX walk.
#include "platform/posix/descriptor_cache.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <utility>

#include "platform/posix/folder_identity.h"

namespace {

// O_DIRECTORY refuses anything but a folder before it is opened, so a FIFO, socket or device that
// took a folder's place is never opened.
constexpr int kFolderOpenFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOCTTY;
constexpr size_t kFewestOpen = 4;
constexpr size_t kMostOpen = 128;
// Each folder the workers listed ahead holds its descriptor until they have opened its last
// subfolder, and one listed beyond their share offers none: the walk offers them when it gets
// there, and meanwhile the workers read folders it reaches late. Cold, on 1.1 million entries,
// a share of 64 left the processors idle for up to a fifth of the run, and a share of 1,024
// charted in 0.88 of the time; 32 threads then listed folders alone in 2.3 s, not in 5 to 9.
constexpr size_t kFewestOpenAhead = 2;
constexpr size_t kMostOpenAhead = 1024;

// A quarter of RLIMIT_NOFILE, from `fewest` to `most`.
size_t QuarterOfLimit(size_t fewest, size_t most) {
  struct rlimit limit {};
  if (getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return most;
  const rlim_t quarter = limit.rlim_cur / 4;
  return static_cast<size_t>(std::clamp<rlim_t>(quarter, fewest, most));
}

}  // namespace

size_t MaxOpenFolders() { return QuarterOfLimit(kFewestOpen, kMostOpen); }

size_t MaxOpenAhead() { return QuarterOfLimit(kFewestOpenAhead, kMostOpenAhead); }

DescriptorCache::DescriptorCache(size_t max_open, IdentityChanged on_identity_changed)
    : max_open_(std::max<size_t>(max_open, 2)),
      on_identity_changed_(std::move(on_identity_changed)) {}

DescriptorCache::~DescriptorCache() {
  for (size_t depth = 0; depth < levels_.size(); ++depth) CloseFd(depth);
}

int DescriptorCache::OpenRoot(const std::string& native_path) {
  root_native_ = native_path;
  return OpenAt(AT_FDCWD, root_native_.c_str(), kKeepNone);
}

int DescriptorCache::OpenAt(int base_fd, const char* name, size_t keep_depth, int extra_flags) {
  for (;;) {
    const int fd = openat(base_fd, name, kFolderOpenFlags | extra_flags);
    if (fd >= 0) return fd;
    if (errno == EINTR) continue;
    // The process is out of descriptors: give back one of ours and try again.
    if ((errno == EMFILE || errno == ENFILE) && CloseShallowest(keep_depth)) continue;
    return -1;
  }
}

void DescriptorCache::Push(int fd, const FolderIdentity& identity, bool identity_from_descriptor,
                           const char* name) {
  levels_.push_back(Level{-1, false, identity, identity_from_descriptor, name});
  if (fd < 0) return;  // entered closed: Descriptor opens it when it is first needed
  SetFd(levels_.size() - 1, fd);
  Trim(levels_.size() - 1);
}

void DescriptorCache::Pop() {
  if (levels_.empty()) return;
  const size_t depth = levels_.size() - 1;
  if (depth > 0) RegainParentThroughDotDot(depth);
  CloseFd(depth);
  levels_.pop_back();
}

// Opens the remembered names one by one from the nearest ancestor that still has a descriptor,
// or from the root opened again by its path. Each folder opened on the way keeps its
// descriptor, so the walk back up finds the deepest ones open.
int DescriptorCache::Descriptor(size_t depth) {
  if (levels_[depth].fd >= 0) return levels_[depth].fd;
  size_t base = depth;
  while (base > 0 && levels_[base].fd < 0) --base;
  if (levels_[base].fd < 0 && !ReopenLevel(0, OpenAt(AT_FDCWD, root_native_.c_str(), 0))) {
    return -1;
  }
  for (size_t next = base + 1; next <= depth; ++next) {
    const int parent_fd = levels_[next - 1].fd;
    if (!ReopenLevel(next, OpenAt(parent_fd, levels_[next].name, next - 1))) return -1;
  }
  return levels_[depth].fd;
}

bool DescriptorCache::MarkRead(size_t depth) {
  return std::exchange(levels_[depth].was_read, true);
}

// Hands `fd`, opened anew, to the level at `depth` if it is still the folder entered there. A
// folder renamed or replaced since it was entered is gone for the walk.
bool DescriptorCache::ReopenLevel(size_t depth, int fd) {
  if (fd < 0) return false;
  FolderIdentity identity;
  if (!ReadFolderIdentity(fd, identity) || identity != levels_[depth].identity) {
    close(fd);
    return false;
  }
  SetFd(depth, fd);
  Trim(depth);
  return true;
}

// The cheap way back up: the child's ".." is its parent unless the child was reached through a
// link, which the identity check catches. Failing is fine; Descriptor walks down later.
void DescriptorCache::RegainParentThroughDotDot(size_t child_depth) {
  const Level& child = levels_[child_depth];
  const Level& parent = levels_[child_depth - 1];
  if (parent.fd >= 0 || child.fd < 0) return;
  const int fd = openat(child.fd, "..", kFolderOpenFlags);
  if (fd < 0) return;
  FolderIdentity identity;
  if (!ReadFolderIdentity(fd, identity) || identity != parent.identity) {
    close(fd);
    return;
  }
  SetFd(child_depth - 1, fd);
}

// Closes the descriptor of the shallowest folder below the root that holds one, except the one
// at `keep_depth`; the root's only when no other is left, as it is the base of every reopening.
// False when there is none to close.
bool DescriptorCache::CloseShallowest(size_t keep_depth) {
  const size_t depth_count = levels_.size();
  size_t depth = lowest_maybe_open_;
  while (depth < depth_count && levels_[depth].fd < 0) ++depth;
  lowest_maybe_open_ = depth;
  for (; depth < depth_count; ++depth) {
    if (depth != keep_depth && levels_[depth].fd >= 0) {
      ConfirmIdentity(depth);
      CloseFd(depth);
      return true;
    }
  }
  if (keep_depth == 0 || depth_count == 0 || levels_[0].fd < 0) return false;
  CloseFd(0);
  return true;
}

// A folder entered on its listing's look is compared with what its descriptor says before the
// descriptor goes, since every later reopening is checked against its identity.
void DescriptorCache::ConfirmIdentity(size_t depth) {
  Level& level = levels_[depth];
  if (level.identity_from_descriptor) return;
  level.identity_from_descriptor = true;
  FolderIdentity identity;
  if (!ReadFolderIdentity(level.fd, identity) || identity == level.identity) return;
  const FolderIdentity was = level.identity;
  level.identity = identity;
  on_identity_changed_(depth, was, identity);
}

void DescriptorCache::Trim(size_t keep_depth) {
  while (open_count_ > max_open_ && CloseShallowest(keep_depth)) {
  }
}

void DescriptorCache::SetFd(size_t depth, int fd) {
  Level& level = levels_[depth];
  level.fd = fd;
  level.was_read = false;
  ++open_count_;
  if (depth > 0) lowest_maybe_open_ = std::min(lowest_maybe_open_, depth);
}

void DescriptorCache::CloseFd(size_t depth) {
  Level& level = levels_[depth];
  if (level.fd < 0) return;
  close(level.fd);
  level.fd = -1;
  --open_count_;
}
