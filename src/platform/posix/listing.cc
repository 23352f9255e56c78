// Reading a folder with getdents64: one system call per block of names, and per entry no call at
// all unless its type is unknown, it is a link, or its size and time are asked for.
#include "platform/posix/listing.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <span>

#include "common/path_text.h"
#include "platform/posix/file_time.h"
#include "platform/posix/name_order.h"

namespace {

constexpr size_t kBlockSize = 64 * 1024;
// A listing that grew past this many bytes gives its storage back when its folder is left.
constexpr size_t kKeptCapacity = 16 * 1024;

// The kernel's record (struct linux_dirent64): 64-bit inode and offset, then these fields.
constexpr size_t kRecordLengthAt = 16;  // d_reclen, 16 bits
constexpr size_t kTypeAt = 18;          // d_type
constexpr size_t kNameAt = 19;          // d_name, zero-terminated, padded to the record's end

// A type the folder reports that is surely no folder: not a directory, a link or unknown.
bool IsKnownFile(unsigned char type) {
  return type != DT_DIR && type != DT_LNK && type != DT_UNKNOWN;
}

template <typename T>
size_t CapacityBytes(const std::vector<T>& items) {
  return items.capacity() * sizeof(T);
}

template <typename T>
void FreeStorage(std::vector<T>& items) {
  std::vector<T>().swap(items);
}

// The kind of an entry whose stat (through any link) gave `mode`, when `is_followed`.
EntryKind KindOfEntry(bool is_followed, bool is_link, mode_t mode) {
  if (is_link) return is_followed ? KindLink : KindOrphanLink;
  if (!is_followed) return KindPlain;
  if (S_ISDIR(mode)) {
    const bool is_sticky = (mode & S_ISVTX) != 0;
    const bool is_other_writable = (mode & S_IWOTH) != 0;
    if (is_sticky && is_other_writable) return KindStickyOtherWritableFolder;
    if (is_other_writable) return KindOtherWritableFolder;
    return is_sticky ? KindStickyFolder : KindFolder;
  }
  if (S_ISFIFO(mode)) return KindFifo;
  if (S_ISSOCK(mode)) return KindSocket;
  if (S_ISBLK(mode)) return KindBlockDevice;
  if (S_ISCHR(mode)) return KindCharDevice;
  if ((mode & S_ISUID) != 0) return KindSetUid;
  if ((mode & S_ISGID) != 0) return KindSetGid;
  return (mode & (S_IXUSR | S_IXGRP | S_IXOTH)) != 0 ? KindExecutable : KindPlain;
}

}  // namespace

void FolderListing::Clear() {
  native_bytes_.clear();
  names_.clear();
  shown_bytes_.clear();
  entries_.clear();
  folder_stats_.clear();
  target_bytes_.clear();
  target_spans_.clear();
  converted_bytes_ = 0;
  left_out_files_ = 0;
}

size_t FolderListing::HeldBytes() const {
  return CapacityBytes(native_bytes_) + CapacityBytes(names_) + CapacityBytes(shown_bytes_) +
         CapacityBytes(entries_) + CapacityBytes(folder_stats_) + CapacityBytes(target_bytes_) +
         CapacityBytes(target_spans_);
}

void FolderListing::Recycle() {
  Clear();
  if (HeldBytes() <= kKeptCapacity) return;
  FreeStorage(native_bytes_);
  FreeStorage(names_);
  FreeStorage(shown_bytes_);
  FreeStorage(entries_);
  FreeStorage(folder_stats_);
  FreeStorage(target_bytes_);
  FreeStorage(target_spans_);
}

bool FolderListing::FolderStatId(size_t index, FolderIdentity& identity) const {
  const auto found =
      std::lower_bound(folder_stats_.begin(), folder_stats_.end(), index,
                       [](const FolderStat& stat, size_t wanted) { return stat.index < wanted; });
  if (found == folder_stats_.end() || found->index != index) return false;
  identity = found->identity;
  return true;
}

FolderReader::FolderReader(TextConverter& converter, int64_t utc_offset_seconds)
    : converter_(converter),
      utc_offset_seconds_(utc_offset_seconds),
      block_(new char[kBlockSize]) {}

bool FolderReader::Read(int fd, bool rewind, bool with_info, bool with_files, bool with_kinds,
                        FolderListing& listing) {
  listing.Clear();
  if (rewind && lseek(fd, 0, SEEK_SET) < 0) return false;
  if (!ReadNames(fd, with_files, listing)) return false;
  SortNames(listing);
  FillEntries(fd, with_info, with_kinds, listing);
  return true;
}

