// The Win32 folder walker. Each level keeps its path and listing; paths are built as the
// program always built them (folder path, one backslash, name), so a root ending in a
// backslash doubles it. Nothing here recurses: the depth costs heap, never stack.
//
// Links and junctions (reparse points) keep the loop rules of every walker (LoopRules): a link to
// a folder the walk is inside or to one that holds the charted folder is shown but not entered,
// and below a link a further link leads only to a folder no link has led into yet. Only links and
// the folders below them are identified, so a tree without links costs no extra call. The walk
// rules keep every link out on request, or those that lead to another volume (a mount point or a
// junction there): a plain folder always lies on its parent's volume.
#include "platform/win32_walker.h"

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "common/cp932_bytes.h"
#include "common/path_text.h"

namespace {

// No path has more folders above it than this; the walk up stops there in any case.
constexpr size_t kMostOuterFolders = 4096;

struct WalkLevel {
  std::string path;
  FolderIdentity identity;
  bool is_identified = false;  // `identity` was read and noted with the loop rules
  std::vector<FolderEntry> entries;
  std::vector<size_t> name_offsets;
  std::vector<bool> is_link;  // a reparse point: a link or junction
  std::string names;          // every name of the listing, each followed by a zero
  bool below_link = false;    // reached through a link, or lies below a folder that was
};

// Opens `path` for its information only; INVALID_HANDLE_VALUE when the system refuses.
HANDLE OpenForQuery(const std::string& path) {
  return CreateFileA(path.c_str(), 0, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                     FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

bool QueryEntry(const std::string& path, BY_HANDLE_FILE_INFORMATION& info) {
  HANDLE handle = OpenForQuery(path);
  if (handle == INVALID_HANDLE_VALUE) return false;
  BOOL read = GetFileInformationByHandle(handle, &info);
  CloseHandle(handle);
  return read != 0;
}

// Size and local write time of one entry; a failure leaves HasInfo false, silently.
void ReadEntryInfo(const std::string& path, FolderEntry& entry) {
  BY_HANDLE_FILE_INFORMATION info;
  if (!QueryEntry(path, info)) return;
  FILETIME local;
  if (!FileTimeToLocalFileTime(&info.ftLastWriteTime, &local)) return;
  entry.Size = (static_cast<uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
  entry.WriteTime = FileTime{local.dwLowDateTime, local.dwHighDateTime};
  entry.HasInfo = true;
}

FolderIdentity IdentityOf(const BY_HANDLE_FILE_INFORMATION& info) {
  return FolderIdentity{info.dwVolumeSerialNumber,
                        (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}

// False when the system cannot tell which folder `path` is.
bool IdentifyFolder(const std::string& path, FolderIdentity& identity) {
  BY_HANDLE_FILE_INFORMATION info;
  if (!QueryEntry(path, info)) return false;
  identity = IdentityOf(info);
  return true;
}

const std::vector<FolderEntry> kNoEntries;

// The folder that holds `path` (a full path), or "" at the top of a drive or share. The path is
// read character by character: the second byte of a double-byte character may be 0x5C.
std::string ParentPath(const std::string& path) {
  std::vector<size_t> separators;
  for (size_t i = 0; i < path.size(); i += Cp932CharacterLength(path, i)) {
    if (path[i] == '\\' || path[i] == '/') separators.push_back(i);
  }
  size_t end = path.size();
  while (!separators.empty() && separators.back() + 1 == end) {
    end = separators.back();
    separators.pop_back();
  }
  if (separators.empty() || separators.back() < 2) return "";
  std::string parent = path.substr(0, separators.back());
  // "C:" alone names the drive's current folder; its top is "C:\".
  if (parent.size() == 2 && parent[1] == ':') parent += '\\';
  return parent;
}

class Win32FolderWalker : public FolderWalker {
 public:
  bool EnterRoot(const PathText& path) override;

  bool EnterSubfolder(size_t index) override;

  bool ListFolder(bool with_info) override;

  void SetWalkRules(const WalkRules& rules) override { rules_ = rules; }

  const std::vector<FolderEntry>& Entries() const override {
    return levels_.empty() ? kNoEntries : levels_.back()->entries;
  }

  void LeaveFolder() override {
    if (levels_.empty()) return;
    if (levels_.back()->is_identified) loops_.NoteLeft(levels_.back()->identity);
    levels_.pop_back();
  }

 private:
  void Push(std::string path, bool below_link) {
    auto level = std::make_unique<WalkLevel>();
    level->path = std::move(path);
    level->below_link = below_link;
    levels_.push_back(std::move(level));
  }

  bool Identify(WalkLevel& level);
  bool IsOnOtherVolume(const FolderIdentity& identity);
  void IdentifyEnteredFolders();
  void RecordOuterFolders();

  WalkRules rules_;
  // Levels live on the heap so that a listing handed out stays put while deeper ones come.
  std::vector<std::unique_ptr<WalkLevel>> levels_;
  LoopRules loops_;
  bool outer_known_ = false;  // the charted folder's ancestors are noted with the loop rules
};

// The charted folder is opened for its information before it is entered: a root that is no
// folder, or that the system refuses, is not entered. The information identifies it for the loop
// rules at no further cost.
bool Win32FolderWalker::EnterRoot(const PathText& path) {
  levels_.clear();
  loops_.Restart();
  outer_known_ = false;
  BY_HANDLE_FILE_INFORMATION info;
  if (path.Native.empty() || !QueryEntry(path.Native, info) ||
      (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    return false;
  }
  Push(path.Native, false);
  WalkLevel& root = *levels_.back();
  root.identity = IdentityOf(info);
  root.is_identified = true;
  loops_.NoteEntered(root.identity, false);
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
  std::string path = parent.path + "\\" + (parent.names.c_str() + parent.name_offsets[index]);
  const bool through_link = parent.is_link[index];
  if (IsKeptOutByRules(rules_, through_link, false)) return false;
  const bool parent_below_link = parent.below_link;
  if (!through_link && !parent_below_link) {
    Push(std::move(path), false);
    return true;
  }
  FolderIdentity identity;
  const bool is_identified = IdentifyFolder(path, identity);
  if (is_identified && through_link) {
    // A plain folder always lies on its parent's volume; a link may lead to another one.
    if (IsKeptOutByRules(rules_, true, rules_.OneFileSystem && IsOnOtherVolume(identity))) {
      return false;
    }
    IdentifyEnteredFolders();
    RecordOuterFolders();
  }
  if (is_identified && !loops_.MayEnter(identity, through_link, parent_below_link)) return false;
  Push(std::move(path), true);
  if (is_identified) {
    levels_.back()->identity = identity;
    levels_.back()->is_identified = true;
    loops_.NoteEntered(identity, true);
  }
  return true;
}

// Identifies an entered folder that was entered unidentified, and notes it with the loop rules.
bool Win32FolderWalker::Identify(WalkLevel& level) {
  if (!level.is_identified && IdentifyFolder(level.path, level.identity)) {
    level.is_identified = true;
    loops_.NoteEntered(level.identity, level.below_link);
  }
  return level.is_identified;
}

// The charted folder is identified at the first link that asks; a root that cannot be
// identified leaves every volume walked.
bool Win32FolderWalker::IsOnOtherVolume(const FolderIdentity& identity) {
  WalkLevel& root = *levels_.front();
  return Identify(root) && identity.Volume != root.identity.Volume;
}

// A link back to an entered folder would repeat that part of the tree, deeper each time, until
// the paths grow too long. Only links can close such a loop, so only they cost the extra opens,
// and an entered folder is identified once at most.
void Win32FolderWalker::IdentifyEnteredFolders() {
  for (const auto& level : levels_) Identify(*level);
}

// Every folder above the charted one, up to the top of its drive, read at the first link.
void Win32FolderWalker::RecordOuterFolders() {
  if (outer_known_) return;
  outer_known_ = true;
  char full[MAX_PATH];
  const DWORD length = GetFullPathNameA(levels_.front()->path.c_str(), MAX_PATH, full, nullptr);
  std::string path = length > 0 && length < MAX_PATH ? ParentPath(full) : "";
  for (size_t count = 0; !path.empty() && count < kMostOuterFolders; ++count) {
    FolderIdentity outer;
    if (IdentifyFolder(path, outer)) loops_.AddOuterFolder(outer);
    path = ParentPath(path);
  }
}

bool Win32FolderWalker::ListFolder(bool with_info) {
  if (levels_.empty()) return false;
  WalkLevel& level = *levels_.back();
  level.entries.clear();
  level.name_offsets.clear();
  level.is_link.clear();
  level.names.clear();
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((level.path + "\\*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return false;
  do {
    if (IsDotOrDotDot(data.cFileName)) continue;
    FolderEntry entry;
    entry.IsFolder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    level.entries.push_back(entry);
    level.name_offsets.push_back(level.names.size());
    level.is_link.push_back((data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0);
    level.names.append(data.cFileName);
    level.names.push_back('\0');
  } while (FindNextFileA(find, &data));
  // The enumeration is closed before any entry is opened or any subfolder entered.
  FindClose(find);
  for (size_t i = 0; i < level.entries.size(); ++i) {
    const char* name = level.names.c_str() + level.name_offsets[i];
    level.entries[i].Name = std::string_view(name);
    if (with_info) ReadEntryInfo(level.path + "\\" + name, level.entries[i]);
  }
  return true;
}

}  // namespace

std::unique_ptr<FolderWalker> NewWin32FolderWalker() {
  return std::make_unique<Win32FolderWalker>();
}
