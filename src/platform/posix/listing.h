// One folder's listing read from an open directory descriptor: native names kept for re-opening,
// shown names in code page 932, folder flags and, on request, sizes and times.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

#include "platform/platform.h"
#include "platform/posix/text.h"

// The storage of one listing. Every FolderEntry::Name points into it, so it is never touched
// while the listing is in use; it is reused (capacity kept) from one folder to the next.
class FolderListing {
 public:
  const std::vector<FolderEntry>& Entries() const { return entries_; }
  size_t Size() const { return names_.size(); }
  // The native name of entry `index`, zero-terminated, as openat needs it.
  const char* NativeName(size_t index) const { return native_bytes_.data() + names_[index].offset; }
  // The d_type of entry `index` (DT_UNKNOWN where the file system does not say).
  unsigned char NativeType(size_t index) const { return names_[index].type; }
  // The files the folder held beyond Entries() when the listing was read without files.
  size_t LeftOutFiles() const { return left_out_files_; }
  // The device and inode that the listing's stat found for entry `index`, a folder the directory
  // itself reported as one (no link). False where the listing read no information, or for any
  // other entry.
  bool FolderStatId(size_t index, FolderIdentity& identity) const;

  // The bytes of storage it holds, used or kept for the next listing.
  size_t HeldBytes() const;
  // Forgets the entries but keeps the storage for the next listing.
  void Clear();
  // Forgets the entries and frees storage grown large, so a huge folder does not pin its memory.
  void Recycle();

 private:
  friend class FolderReader;
  // 16 bytes: a folder of a million entries lists them in 16 MB besides their names.
  struct NativeNameSpan {
    uint64_t order_prefix;  // NameOrderPrefix of the name, compared first
    uint32_t offset;        // into native_bytes_
    uint16_t length;        // without the zero; a native name is at most 255 bytes
    unsigned char type;     // d_type
    bool converted;         // shown through the converter, not as its own bytes
  };

  std::vector<char> native_bytes_;
  std::vector<NativeNameSpan> names_;  // in enumeration order once sorted
  std::vector<char> shown_bytes_;      // shown names that differ from their native bytes
  size_t converted_bytes_ = 0;         // native bytes of the names that need converting
  std::vector<FolderEntry> entries_;   // parallel to names_
  struct FolderStat {
    size_t index;
    FolderIdentity identity;
  };
  std::vector<FolderStat> folder_stats_;  // by index, as FolderStatId tells them
  struct TargetSpan {
    size_t index;
    size_t offset;  // into target_bytes_
    size_t length;
  };
  std::vector<char> target_bytes_;        // shown link targets, once all are read
  std::vector<TargetSpan> target_spans_;  // by index
  size_t left_out_files_ = 0;
};

// Reads folders into listings. Owns the buffer that getdents64 fills, shared by every level.
class FolderReader {
 public:
  FolderReader(TextConverter& converter, int64_t utc_offset_seconds);

  // Fills `listing` from the open directory `fd`, sorted in enumeration order, "." and ".."
  // left out. With `with_info` each entry's size and time are read where stat allows; without
  // it no entry whose type the folder reports is looked at. Without `with_files` the entries the
  // folder reports as neither folders nor links are left out (and only counted). With
  // `with_kinds` every entry's kind is read. False, with no entries, when the folder cannot be
  // read at all; a failure after the first block keeps what was read.
  bool Read(int fd, bool rewind, bool with_info, bool with_files, bool with_kinds,
            FolderListing& listing);
  // How entries are read from the next Read on: with their link targets, and links to folders
  // with their own size and time rather than their targets'.
  void SetLinkReading(bool with_targets, bool links_themselves) {
    with_targets_ = with_targets;
    links_themselves_ = links_themselves;
  }
  // Whether entries are read with their own information (FolderEntry::Own) from the next Read on.
  void SetOwnReading(bool with_own) { with_own_ = with_own; }

 private:
  bool ReadNames(int fd, bool with_files, FolderListing& listing);
  // False, with nothing added, when the listing can hold no more names.
  bool AddName(std::string_view name, unsigned char type, FolderListing& listing);
  void SortNames(FolderListing& listing);
  // Makes the entries of the sorted names: each shown name, and what the system tells of it.
  void FillEntries(int fd, bool with_info, bool with_kinds, FolderListing& listing);
  // Writes the shown form of a name that needs converting at the start of `room`, which then
  // starts after it; `room` holds at least native.size() bytes.
  std::string_view WriteShownName(std::string_view native, std::span<char>& room);
  // Tells whether entry `index` is a folder where its type does not (a link, or a file system
  // that does not say), with `with_info` reads its size and time, and with `with_kinds` its kind.
  void ReadEntryStatus(int fd, size_t index, bool with_info, bool with_kinds,
                       FolderListing& listing);
  // Keeps the shown form of where link `index` points, read into its entry by SetTargets.
  void ReadLinkTarget(int fd, size_t index, FolderListing& listing);
  void SetTargets(FolderListing& listing);

  TextConverter& converter_;
  int64_t utc_offset_seconds_;
  // Left uninitialised: a worker's reader touches only the pages its folders fill.
  std::unique_ptr<char[]> block_;
  bool with_targets_ = false;
  bool links_themselves_ = false;
  bool with_own_ = false;
};

// The entry's own information from its lstat.
EntryOwnInfo OwnInfoFromStatus(const struct stat& status);