// Calls `visit(name, type)` for each record of the `end` bytes of `block` that getdents64 filled,
// until it returns false; false then.
template <typename Visit>
bool VisitRecords(const char* block, size_t end, Visit visit) {
  size_t at = 0;
  while (at + kNameAt < end) {
    uint16_t record_length = 0;
    std::memcpy(&record_length, block + at + kRecordLengthAt, sizeof record_length);
    if (record_length <= kNameAt || at + record_length > end) break;  // never read past a record
    const char* name = block + at + kNameAt;
    const std::string_view native(name, strnlen(name, record_length - kNameAt));
    if (!visit(native, static_cast<unsigned char>(block[at + kTypeAt]))) return false;
    at += record_length;
  }
  return true;
}

// Makes room in `items` for `more` beyond its size at once, growing at least twofold as
// push_back would: a folder's names arrive block by block.
template <typename T>
void ReserveMore(std::vector<T>& items, size_t more) {
  const size_t wanted = items.size() + more;
  if (wanted > items.capacity()) items.reserve(std::max(wanted, items.capacity() * 2));
}

bool FolderReader::ReadNames(int fd, bool with_files, FolderListing& listing) {
  bool first_block = true;
  const auto is_entry = [](std::string_view native) {
    return !native.empty() && !IsDotOrDotDot(native);
  };
  const auto is_kept = [&](std::string_view native, unsigned char type) {
    return is_entry(native) && (with_files || !IsKnownFile(type));
  };
  for (;;) {
    const long got = syscall(SYS_getdents64, fd, block_.get(), kBlockSize);
    if (got < 0 && errno == EINTR) continue;
    // Like an enumeration that fails midway: what was read stands, the rest is missed.
    if (got < 0) return !first_block;
    if (got == 0) return true;
    first_block = false;
    const size_t end = static_cast<size_t>(got);
    // The block's names are counted first and the listing grown once for them: growing it name
    // by name cost the workers more in allocations than anything else they do.
    size_t names = 0;
    size_t name_bytes = 0;
    VisitRecords(block_.get(), end, [&](std::string_view native, unsigned char type) {
      if (is_kept(native, type)) {
        ++names;
        name_bytes += native.size() + 1;
      }
      return true;
    });
    ReserveMore(listing.names_, names);
    ReserveMore(listing.native_bytes_, name_bytes);
    const bool is_whole =
        VisitRecords(block_.get(), end, [&](std::string_view native, unsigned char type) {
          if (is_kept(native, type)) return AddName(native, type, listing);
          if (is_entry(native)) ++listing.left_out_files_;
          return true;
        });
    if (!is_whole) return true;
  }
}

bool FolderReader::AddName(std::string_view name, unsigned char type, FolderListing& listing) {
  const size_t offset = listing.native_bytes_.size();
  // Offsets are 32 bits; a folder whose names fill 4 GiB ends its listing there, like a read
  // that fails midway. No name is longer than a d_name holds, which 16 bits cover.
  if (offset + name.size() + 1 > UINT32_MAX || name.size() > UINT16_MAX) return false;
  listing.native_bytes_.insert(listing.native_bytes_.end(), name.begin(), name.end());
  listing.native_bytes_.push_back('\0');
  const bool converted = !IsPrintableAscii(name);
  listing.names_.push_back({NameOrderPrefix(name), static_cast<uint32_t>(offset),
                            static_cast<uint16_t>(name.size()), type, converted});
  if (converted) listing.converted_bytes_ += converter_.MaxShownLength(name.size());
  return true;
}

void FolderReader::SortNames(FolderListing& listing) {
  const char* bytes = listing.native_bytes_.data();
  std::sort(
      listing.names_.begin(), listing.names_.end(),
      [bytes](const FolderListing::NativeNameSpan& a, const FolderListing::NativeNameSpan& b) {
        if (a.order_prefix != b.order_prefix) return a.order_prefix < b.order_prefix;
        return NativeNameLess(std::string_view(bytes + a.offset, a.length),
                              std::string_view(bytes + b.offset, b.length));
      });
}

void FolderReader::FillEntries(int fd, bool with_info, bool with_kinds, FolderListing& listing) {
  // Read cleared the listing, so every entry starts as a fresh FolderEntry.
  listing.entries_.resize(listing.names_.size());
  // Room for every converted name at once, made before the first is written, each name given
  // the most its shown form can take, so the buffer never moves and the names already pointing
  // into it stay valid.
  listing.shown_bytes_.resize(listing.converted_bytes_);
  std::span<char> shown_room(listing.shown_bytes_);
  for (size_t i = 0; i < listing.names_.size(); ++i) {
    const FolderListing::NativeNameSpan& span = listing.names_[i];
    const std::string_view native(listing.native_bytes_.data() + span.offset, span.length);
    FolderEntry& entry = listing.entries_[i];
    // The common case, a name of printable ASCII, shares the native bytes.
    entry.Name = span.converted ? WriteShownName(native, shown_room) : native;
    ReadEntryStatus(fd, i, with_info, with_kinds, listing);
  }
  SetTargets(listing);
}

std::string_view FolderReader::WriteShownName(std::string_view native, std::span<char>& room) {
  const size_t length = converter_.WriteDisplayName(native, room);
  const std::string_view shown(room.data(), length);
  room = room.subspan(length);
  return shown;
}

