// The POSIX folder walker: directory descriptors, a bounded number of them, and no recursion.
#include "platform/posix_walker.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/magic.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <functional>
#include <string>

namespace {

// O_DIRECTORY refuses anything but a folder before it is opened, so a FIFO, socket or device that
// took a folder's place is never opened.
constexpr int kFolderOpenFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOCTTY;
constexpr size_t kFewestOpen = 4;
constexpr size_t kMostOpen = 128;
// No real path is this deep; the bound only guards against a file system whose ".." never ends.
constexpr size_t kMostOuterFolders = 4096;

// Where a descriptor may be given back from any level: none is in use as a base.
constexpr size_t kKeepNone = SIZE_MAX;

// Kernel file systems whose magic numbers not every <linux/magic.h> names; values as the kernel
// defines them in the file systems' own sources.
#ifndef CONFIGFS_MAGIC
#define CONFIGFS_MAGIC 0x62656570
#endif
#ifndef FUSECTL_SUPER_MAGIC
#define FUSECTL_SUPER_MAGIC 0x65735543
#endif
#ifndef MQUEUE_MAGIC
#define MQUEUE_MAGIC 0x19800202
#endif

// File systems whose files the kernel makes up as they are read: not on a disk, sizes invented
// (a /proc/kcore of 128 TB), and full of links back into the whole machine. tmpfs and devtmpfs
// hold real files in memory and are not among them.
constexpr uint32_t kKernelFileSystems[] = {
    PROC_SUPER_MAGIC,   SYSFS_MAGIC,    CGROUP_SUPER_MAGIC, CGROUP2_SUPER_MAGIC,
    DEVPTS_SUPER_MAGIC, DEBUGFS_MAGIC,  TRACEFS_MAGIC,      SECURITYFS_MAGIC,
    PSTOREFS_MAGIC,     BPF_FS_MAGIC,   CONFIGFS_MAGIC,     FUSECTL_SUPER_MAGIC,
    MQUEUE_MAGIC,       BINFMTFS_MAGIC,
};

bool IsOnKernelFileSystem(int fd) {
  struct statfs status {};
  if (fstatfs(fd, &status) != 0) return false;
  const uint32_t type = static_cast<uint32_t>(status.f_type);
  return std::find(std::begin(kKernelFileSystems), std::end(kKernelFileSystems), type) !=
         std::end(kKernelFileSystems);
}

const std::vector<FolderEntry> kNoEntries;

}  // namespace

