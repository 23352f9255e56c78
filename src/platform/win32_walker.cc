// The Win32 folder walker. Each level keeps its path and listing; paths are built as the
// program always built them (folder path, one backslash, name), so a root ending in a
// backslash doubles it. Nothing here recurses: the depth costs heap, never stack.
//
// Links and junctions (reparse points): one that leads to an entered folder, or to a folder that
// holds the charted one, is shown but not entered (either would repeat the chart inside itself).
// Below a link, a further link leads only to a folder that no link has led the walk into yet, so
// that webs of links, where the paths multiply at every level, are walked in bounded time. Only
// links and the folders below them are identified, so a tree without links costs no extra call.
// The walk rules keep every link out on request, or those that lead to another volume (a mount
// point or a junction there): a plain folder always lies on its parent's volume.
#include "platform/win32_walker.h"

#include <windows.h>

#include <cstdint>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "platform/common_text.h"

namespace {

// A folder as the system knows it, whatever path reached it.
struct FolderIdentity {
  DWORD volume = 0;
  DWORD index_high = 0;
  DWORD index_low = 0;
  bool known = false;

  bool operator<(const FolderIdentity& other) const {
    return std::tie(volume, index_high, index_low) <
           std::tie(other.volume, other.index_high, other.index_low);
  }
};

// No path has more folders above it than this; the walk up stops there in any case.
constexpr size_t kMostOuterFolders = 4096;

struct WalkLevel {
  std::string path;
  FolderIdentity identity;
  std::vector<FolderEntry> entries;
  std::vector<size_t> name_offsets;
  std::vector<bool> is_link;  // a reparse point: a link or junction
  std::string names;          // every name of the listing, each followed by a zero
  bool below_link = false;    // reached through a link, or lies below a folder that was
};

bool IsDotOrDotDot(const char* name) {
  return name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0));
}

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

FolderIdentity IdentifyFolder(const std::string& path) {
  BY_HANDLE_FILE_INFORMATION info;
  if (!QueryEntry(path, info)) return FolderIdentity{};
  return FolderIdentity{info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow, true};
}

bool IsSameFolder(const FolderIdentity& a, const FolderIdentity& b) {
  return a.known && b.known && a.volume == b.volume && a.index_high == b.index_high &&
         a.index_low == b.index_low;
}

// The folder that holds `path` (a full path), or "" at the top of a drive or share. The path is
// read character by character: the second byte of a double-byte character may be 0x5C.
std::string ParentPath(const std::string& path) {
  std::vector<size_t> separators;
  for (size_t i = 0; i < path.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(path[i]);
    if (IsCp932LeadByte(c) && i + 1 < path.size()) {
      ++i;
    } else if (c == '\\' || c == '/') {
      separators.push_back(i);
    }
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
  bool EnterRoot(const PathText& path) override {
    levels_.clear();
    linked_.clear();
    outer_.clear();
    outer_known_ = false;
    Push(path.Native);
    return true;
  }

  bool EnterSubfolder(size_t index) override {
    WalkLevel& parent = *levels_.back();
    if (index >= parent.entries.size() || !parent.entries[index].IsFolder) return false;
    std::string path = parent.path + "\\" + (parent.names.c_str() + parent.name_offsets[index]);
    const bool through_link = parent.is_link[index];
    if (IsKeptOutByRules(rules_, through_link, false)) return false;
    const bool parent_below_link = parent.below_link;
    if (!through_link && !parent_below_link) {
      Push(std::move(path));
      return true;
    }
    const FolderIdentity identity = IdentifyFolder(path);
    if (identity.known) {
      const bool other_volume = rules_.OneFileSystem && IsOnOtherVolume(identity);
      if (through_link && IsKeptOutByRules(rules_, true, other_volume)) return false;
      if (through_link && (IsEnteredFolder(identity) || IsOuterFolder(identity))) return false;
      // Below a link, another link into a folder some link already led to would repeat it.
      if (through_link && parent_below_link && linked_.count(identity)) return false;
      linked_.insert(identity);
    }
    Push(std::move(path));
    levels_.back()->identity = identity;
    levels_.back()->below_link = true;
    return true;
  }

  bool ListFolder(bool with_info) override;

  void SetWalkRules(const WalkRules& rules) override { rules_ = rules; }

  const std::vector<FolderEntry>& Entries() const override { return levels_.back()->entries; }

  void LeaveFolder() override {
    if (!levels_.empty()) levels_.pop_back();
  }

 private:
  void Push(std::string path) {
    auto level = std::make_unique<WalkLevel>();
    level->path = std::move(path);
    levels_.push_back(std::move(level));
  }

  bool IsEnteredFolder(const FolderIdentity& identity);
  bool IsOuterFolder(const FolderIdentity& identity);
  bool IsOnOtherVolume(const FolderIdentity& identity);

  WalkRules rules_;
  // Levels live on the heap so that a listing handed out stays put while deeper ones come.
  std::vector<std::unique_ptr<WalkLevel>> levels_;
  std::set<FolderIdentity> linked_;  // every folder entered below a link
  std::set<FolderIdentity> outer_;   // the charted folder's own ancestors, read at the first link
  bool outer_known_ = false;
};

// A link back to an entered folder would repeat that part of the tree, deeper each time, until
// the paths grow too long; such a folder is shown but not entered. Only links can close such a
// loop, so only they cost the extra opens, and an entered folder is identified once at most.
bool Win32FolderWalker::IsEnteredFolder(const FolderIdentity& identity) {
  for (const auto& level : levels_) {
    if (!level->identity.known) level->identity = IdentifyFolder(level->path);
    if (IsSameFolder(level->identity, identity)) return true;
  }
  return false;
}

// The charted folder is identified at the first link that asks; a root that cannot be
// identified leaves every volume walked.
bool Win32FolderWalker::IsOnOtherVolume(const FolderIdentity& identity) {
  WalkLevel& root = *levels_.front();
  if (!root.identity.known) root.identity = IdentifyFolder(root.path);
  return root.identity.known && identity.volume != root.identity.volume;
}

// Every folder above the charted one, up to the top of its drive: a link to one of them would
// chart the charted folder again inside itself.
bool Win32FolderWalker::IsOuterFolder(const FolderIdentity& identity) {
  if (!outer_known_) {
    outer_known_ = true;
    char full[MAX_PATH];
    const DWORD length = GetFullPathNameA(levels_.front()->path.c_str(), MAX_PATH, full, nullptr);
    std::string path = length > 0 && length < MAX_PATH ? ParentPath(full) : "";
    for (size_t count = 0; !path.empty() && count < kMostOuterFolders; ++count) {
      const FolderIdentity outer = IdentifyFolder(path);
      if (outer.known) outer_.insert(outer);
      path = ParentPath(path);
    }
  }
  return outer_.count(identity) != 0;
}

bool Win32FolderWalker::ListFolder(bool with_info) {
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
