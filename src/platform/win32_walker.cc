// The Win32 folder walker. Each level keeps its path and listing; paths are built as the
// program always built them (folder path, one backslash, name), so a root ending in a
// backslash doubles it. Nothing here recurses: the depth costs heap, never stack.
#include "platform/win32_walker.h"

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

// A folder as the system knows it, whatever path reached it.
struct FolderIdentity {
  DWORD volume = 0;
  DWORD index_high = 0;
  DWORD index_low = 0;
  bool known = false;
};

struct WalkLevel {
  std::string path;
  FolderIdentity identity;
  std::vector<FolderEntry> entries;
  std::vector<size_t> name_offsets;
  std::vector<bool> is_link;  // a reparse point: a link or junction
  std::string names;          // every name of the listing, each followed by a zero
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
  entry.Size = info.nFileSizeLow;
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

class Win32FolderWalker : public FolderWalker {
 public:
  bool EnterRoot(std::string_view path) override {
    levels_.clear();
    Push(std::string(path));
    return true;
  }

  bool EnterSubfolder(size_t index) override {
    WalkLevel& parent = *levels_.back();
    if (index >= parent.entries.size() || !parent.entries[index].IsFolder) return false;
    std::string path = parent.path + "\\" + (parent.names.c_str() + parent.name_offsets[index]);
    if (parent.is_link[index] && IsEnteredFolder(path)) return false;
    Push(std::move(path));
    return true;
  }

  bool ListFolder(bool with_info) override;

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

  bool IsEnteredFolder(const std::string& path);

  // Levels live on the heap so that a listing handed out stays put while deeper ones come.
  std::vector<std::unique_ptr<WalkLevel>> levels_;
};

// A link back to an entered folder would repeat that part of the tree, deeper each time, until
// the paths grow too long; such a folder is shown but not entered. Only links can close such a
// loop, so only they cost the extra opens, and an entered folder is identified once at most.
bool Win32FolderWalker::IsEnteredFolder(const std::string& path) {
  FolderIdentity identity = IdentifyFolder(path);
  if (!identity.known) return false;
  for (const auto& level : levels_) {
    if (!level->identity.known) level->identity = IdentifyFolder(level->path);
    if (IsSameFolder(level->identity, identity)) return true;
  }
  return false;
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
