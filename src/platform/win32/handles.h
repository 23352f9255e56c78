// Folders and entries opened by handle. Below the charted folder each folder is opened relative
// to its parent's handle and each entry relative to its folder's, by its UTF-16 name alone, so no
// path grows with the depth: the system (and wine, which maps every path onto a Linux path of at
// most 4,096 bytes) reaches any level at the cost of one name.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/walk_rules.h"

// Opens the folder at `long_path` to be listed and to open its entries; INVALID_HANDLE_VALUE
// when the system refuses (a file is not refused here: ask its attributes).
HANDLE OpenFolderByPath(const std::wstring& long_path);
// Opens the folder `name` of the folder open as `folder`, as OpenFolderByPath does; a link or
// junction leads to its target.
HANDLE OpenFolderIn(HANDLE folder, std::wstring_view name);

// Reads the information of the entry at `long_path`, opened for querying only (no data access)
// and closed at once; a link leads to its target.
bool ReadInfoByPath(const std::wstring& long_path, BY_HANDLE_FILE_INFORMATION& info);
// What the system tells of one entry.
struct EntryFacts {
  uint64_t size = 0;
  uint64_t allocated = 0;  // the space on disk: the compressed size of a compressed file
  FILETIME write_time{};
  uint32_t names = 1;  // hard links
  FolderIdentity identity;
};

// Reads the facts of `name` in the folder open as `folder`, opened as ReadInfoByPath opens and
// closed at once; a link leads to its target.
bool ReadEntryFactsIn(HANDLE folder, std::wstring_view name, EntryFacts& facts);

FolderIdentity IdentityOf(const BY_HANDLE_FILE_INFORMATION& info);
// False when the system cannot tell which folder `handle` is.
bool IdentifyHandle(HANDLE handle, FolderIdentity& identity);

// One entry as the folder listing gives it.
struct ListedName {
  std::wstring_view name;
  DWORD attributes;
  // The entry's own figures: a link's are the link's, not its target's.
  uint64_t size;
  uint64_t allocated;
  FILETIME write_time;
};

// Reads the entries of folders open by handle, a block of many entries per call (as a large
// fetch does); the block is kept for the next folder.
class DirectoryReader {
 public:
  // Hands every entry of the folder open as `folder`, "." and ".." included, to `take`, in the
  // order the system lists them. False when the folder cannot be read at all.
  template <typename Take>
  bool Read(HANDLE folder, Take take) {
    FILE_INFO_BY_HANDLE_CLASS kind = FileIdBothDirectoryRestartInfo;  // from the first entry
    bool is_read = false;
    while (ReadBlock(folder, kind)) {
      kind = FileIdBothDirectoryInfo;
      is_read = true;
      for (size_t at = 0;;) {
        const auto* entry = reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(
            reinterpret_cast<const char*>(block_.data()) + at);
        const FILETIME written{entry->LastWriteTime.LowPart,
                               static_cast<DWORD>(entry->LastWriteTime.HighPart)};
        take(ListedName{std::wstring_view(entry->FileName, entry->FileNameLength / sizeof(WCHAR)),
                        entry->FileAttributes, static_cast<uint64_t>(entry->EndOfFile.QuadPart),
                        static_cast<uint64_t>(entry->AllocationSize.QuadPart), written});
        if (entry->NextEntryOffset == 0) break;
        at += entry->NextEntryOffset;
      }
    }
    // An empty listing (a folder without "." and "..", on some file systems) is still one.
    return is_read || GetLastError() == ERROR_NO_MORE_FILES;
  }

 private:
  bool ReadBlock(HANDLE folder, FILE_INFO_BY_HANDLE_CLASS kind);

  std::vector<uint64_t> block_;  // 8-byte aligned, as the entries are
};
