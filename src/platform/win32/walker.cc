// The Win32 folder walker. The charted folder is opened by its long path, every folder below it
// relative to its parent's handle, and each level keeps its handle while the walk is inside it, so
// no depth and no name is out of reach. Each entry keeps its UTF-16 name for every later call;
// the name shown is the code page 932 text the ANSI calls would have given, so a chart that the
// ANSI calls could read shows what it always showed. Nothing here recurses: the depth costs heap
// (and one handle a level), never stack.
//
// Links and junctions (reparse points) keep the loop rules of every walker (LoopRules): a link to
// a folder the walk is inside or to one that holds the charted folder is shown but not entered,
// and below a link a further link leads only to a folder no link has led into yet. Only links and
// the folders below them are identified, so a tree without links costs no extra call. The walk
// rules keep every link out on request, or those that lead to another volume (a mount point or a
// junction there): a plain folder always lies on its parent's volume.
#include "platform/win32/walker.h"

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "common/path_text.h"
#include "platform/win32/handles.h"
#include "platform/win32/text.h"

namespace {

// No path has more folders above it than this; the walk up stops there in any case.
constexpr size_t kMostOuterFolders = 4096;

// Where an entry's names lie in its level's storage.
// A link's own figures from the listing.
struct ListedFacts {
  uint64_t size;
  uint64_t allocated;
  FILETIME write_time;
};

struct EntryNames {
  size_t wide_offset;  // into WalkLevel::wide_names, which holds each name followed by a zero
  size_t wide_length;
  size_t shown_offset;  // into WalkLevel::shown_names
  bool is_link;         // a reparse point: a link or junction
  ListedFacts listed;
};

struct WalkLevel {
  WalkLevel(HANDLE folder, bool is_below_link) : handle(folder), below_link(is_below_link) {}
  ~WalkLevel() { CloseHandle(handle); }
  WalkLevel(const WalkLevel&) = delete;
  WalkLevel& operator=(const WalkLevel&) = delete;

  std::wstring_view WideName(size_t index) const {
    return std::wstring_view(wide_names).substr(names[index].wide_offset, names[index].wide_length);
  }

