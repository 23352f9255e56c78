// The POSIX folder walker: listings, the loop rules and the kernel file systems; no recursion.
#include "platform/posix/walker.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <thread>
#include <utility>

#include "platform/posix/folder_identity.h"

namespace {

// No real path is this deep; the bound only guards against a file system whose ".." never ends.
constexpr size_t kMostOuterFolders = 4096;

const std::vector<FolderEntry> kNoEntries;

// The descriptors a walk must be allowed (MaxOpenFolders) before it starts workers: a quarter
// of a limit of 64.
constexpr size_t kLeastOpenForThreads = 16;

// The threads of a walk that leaves the choice to the walker: eight per core, 64 at most, one on
// a single core. Only as many workers as cores read at once while the folders come from the
// cache; all of them while the walk reads from the disk, which answers many requests at once.
// Measured on two cores with 1.1 million entries, cold: 16 threads charted as fast as 8 and
// listed folders alone in 0.85 of their time, while 32 took a tenth longer than 16.
// Warm, 2 workers charted in 0.9 of the time of 7. The workers share their memory arenas, so
// more threads cost little memory.
size_t DefaultThreads() {
  constexpr size_t kMostDefaultThreads = 64;
  const size_t cores = std::thread::hardware_concurrency();
  return cores <= 1 ? 1 : std::min(8 * cores, kMostDefaultThreads);
}

// True when entry `index` of `listing`, in the folder open as `fd`, is a symbolic link.
bool IsLinkEntry(int fd, const FolderListing& listing, size_t index) {
  const unsigned char type = listing.NativeType(index);
  if (type != DT_UNKNOWN) return type == DT_LNK;
  struct stat status {};
  return fstatat(fd, listing.NativeName(index), &status, AT_SYMLINK_NOFOLLOW) == 0 &&
         S_ISLNK(status.st_mode);
}

}  // namespace

PosixFolderWalker::PosixFolderWalker(TextConverter& converter, int64_t utc_offset_seconds,
                                     size_t max_open, size_t max_open_ahead,
                                     std::function<void()> worker_pause)
    : reader_(converter, utc_offset_seconds),
      descriptors_(max_open,
                   [this](size_t depth, const FolderIdentity& was, const FolderIdentity& is) {
                     loops_.NoteLeft(was);
                     loops_.NoteEntered(is, levels_[depth]->below_link);
                   }),
      converter_(converter),
      utc_offset_seconds_(utc_offset_seconds),
      max_open_(max_open),
      max_open_ahead_(max_open_ahead),
      worker_pause_(std::move(worker_pause)) {}

void PosixFolderWalker::SetWalkRules(const WalkRules& rules) {
  rules_ = rules;
  reader_.SetLinkReading(rules.NeedLinkTargets, rules.CountLinksThemselves);
  reader_.SetOwnReading(rules.OwnInfoWanted);
  loops_.SetEnterOnce(rules.EnterEachFolderOnce);
}

// The workers start with the first walk that asks for them; one thread is the walk's own.
void PosixFolderWalker::StartThreads() {
  const size_t threads = rules_.Threads == 0 ? DefaultThreads() : rules_.Threads;
  // Where descriptors are scarce the walk keeps every one it may need: a worker's would be
  // missing when the walk opens a folder, and the folder would go unread.
  if (threads <= 1 || max_open_ < kLeastOpenForThreads) {
    ahead_.reset();
    return;
  }
  // The walk's own thread is one of them: it reads what no worker has started.
  if (!ahead_) {
    ahead_ = std::make_unique<ReadAhead>(threads - 1, utc_offset_seconds_, max_open_ahead_,
                                         worker_pause_);
  }
  AheadReading reading;
  reading.with_files = rules_.FilesWanted;
  reading.with_kinds = rules_.KindsWanted;
  reading.with_targets = rules_.NeedLinkTargets;
  reading.links_themselves = rules_.CountLinksThemselves;
  reading.with_own = rules_.OwnInfoWanted;
  reading.is_utf8 = converter_.IsUtf8();
  reading.is_native_kept = converter_.IsNativeKept();
  reading.dot_folders_wanted = rules_.DotFoldersWanted;
  reading.depth_limit = rules_.DepthLimit;
  reading.most_ahead_bytes =
      rules_.ChartIsStreamed ? ReadAhead::kMostAheadBytesStreamed : ReadAhead::kMostAheadBytes;
  // The listing's information follows the walk's first ListFolder; until then, a guess.
  reading.with_info = with_info_;
  ahead_->SetReading(reading);
}