// A link is looked at itself first (lstat, which is the entry itself for anything else), then
// where it leads, which tells whether it is a folder; a file link keeps its own size and time, as
// a Windows listing reports the link and not its target.
void FolderReader::ReadEntryStatus(int fd, size_t index, bool with_info, bool with_kinds,
                                   FolderListing& listing) {
  const FolderListing::NativeNameSpan& span = listing.names_[index];
  const char* name = listing.native_bytes_.data() + span.offset;
  FolderEntry& entry = listing.entries_[index];
  const bool type_known = span.type != DT_LNK && span.type != DT_UNKNOWN;
  if (type_known) entry.IsFolder = span.type == DT_DIR;
  if (with_own_) entry.Own.NativeName = std::string_view(name, span.length);
  // Nothing to ask the system.
  if (type_known && !with_info && !with_kinds && !with_own_) return;

  // fstatat never opens the entry, so FIFOs, sockets and devices are safe to look at.
  struct stat own {};
  bool is_link = span.type == DT_LNK;
  const bool has_own = (with_info || with_kinds || with_own_ || !type_known) &&
                       fstatat(fd, name, &own, AT_SYMLINK_NOFOLLOW) == 0;
  if (has_own) is_link = S_ISLNK(own.st_mode);
  if (has_own && with_own_) {
    const std::string_view native_name = entry.Own.NativeName;
    entry.Own = OwnInfoFromStatus(own);
    entry.Own.NativeName = native_name;
  }
  if (has_own && !type_known && !is_link) entry.IsFolder = S_ISDIR(own.st_mode);
  struct stat target {};
  const bool is_followed = is_link && fstatat(fd, name, &target, 0) == 0;
  if (is_followed) entry.IsFolder = S_ISDIR(target.st_mode);
  entry.IsLink = is_link;
  if (is_link && with_targets_) ReadLinkTarget(fd, index, listing);
  if (with_kinds) {
    const bool is_reached = is_link ? is_followed : has_own;
    entry.Kind = KindOfEntry(is_reached, is_link, is_link ? target.st_mode : own.st_mode);
  }
  // A link that leads nowhere (or into a loop of links) is a file with its own size and time;
  // anything else that cannot be read stays unread.
  if (!with_info || !has_own) return;
  const bool is_target_shown = is_followed && entry.IsFolder && !links_themselves_;
  const struct stat& status = is_target_shown ? target : own;

  // A folder's identity comes with its information, so entering it needs no stat of its own.
  if (span.type == DT_DIR && S_ISDIR(status.st_mode)) {
    listing.folder_stats_.push_back({index, FolderIdentity{status.st_dev, status.st_ino}});
  }
  entry.HasInfo = true;
  entry.Size = status.st_size > 0 ? static_cast<uint64_t>(status.st_size) : 0;
  entry.AllocatedBytes = static_cast<uint64_t>(status.st_blocks) * 512;
  entry.HasOtherNames = !S_ISDIR(status.st_mode) && status.st_nlink > 1;
  entry.FileId = FolderIdentity{status.st_dev, status.st_ino};
  entry.WriteTime =
      LocalFileTimeFromPosix(status.st_mtim.tv_sec, status.st_mtim.tv_nsec, utc_offset_seconds_);
}

void FolderReader::ReadLinkTarget(int fd, size_t index, FolderListing& listing) {
  char native[PATH_MAX];
  const ssize_t length = readlinkat(fd, listing.NativeName(index), native, sizeof native);
  if (length <= 0) return;  // unreadable: the line shows the name alone
  const std::string_view target(native, static_cast<size_t>(length));
  std::vector<char>& bytes = listing.target_bytes_;
  const size_t offset = bytes.size();
  bytes.resize(offset + converter_.MaxShownLength(target.size()));
  const size_t shown = converter_.WriteDisplayName(target, std::span<char>(bytes).subspan(offset));
  bytes.resize(offset + shown);
  listing.target_spans_.push_back({index, offset, shown});
}

// The targets' storage grows while they are read, so the entries point into it only at the end.
void FolderReader::SetTargets(FolderListing& listing) {
  for (const FolderListing::TargetSpan& span : listing.target_spans_) {
    listing.entries_[span.index].LinkTarget =
        std::string_view(listing.target_bytes_.data() + span.offset, span.length);
  }
}

EntryOwnInfo OwnInfoFromStatus(const struct stat& status) {
  EntryOwnInfo info;
  info.HasInfo = true;
  info.IsRegular = S_ISREG(status.st_mode);
  info.Size = status.st_size > 0 ? static_cast<uint64_t>(status.st_size) : 0;
  info.AllocatedBytes = static_cast<uint64_t>(status.st_blocks) * 512;
  info.FileId = FolderIdentity{status.st_dev, status.st_ino};
  info.LinkCount = status.st_nlink;
  info.WriteSeconds = status.st_mtim.tv_sec;
  return info;
}