size_t MaxOpenFolders() {
  struct rlimit limit {};
  if (getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return kMostOpen;
  const rlim_t quarter = limit.rlim_cur / 4;
  return static_cast<size_t>(std::clamp<rlim_t>(quarter, kFewestOpen, kMostOpen));
}

PosixFolderWalker::PosixFolderWalker(TextConverter& converter, int64_t utc_offset_seconds,
                                     size_t max_open, ProgressLine* progress)
    : reader_(converter, utc_offset_seconds),
      max_open_(std::max<size_t>(max_open, 2)),  // a parent's and its child's
      progress_(progress) {
  if (progress_ != nullptr) progress_->Begin(MonotonicMilliseconds());
}

PosixFolderWalker::~PosixFolderWalker() {
  for (size_t depth = 0; depth < depth_; ++depth) CloseFd(depth);
}

bool PosixFolderWalker::EnterRoot(const PathText& path) {
  while (depth_ > 0) LeaveFolder();
  root_native_ = path.Native;
  if (root_native_.empty()) return false;
  const int fd = OpenRoot(kKeepNone);
  if (fd < 0) return false;
  if (progress_ != nullptr) root_shown_ = path.Shown;
  loops_.Restart();
  if (!PushLevel(fd, 0, false, nullptr)) return false;
  RecordOuterFolders();
  return true;
}

int PosixFolderWalker::OpenRoot(size_t keep_depth) {
  for (;;) {
    const int fd = open(root_native_.c_str(), kFolderOpenFlags);
    if (fd >= 0) return fd;
    if (errno == EINTR) continue;
    if ((errno == EMFILE || errno == ENFILE) && CloseShallowest(keep_depth)) continue;
    return -1;
  }
}

bool PosixFolderWalker::EnterSubfolder(size_t index) {
  if (depth_ == 0) return false;
  const size_t depth = depth_ - 1;
  Level& level = *levels_[depth];
  // Only an entry listed as a folder is opened; anything else cannot be entered anyway.
  if (index >= level.listing.Size() || !level.listing.Entries()[index].IsFolder) return false;
  if (!EnsureOpen(depth)) return false;
  // A folder the listing has already looked at (with sizes and times) is known by that look;
  // O_NOFOLLOW then makes sure no link has taken its place since, as it does where links are
  // not followed. What the rules keep out is not even opened where the listing tells it.
  FolderIdentity known;
  const bool is_known = level.listing.FolderStatId(index, known);
  const bool through_link = IsLinkEntry(level, index);
  const bool known_elsewhere = is_known && known.Volume != levels_[0]->id.Volume;
  if (IsKeptOutByRules(rules_, through_link, known_elsewhere)) return false;
  const int no_follow = is_known || !rules_.FollowLinks ? O_NOFOLLOW : 0;
  const int fd = OpenChild(level.fd, level.listing.NativeName(index), depth, no_follow);
  if (fd < 0) return false;
  return PushLevel(fd, index, through_link, is_known ? &known : nullptr);
}

bool PosixFolderWalker::ListFolder(bool with_info) {
  if (depth_ == 0) return false;
  const size_t depth = depth_ - 1;
  Level& level = *levels_[depth];
  level.listing.Clear();
  if (!EnsureOpen(depth)) return false;
  const bool listed =
      reader_.Read(level.fd, level.fd_was_read, with_info, rules_.FilesWanted, level.listing);
  level.fd_was_read = true;
  if (progress_ != nullptr) ReportProgress(level.listing);
  return listed;
}

const std::vector<FolderEntry>& PosixFolderWalker::Entries() const {
  return depth_ == 0 ? kNoEntries : levels_[depth_ - 1]->listing.Entries();
}

void PosixFolderWalker::LeaveFolder() {
  if (depth_ == 0) return;
  const size_t depth = depth_ - 1;
  if (depth > 0) RegainParentThroughDotDot(depth);
  Level& level = *levels_[depth];
  CloseFd(depth);
  loops_.NoteLeft(level.id);
  level.listing.Recycle();
  depth_ = depth;
}

bool PosixFolderWalker::PushLevel(int fd, size_t index_in_parent, bool through_link,
                                  const FolderIdentity* known_id) {
  FolderIdentity id = known_id != nullptr ? *known_id : FolderIdentity{};
  const bool parent_below_link = depth_ > 0 && levels_[depth_ - 1]->below_link;
  if ((known_id == nullptr && !ReadId(fd, id)) ||
      !loops_.MayEnter(id, through_link, parent_below_link) || IsKeptOut(id, fd, through_link)) {
    close(fd);
    return false;
  }
  const bool below_link = through_link || parent_below_link;
  loops_.NoteEntered(id, below_link);
  if (levels_.size() == depth_) levels_.push_back(std::make_unique<Level>());
  Level& level = *levels_[depth_];
  level.id = id;
  level.id_from_descriptor = known_id == nullptr;
  level.index_in_parent = index_in_parent;
  level.below_link = below_link;
  level.listing.Clear();
  ++depth_;
  SetFd(depth_ - 1, fd);
  TrimDescriptors(depth_ - 1);
  return true;
}

// A folder on its parent's device is on its file system; only a change of device costs the
// fstatfs that tells a kernel file system. The charted folder itself is never kept out.
bool PosixFolderWalker::IsKeptOut(const FolderIdentity& id, int fd, bool through_link) const {
  if (depth_ == 0) return false;
  const bool other_device = id.Volume != levels_[depth_ - 1]->id.Volume;
  const bool other_file_system = id.Volume != levels_[0]->id.Volume;
  return IsKeptOutByRules(rules_, through_link, other_file_system) ||
         (other_device && IsOnKernelFileSystem(fd));
}

bool PosixFolderWalker::IsLinkEntry(const Level& level, size_t index) const {
  const unsigned char type = level.listing.NativeType(index);
  if (type != DT_UNKNOWN) return type == DT_LNK;
  struct stat status {};
  return fstatat(level.fd, level.listing.NativeName(index), &status, AT_SYMLINK_NOFOLLOW) == 0 &&
         S_ISLNK(status.st_mode);
}

// Remembers every folder above the charted one, up to "/": a link to one of them would chart
// the charted folder again inside itself. O_PATH needs no read permission on the way up. Two
// descriptors are held at most; the root's is given back if the process has no other.
void PosixFolderWalker::RecordOuterFolders() {
  FolderIdentity below = levels_[0]->id;
  int fd = OpenChild(levels_[0]->fd, "..", 0, O_PATH);
  for (size_t count = 0; fd >= 0 && count < kMostOuterFolders; ++count) {
    FolderIdentity id;
    if (!ReadId(fd, id) || id == below) break;  // "/" is its own parent
    loops_.AddOuterFolder(id);
    below = id;
    const int parent = OpenChild(fd, "..", kKeepNone, O_PATH);
    close(fd);
    fd = parent;
  }
  if (fd >= 0) close(fd);
}

// Gives the folder at `depth` its descriptor back, opening the remembered names one by one from
// the nearest ancestor that still has one, or from the root opened again by its path. Each
// folder opened on the way keeps its descriptor, so the walk back up finds the deepest ones open.
bool PosixFolderWalker::EnsureOpen(size_t depth) {
  if (levels_[depth]->fd >= 0) return true;
  size_t base = depth;
  while (base > 0 && levels_[base]->fd < 0) --base;
  if (levels_[base]->fd < 0 && !ReopenLevel(0, OpenRoot(0))) return false;
  for (size_t next = base + 1; next <= depth; ++next) {
    const Level& parent = *levels_[next - 1];
    const char* name = parent.listing.NativeName(levels_[next]->index_in_parent);
    if (!ReopenLevel(next, OpenChild(parent.fd, name, next - 1))) return false;
  }
  return true;
}

// Hands `fd`, opened anew, to the level at `depth` if it is still the folder entered there. A
// folder renamed or replaced since it was entered is gone for the walk.
bool PosixFolderWalker::ReopenLevel(size_t depth, int fd) {
  if (fd < 0) return false;
  FolderIdentity id;
  if (!ReadId(fd, id) || id != levels_[depth]->id) {
    close(fd);
    return false;
  }
  SetFd(depth, fd);
  TrimDescriptors(depth);
  return true;
}

// The cheap way back up: the child's ".." is its parent unless the child was reached through a
// link, which the device and inode check catches. Failing is fine; EnsureOpen walks down later.
void PosixFolderWalker::RegainParentThroughDotDot(size_t child_depth) {
  const Level& child = *levels_[child_depth];
  const Level& parent = *levels_[child_depth - 1];
  if (parent.fd >= 0 || child.fd < 0) return;
  const int fd = openat(child.fd, "..", kFolderOpenFlags);
  if (fd < 0) return;
  FolderIdentity id;
  if (!ReadId(fd, id) || id != parent.id) {
    close(fd);
    return;
  }
  SetFd(child_depth - 1, fd);
}

int PosixFolderWalker::OpenChild(int parent_fd, const char* name, size_t keep_depth,
                                 int extra_flags) {
  for (;;) {
    const int fd = openat(parent_fd, name, kFolderOpenFlags | extra_flags);
    if (fd >= 0) return fd;
    if (errno == EINTR) continue;
    // The process is out of descriptors: give back one of ours and try again.
    if ((errno == EMFILE || errno == ENFILE) && CloseShallowest(keep_depth)) continue;
    return -1;
  }
}

// Closes the descriptor of the shallowest folder below the root that holds one, except the one
// at `keep_depth`; the root's only when no other is left, as it is the base of every reopening.
// False when there is none to close.
bool PosixFolderWalker::CloseShallowest(size_t keep_depth) {
  size_t depth = lowest_maybe_open_;
  while (depth < depth_ && levels_[depth]->fd < 0) ++depth;
  lowest_maybe_open_ = depth;
  for (; depth < depth_; ++depth) {
    if (depth != keep_depth && levels_[depth]->fd >= 0) {
      ConfirmId(*levels_[depth]);
      CloseFd(depth);
      return true;
    }
  }
  if (keep_depth == 0 || depth_ == 0 || levels_[0]->fd < 0) return false;
  CloseFd(0);
  return true;
}

// A folder entered on its listing's look is compared with what its descriptor says before the
// descriptor goes, since every later reopening is checked against its id. The two differ where
// opening mounted something on the folder (an automount point) or where the folder was
// replaced in between; the descriptor's is the folder the walk is in.
void PosixFolderWalker::ConfirmId(Level& level) {
  if (level.id_from_descriptor) return;
  level.id_from_descriptor = true;
  FolderIdentity id;
  if (!ReadId(level.fd, id) || id == level.id) return;
  loops_.NoteLeft(level.id);
  loops_.NoteEntered(id, level.below_link);
  level.id = id;
}

void PosixFolderWalker::TrimDescriptors(size_t keep_depth) {
  while (open_count_ > max_open_ && CloseShallowest(keep_depth)) {
  }
}

void PosixFolderWalker::SetFd(size_t depth, int fd) {
  Level& level = *levels_[depth];
  level.fd = fd;
  level.fd_was_read = false;
  ++open_count_;
  if (depth > 0) lowest_maybe_open_ = std::min(lowest_maybe_open_, depth);
}

void PosixFolderWalker::CloseFd(size_t depth) {
  Level& level = *levels_[depth];
  if (level.fd < 0) return;
  close(level.fd);
  level.fd = -1;
  --open_count_;
}

bool PosixFolderWalker::ReadId(int fd, FolderIdentity& id) {
  struct stat status {};
  if (fstat(fd, &status) != 0) return false;
  id = FolderIdentity{status.st_dev, status.st_ino};
  return true;
}

// The clock is read once per folder, which costs far less than reading the folder did.
void PosixFolderWalker::ReportProgress(const FolderListing& listing) {
  size_t files = listing.LeftOutFiles();
  for (const FolderEntry& entry : listing.Entries()) files += entry.IsFolder ? 0 : 1;
  const int64_t now = MonotonicMilliseconds();
  if (progress_->NoteFolder(files, now)) progress_->Show(ShownPath(), now);
}

// The current folder's path in code page 932, as its names are shown in the chart.
std::string PosixFolderWalker::ShownPath() const {
  std::string path = root_shown_;
  for (size_t depth = 1; depth < depth_; ++depth) {
    if (path.empty() || path.back() != '/') path += '/';
    const Level& parent = *levels_[depth - 1];
    path += parent.listing.Entries()[levels_[depth]->index_in_parent].Name;
  }
  return path;
}