bool PosixFolderWalker::EnterRoot(const PathText& path) {
  while (Depth() > 0) LeaveFolder();
  loops_.Restart();
  root_entry_ = FolderEntry{};
  root_native_ = path.Native;
  root_entry_.Own.NativeName = root_native_;
  failure_.clear();
  if (path.Native.empty()) return false;
  StartThreads();
  const int fd = descriptors_.OpenRoot(path.Native);
  if (fd < 0) {
    failure_ = std::strerror(errno);
    return false;
  }
  struct stat status {};
  const bool is_known = fstat(fd, &status) == 0;
  // The workers are steered by the blocks the process reads from its disk, which a network,
  // FUSE or memory file system never counts. Those have device numbers of major 0 (as btrfs's
  // subvolumes do), and there every worker reads.
  if (ahead_) ahead_->SetSteered(rules_.Threads == 0 && is_known && major(status.st_dev) != 0);
  if (is_known) {
    root_entry_.IsFolder = true;
    root_entry_.HasInfo = true;
    root_entry_.Size = status.st_size > 0 ? static_cast<uint64_t>(status.st_size) : 0;
    root_entry_.AllocatedBytes = static_cast<uint64_t>(status.st_blocks) * 512;
    if (rules_.OwnInfoWanted) root_entry_.Own = OwnInfoFromStatus(status);
  }
  root_entry_.Own.NativeName = root_native_;
  if (!PushLevel(fd, nullptr, SIZE_MAX, false, nullptr)) return false;
  RecordOuterFolders();
  return true;
}

bool PosixFolderWalker::EnterSubfolder(size_t index) {
  failure_.clear();
  if (Depth() == 0) return false;
  const size_t depth = Depth() - 1;
  const FolderListing& listing = levels_[depth]->listing;
  // Only an entry listed as a folder is opened; anything else cannot be entered anyway.
  if (index >= listing.Size() || !listing.Entries()[index].IsFolder) return false;
  if (ahead_) {
    const Entering prepared = EnterPrepared(index);
    if (prepared != Entering::kNotPrepared) return prepared == Entering::kEntered;
  }
  const int parent_fd = descriptors_.Descriptor(depth);
  if (parent_fd < 0) return false;
  // A folder the listing has already looked at (with sizes and times) is known by that look;
  // O_NOFOLLOW then makes sure no link has taken its place since, as it does where links are
  // not followed. What the rules keep out is not even opened where the listing tells it.
  FolderIdentity known;
  const bool is_known = listing.FolderStatId(index, known);
  const bool through_link = IsLinkEntry(parent_fd, listing, index);
  const bool known_elsewhere = is_known && known.Volume != descriptors_.Identity(0).Volume;
  if (IsKeptOutByRules(rules_, through_link, known_elsewhere)) return false;
  const int no_follow = is_known || !rules_.FollowLinks ? O_NOFOLLOW : 0;
  const char* name = listing.NativeName(index);
  const int fd = descriptors_.OpenAt(parent_fd, name, depth, no_follow);
  if (fd < 0) {
    failure_ = std::strerror(errno);
    return false;
  }
  return PushLevel(fd, name, index, through_link, is_known ? &known : nullptr);
}

// A subfolder a worker has read is entered without being opened: the walk needs its descriptor
// only to open a subfolder no worker read, and the descriptor cache opens it by its name then.
// What the worker read is a folder (no link) on its parent's device, known by its descriptor.
PosixFolderWalker::Entering PosixFolderWalker::EnterPrepared(size_t index) {
  const size_t depth = Depth() - 1;
  const Level& parent = *levels_[depth];
  std::shared_ptr<AheadFolder> prepared =
      parent.ahead ? ahead_->FindSubfolder(*parent.ahead, index) : nullptr;
  FolderIdentity identity;
  if (!prepared || !ahead_->IsReady(*prepared, with_info_, identity)) {
    return Entering::kNotPrepared;
  }
  // The parent's listing saw another folder there: the walk looks for itself.
  FolderIdentity known;
  if (parent.listing.FolderStatId(index, known) && known != identity) {
    return Entering::kNotPrepared;
  }
  const bool on_other_file_system = identity.Volume != descriptors_.Identity(0).Volume;
  if (IsKeptOutByRules(rules_, false, on_other_file_system)) return Entering::kKeptOut;
  const char* name = parent.listing.NativeName(index);
  return PushLevel(-1, name, index, false, &identity, std::move(prepared)) ? Entering::kEntered
                                                                           : Entering::kKeptOut;
}

bool PosixFolderWalker::ListFolder(bool with_info) {
  if (Depth() == 0) return false;
  const size_t depth = Depth() - 1;
  FolderListing& listing = levels_[depth]->listing;
  listing.Clear();
  failure_.clear();
  if (ahead_ && levels_[depth]->ahead && TakeListing(depth, with_info)) {
    AheadFolder& prepared = *levels_[depth]->ahead;
    if (ahead_->HasOffered(prepared)) return true;
    const int fd = descriptors_.Descriptor(depth);
    if (fd >= 0) {
      ahead_->OfferSubfolders(prepared, listing, fd, descriptors_.Identity(depth).Volume);
    }
    return true;
  }
  const int fd = descriptors_.Descriptor(depth);
  if (fd < 0) return false;
  const bool rewind = descriptors_.MarkRead(depth);
  errno = 0;
  if (reader_.Read(fd, rewind, with_info, rules_.FilesWanted, rules_.KindsWanted, listing)) {
    if (ahead_ && levels_[depth]->ahead) {
      ahead_->NoteListed(listing);
      ahead_->OfferSubfolders(*levels_[depth]->ahead, listing, fd,
                              descriptors_.Identity(depth).Volume);
    }
    return true;
  }
  failure_ = std::strerror(errno != 0 ? errno : EIO);
  return false;
}