  HANDLE handle;  // the folder, open to be listed and to open its entries
  FolderIdentity identity;
  bool is_identified = false;  // `identity` was read and noted with the loop rules
  bool below_link;             // reached through a link, or lies below a folder that was
  std::vector<FolderEntry> entries;
  std::vector<EntryNames> names;  // beside `entries`
  std::wstring wide_names;        // the system's names, for every call on an entry
  std::string shown_names;        // the names in code page 932, as FolderEntry::Name shows them
  std::string own_names;          // the names in UTF-8, as FolderEntry::Own shows them
  std::vector<size_t> own_offsets;  // into own_names, one per entry
  size_t left_out_files = 0;      // listed but not made entries: no files were wanted
};

const std::vector<FolderEntry> kNoEntries;

// A local file time of `written`; false when it has none.
bool ReadLocalTime(const FILETIME& written, FileTime& time) {
  FILETIME local;
  if (!FileTimeToLocalFileTime(&written, &local)) return false;
  time = FileTime{local.dwLowDateTime, local.dwHighDateTime};
  return true;
}

// Seconds since 1970 UTC of a system file time (100 ns units since 1601 UTC).
int64_t UnixSecondsOf(const FILETIME& time) {
  const uint64_t value = (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
  constexpr int64_t kSecondsFrom1601To1970 = 11644473600;
  return static_cast<int64_t>(value / 10000000) - kSecondsFrom1601To1970;
}

// An entry's own information from what was read of it. Windows has no other kinds of files:
// anything not a link or a folder is a regular file.
EntryOwnInfo OwnInfoOf(const EntryFacts& facts, bool is_regular) {
  EntryOwnInfo own;
  own.HasInfo = true;
  own.IsRegular = is_regular;
  own.Size = facts.size;
  own.AllocatedBytes = facts.allocated;
  own.FileId = facts.identity;
  own.LinkCount = facts.names;
  own.WriteSeconds = UnixSecondsOf(facts.write_time);
  return own;
}

// Size, space and local write time of one entry, and its identity where it has other names; a
// failure leaves HasInfo false, silently. With `with_own` its own information too.
void ReadEntryInfo(HANDLE folder, std::wstring_view name, bool with_own, FolderEntry& entry) {
  EntryFacts facts;
  if (!ReadEntryFactsIn(folder, name, facts) || !ReadLocalTime(facts.write_time, entry.WriteTime)) {
    return;
  }
  if (with_own) entry.Own = OwnInfoOf(facts, !entry.IsFolder);
  entry.Size = facts.size;
  entry.AllocatedBytes = facts.allocated;
  entry.HasOtherNames = !entry.IsFolder && facts.names > 1;
  entry.FileId = facts.identity;
  entry.HasInfo = true;
}

// A link's own figures, as the listing reports them: the link, not where it leads.
void TakeListedInfo(const ListedFacts& listed, FolderEntry& entry) {
  if (!ReadLocalTime(listed.write_time, entry.WriteTime)) return;
  entry.Size = listed.size;
  entry.AllocatedBytes = listed.allocated;
  entry.HasInfo = true;
}

// A link's own information, as the listing reports it (no identity: 0, which the export leaves
// out).
EntryOwnInfo ListedOwnInfo(const ListedFacts& listed) {
  EntryFacts facts;
  facts.size = listed.size;
  facts.allocated = listed.allocated;
  facts.write_time = listed.write_time;
  facts.names = 0;
  return OwnInfoOf(facts, false);
}

// Appends the shown form of `wide` to `shown`: in code page 932 one call, as no UTF-16 unit
// takes more than two bytes there.
void AppendShownName(std::wstring_view wide, bool is_utf8, std::string& shown) {
  if (wide.empty()) return;
  if (is_utf8) {
    shown += ShownFromWide(wide, true);
    return;
  }
  const size_t start = shown.size();
  shown.resize(start + 2 * wide.size());
  const int length = WideCharToMultiByte(932, 0, wide.data(), static_cast<int>(wide.size()),
                                         shown.data() + start, static_cast<int>(2 * wide.size()),
                                         nullptr, nullptr);
  shown.resize(start + (length > 0 ? length : 0));
}

class Win32FolderWalker : public FolderWalker {
 public:
  explicit Win32FolderWalker(bool is_shown_utf8) : is_shown_utf8_(is_shown_utf8) {}

  bool EnterRoot(const PathText& path) override;

  bool EnterSubfolder(size_t index) override;

  bool ListFolder(bool with_info) override;

  void SetWalkRules(const WalkRules& rules) override {
    rules_ = rules;
    loops_.SetEnterOnce(rules.EnterEachFolderOnce);
  }

  const FolderEntry& RootEntry() const override { return root_entry_; }

  const std::vector<FolderEntry>& Entries() const override {
    return levels_.empty() ? kNoEntries : levels_.back()->entries;
  }

  void LeaveFolder() override {
    if (levels_.empty()) return;
    if (levels_.back()->is_identified) loops_.NoteLeft(levels_.back()->identity);
    levels_.pop_back();
  }

  size_t LeftOutFiles() const override {
    return levels_.empty() ? 0 : levels_.back()->left_out_files;
  }

 private:
  bool Identify(WalkLevel& level);
  bool IsOnOtherVolume(const FolderIdentity& identity);
  void IdentifyEnteredFolders();
  void RecordOuterFolders();

  WalkRules rules_;
  // Levels live on the heap so that a listing handed out stays put while deeper ones come.
  std::vector<std::unique_ptr<WalkLevel>> levels_;
  std::wstring root_path_;  // the charted folder's long path
  DirectoryReader reader_;
  LoopRules loops_;
  bool outer_known_ = false;  // the charted folder's ancestors are noted with the loop rules
  const bool is_shown_utf8_;
  FolderEntry root_entry_;
  std::string root_own_name_;  // the charted path in UTF-8, the root entry's own name
};

// The charted folder is opened by its long path; a root that is no folder, or that the system
// refuses, is not entered. Its information identifies it for the loop rules at no further cost.
bool Win32FolderWalker::EnterRoot(const PathText& path) {
  levels_.clear();
  loops_.Restart();
  outer_known_ = false;
  root_path_ = LongPath(WideFromNative(path.Native));
  root_entry_ = FolderEntry{};
  root_own_name_ = ShownFromWide(WideFromNative(path.Native), true);
  root_entry_.Own.NativeName = root_own_name_;
  if (root_path_.empty()) return false;
  const HANDLE handle = OpenFolderByPath(root_path_);
  if (handle == INVALID_HANDLE_VALUE) return false;
  auto root = std::make_unique<WalkLevel>(handle, false);
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(handle, &info) ||
      (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    return false;
  }
  root->identity = IdentityOf(info);
  root->is_identified = true;
  root_entry_.IsFolder = true;
  FILE_STANDARD_INFO standard;
  if (GetFileInformationByHandleEx(handle, FileStandardInfo, &standard, sizeof standard)) {
    root_entry_.HasInfo = true;
    root_entry_.Size = (static_cast<uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    root_entry_.AllocatedBytes = static_cast<uint64_t>(standard.AllocationSize.QuadPart);
    const EntryFacts facts{root_entry_.Size, root_entry_.AllocatedBytes, info.ftLastWriteTime,
                           info.nNumberOfLinks, root->identity};
    if (rules_.OwnInfoWanted) root_entry_.Own = OwnInfoOf(facts, false);
    root_entry_.Own.NativeName = root_own_name_;
  }
  loops_.NoteEntered(root->identity, false);
  levels_.push_back(std::move(root));
  return true;
}

// A plain folder below no link is entered unidentified: it can be neither a folder the walk is
// inside nor one that holds the charted folder, and no link led into it. A link, or a folder
// below one, is identified and put to the loop rules, which then need every entered folder and
// the charted folder's ancestors identified too; a folder that cannot be identified is entered.
bool Win32FolderWalker::EnterSubfolder(size_t index) {
  if (levels_.empty()) return false;
  WalkLevel& parent = *levels_.back();
  if (index >= parent.entries.size() || !parent.entries[index].IsFolder) return false;
  const bool through_link = parent.names[index].is_link;
  if (IsKeptOutByRules(rules_, through_link, false)) return false;
  const HANDLE handle = OpenFolderIn(parent.handle, parent.WideName(index));
  if (handle == INVALID_HANDLE_VALUE) return false;
  const bool parent_below_link = parent.below_link;
  auto level = std::make_unique<WalkLevel>(handle, through_link || parent_below_link);
  // Where each folder is entered once, a link may lead to any folder walked before: every
  // folder is identified then.
  const bool is_noted = level->below_link || (rules_.EnterEachFolderOnce && rules_.FollowLinks);
  if (!is_noted) {
    levels_.push_back(std::move(level));
    return true;
  }
  FolderIdentity identity;
  const bool is_identified = IdentifyHandle(handle, identity);
  if (is_identified && through_link) {
    // A plain folder always lies on its parent's volume; a link may lead to another one.
    if (IsKeptOutByRules(rules_, true, rules_.OneFileSystem && IsOnOtherVolume(identity))) {
      return false;
    }
    IdentifyEnteredFolders();
    RecordOuterFolders();
  }
  if (is_identified && !loops_.MayEnter(identity, through_link, parent_below_link)) return false;
  if (is_identified) {
    level->identity = identity;
    level->is_identified = true;
    loops_.NoteEntered(identity, level->below_link);
  }
  levels_.push_back(std::move(level));
  return true;
}

// Identifies an entered folder that was entered unidentified, and notes it with the loop rules.
bool Win32FolderWalker::Identify(WalkLevel& level) {
  if (!level.is_identified && IdentifyHandle(level.handle, level.identity)) {
    level.is_identified = true;
    loops_.NoteEntered(level.identity, level.below_link);
  }
  return level.is_identified;
}

bool Win32FolderWalker::IsOnOtherVolume(const FolderIdentity& identity) {
  WalkLevel& root = *levels_.front();
  return Identify(root) && identity.Volume != root.identity.Volume;
}

// A link back to an entered folder would repeat that part of the tree, deeper each time. Only
// links can close such a loop, so only they cost the extra calls, and an entered folder is
// identified once at most.
void Win32FolderWalker::IdentifyEnteredFolders() {
  for (const auto& level : levels_) Identify(*level);
}

// Every folder above the charted one, up to the top of its volume, read at the first link.
void Win32FolderWalker::RecordOuterFolders() {
  if (outer_known_) return;
  outer_known_ = true;
  std::wstring path = ParentLongPath(root_path_);
  for (size_t count = 0; !path.empty() && count < kMostOuterFolders; ++count) {
    BY_HANDLE_FILE_INFORMATION info;
    if (ReadInfoByPath(path, info)) loops_.AddOuterFolder(IdentityOf(info));
    path = ParentLongPath(path);
  }
}

// The listing is read whole before any entry is opened or any subfolder entered. Without file
// entries wanted, the entries that are no folders are left out, and only counted.
bool Win32FolderWalker::ListFolder(bool with_info) {
  if (levels_.empty()) return false;
  WalkLevel& level = *levels_.back();
  level.entries.clear();
  level.names.clear();
  level.wide_names.clear();
  level.shown_names.clear();
  level.own_names.clear();
  level.own_offsets.clear();
  level.left_out_files = 0;
  const bool is_read = reader_.Read(level.handle, [&](const ListedName& listed) {
    const bool is_folder = (listed.attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (listed.name == L"." || listed.name == L"..") return;
    if (!is_folder && !rules_.FilesWanted) {
      ++level.left_out_files;
      return;
    }
    FolderEntry entry;
    entry.IsFolder = is_folder;
    // Windows tells a link (a reparse point) and a folder by their attributes alone; an
    // executable is known by its extension, which the name colours match.
    entry.IsLink = (listed.attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    if (rules_.KindsWanted) {
      entry.Kind = entry.IsLink ? KindLink : is_folder ? KindFolder : KindPlain;
    }
    level.entries.push_back(entry);
    level.names.push_back(
        EntryNames{level.wide_names.size(), listed.name.size(), level.shown_names.size(),
                   entry.IsLink, ListedFacts{listed.size, listed.allocated, listed.write_time}});
    level.wide_names.append(listed.name);
    level.wide_names.push_back(L'\0');
    AppendShownName(listed.name, is_shown_utf8_, level.shown_names);
    if (rules_.OwnInfoWanted) {
      level.own_offsets.push_back(level.own_names.size());
      AppendShownName(listed.name, true, level.own_names);
    }
  });
  if (!is_read) return false;
  for (size_t i = 0; i < level.entries.size(); ++i) {
    const size_t end =
        i + 1 < level.names.size() ? level.names[i + 1].shown_offset : level.shown_names.size();
    const size_t start = level.names[i].shown_offset;
    level.entries[i].Name = std::string_view(level.shown_names).substr(start, end - start);
    FolderEntry& entry = level.entries[i];
    // A file link counts as the link the listing reports, as the classic listing does; a folder
    // link as its folder, unless links count themselves.
    const bool is_own = entry.IsLink && (!entry.IsFolder || rules_.CountLinksThemselves);
    if (with_info && is_own) TakeListedInfo(level.names[i].listed, entry);
    if (with_info && !is_own) {
      ReadEntryInfo(level.handle, level.WideName(i), rules_.OwnInfoWanted, entry);
    }
    if (!rules_.OwnInfoWanted) continue;
    // A link is told as itself, even where its target's figures were read.
    if (entry.IsLink) entry.Own = ListedOwnInfo(level.names[i].listed);
    const size_t own_end =
        i + 1 < level.own_offsets.size() ? level.own_offsets[i + 1] : level.own_names.size();
    entry.Own.NativeName = std::string_view(level.own_names)
                               .substr(level.own_offsets[i], own_end - level.own_offsets[i]);
  }
  return true;
}

}  // namespace

std::unique_ptr<FolderWalker> NewWin32FolderWalker(bool is_shown_utf8) {
  return std::make_unique<Win32FolderWalker>(is_shown_utf8);
}