// The listing a worker read of the folder at `depth`, when it read this very folder as the walk
// reads it. Workers read with what the walk's last listing asked; a change only costs a reading.
bool PosixFolderWalker::TakeListing(size_t depth, bool with_info) {
  if (with_info != with_info_) {
    with_info_ = with_info;
    StartThreads();
  }
  Level& level = *levels_[depth];
  return ahead_->TakeListing(*level.ahead, descriptors_.Identity(depth), with_info, level.listing);
}

bool PosixFolderWalker::CountListed(uint64_t& folders, uint64_t& files) const {
  if (!ahead_) return false;
  ahead_->CountListed(folders, files);
  return true;
}

const std::vector<FolderEntry>& PosixFolderWalker::Entries() const {
  return Depth() == 0 ? kNoEntries : levels_[Depth() - 1]->listing.Entries();
}

size_t PosixFolderWalker::LeftOutFiles() const {
  return Depth() == 0 ? 0 : levels_[Depth() - 1]->listing.LeftOutFiles();
}

void PosixFolderWalker::LeaveFolder() {
  if (Depth() == 0) return;
  const size_t depth = Depth() - 1;
  loops_.NoteLeft(descriptors_.Identity(depth));
  if (ahead_) ahead_->Drop(std::move(levels_[depth]->ahead));
  levels_[depth]->listing.Recycle();
  descriptors_.Pop();
}

// Enters the folder opened as `fd` unless the loop rules, the walk rules or a kernel file system
// keep it out; its descriptor is closed then. `prepared` is its node among its parent's, when the
// caller has found it already.
bool PosixFolderWalker::PushLevel(int fd, const char* name, size_t index, bool through_link,
                                  const FolderIdentity* known,
                                  std::shared_ptr<AheadFolder> prepared) {
  FolderIdentity identity = known != nullptr ? *known : FolderIdentity{};
  const bool parent_below_link = Depth() > 0 && levels_[Depth() - 1]->below_link;
  if ((known == nullptr && !ReadFolderIdentity(fd, identity)) ||
      !loops_.MayEnter(identity, through_link, parent_below_link) ||
      IsKeptOut(identity, fd, through_link)) {
    if (fd >= 0) close(fd);
    return false;
  }
  const bool below_link = through_link || parent_below_link;
  loops_.NoteEntered(identity, below_link);
  if (levels_.size() == Depth()) levels_.push_back(std::make_unique<Level>());
  Level& level = *levels_[Depth()];
  level.below_link = below_link;
  level.listing.Clear();
  if (ahead_) {
    if (!prepared && Depth() > 0) {
      prepared = ahead_->FindSubfolder(*levels_[Depth() - 1]->ahead, index);
    }
    level.ahead = prepared ? std::move(prepared) : ahead_->NewEntered(Depth());
  }
  descriptors_.Push(fd, identity, known == nullptr, name);
  return true;
}

// A folder on its parent's device is on its file system; only a change of device costs the
// fstatfs that tells a kernel file system. The charted folder itself is never kept out.
bool PosixFolderWalker::IsKeptOut(const FolderIdentity& identity, int fd, bool through_link) const {
  if (Depth() == 0) return false;
  const bool other_device = identity.Volume != descriptors_.Identity(Depth() - 1).Volume;
  const bool other_file_system = identity.Volume != descriptors_.Identity(0).Volume;
  return IsKeptOutByRules(rules_, through_link, other_file_system) ||
         (other_device && IsOnKernelFileSystem(fd));
}

// Notes every folder above the charted one, up to "/": a link to one of them would chart the
// charted folder again inside itself. O_PATH needs no read permission on the way up. Two
// descriptors are held at most; the root's is given back if the process has no other.
void PosixFolderWalker::RecordOuterFolders() {
  FolderIdentity below = descriptors_.Identity(0);
  int fd = descriptors_.OpenAt(descriptors_.Descriptor(0), "..", 0, O_PATH);
  for (size_t count = 0; fd >= 0 && count < kMostOuterFolders; ++count) {
    FolderIdentity identity;
    if (!ReadFolderIdentity(fd, identity) || identity == below) break;  // "/" is its own parent
    loops_.AddOuterFolder(identity);
    below = identity;
    const int parent = descriptors_.OpenAt(fd, "..", DescriptorCache::kKeepNone, O_PATH);
    close(fd);
    fd = parent;
  }
  if (fd >= 0) close(fd);
}
