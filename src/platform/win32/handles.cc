// Opening by handle: the charted folder by its long path, everything below it by name relative
// to its folder's handle (the system's own relative open, as the Win32 calls offer none).
#include "platform/win32/handles.h"

#include <winternl.h>

namespace {

// 64 KiB: the most a listing call returns from a network folder, and room for hundreds of names.
constexpr size_t kBlockBytes = 64 * 1024;

// Other programs may read, change, rename and remove what the walk holds open meanwhile.
constexpr ULONG kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// Opens `name` in the folder open as `folder` with `access`; as CreateFileW does, the name is
// compared without regard to case where the file system does, and a link leads to its target.
HANDLE OpenIn(HANDLE folder, std::wstring_view name, ACCESS_MASK access, ULONG share,
              ULONG options) {
  if (name.empty() || name.size() * sizeof(WCHAR) > 0xFFFF) return INVALID_HANDLE_VALUE;
  UNICODE_STRING object_name;
  object_name.Buffer = const_cast<PWSTR>(name.data());
  object_name.Length = static_cast<USHORT>(name.size() * sizeof(WCHAR));
  object_name.MaximumLength = object_name.Length;
  OBJECT_ATTRIBUTES attributes;
  InitializeObjectAttributes(&attributes, &object_name, OBJ_CASE_INSENSITIVE, folder, nullptr);
  IO_STATUS_BLOCK io_status;
  HANDLE handle = nullptr;
  const NTSTATUS status = NtOpenFile(&handle, access | SYNCHRONIZE, &attributes, &io_status, share,
                                     options | FILE_SYNCHRONOUS_IO_NONALERT);
  return NT_SUCCESS(status) ? handle : INVALID_HANDLE_VALUE;
}

bool ReadInfoAndClose(HANDLE handle, BY_HANDLE_FILE_INFORMATION& info) {
  if (handle == INVALID_HANDLE_VALUE) return false;
  const BOOL is_read = GetFileInformationByHandle(handle, &info);
  CloseHandle(handle);
  return is_read != 0;
}

}  // namespace

HANDLE OpenFolderByPath(const std::wstring& long_path) {
  return CreateFileW(long_path.c_str(), FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES, kShareAll,
                     nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

HANDLE OpenFolderIn(HANDLE folder, std::wstring_view name) {
  return OpenIn(folder, name, FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES, kShareAll,
                FILE_DIRECTORY_FILE | FILE_OPEN_FOR_BACKUP_INTENT);
}

// Access 0 (attributes and times only) and read sharing, as the scan always opened an entry.
bool ReadInfoByPath(const std::wstring& long_path, BY_HANDLE_FILE_INFORMATION& info) {
  return ReadInfoAndClose(CreateFileW(long_path.c_str(), 0, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr),
                          info);
}

// Two queries that need no more than the open handle: the fuller information calls also ask
// the file's name, which wine cannot give past 4,096 bytes of path.
bool ReadEntryFactsIn(HANDLE folder, std::wstring_view name, EntryFacts& facts) {
  const HANDLE handle =
      OpenIn(folder, name, FILE_READ_ATTRIBUTES, FILE_SHARE_READ, FILE_OPEN_FOR_BACKUP_INTENT);
  if (handle == INVALID_HANDLE_VALUE) return false;
  FILE_BASIC_INFO basic;
  FILE_STANDARD_INFO standard;
  const bool is_read =
      GetFileInformationByHandleEx(handle, FileBasicInfo, &basic, sizeof basic) &&
      GetFileInformationByHandleEx(handle, FileStandardInfo, &standard, sizeof standard);
  // The identity needs the volume's serial number, which a system may fail to give where the
  // size and time are still there (wine, past the length of a Linux path): the file then stands
  // as one of a single name, counted under each.
  BY_HANDLE_FILE_INFORMATION info;
  const bool is_identified = is_read && GetFileInformationByHandle(handle, &info);
  FILE_COMPRESSION_INFO compression;
  const bool is_compressed =
      is_read && (basic.FileAttributes & FILE_ATTRIBUTE_COMPRESSED) != 0 &&
      GetFileInformationByHandleEx(handle, FileCompressionInfo, &compression, sizeof compression);
  CloseHandle(handle);
  if (!is_read) return false;
  facts.size = static_cast<uint64_t>(standard.EndOfFile.QuadPart);
  facts.allocated = static_cast<uint64_t>(standard.AllocationSize.QuadPart);
  if (is_compressed) {
    facts.allocated = static_cast<uint64_t>(compression.CompressedFileSize.QuadPart);
  }
  facts.write_time.dwLowDateTime = basic.LastWriteTime.LowPart;
  facts.write_time.dwHighDateTime = static_cast<DWORD>(basic.LastWriteTime.HighPart);
  facts.names = is_identified ? standard.NumberOfLinks : 1;
  facts.identity = is_identified ? IdentityOf(info) : FolderIdentity{};
  return true;
}

FolderIdentity IdentityOf(const BY_HANDLE_FILE_INFORMATION& info) {
  return FolderIdentity{info.dwVolumeSerialNumber,
                        (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}

bool IdentifyHandle(HANDLE handle, FolderIdentity& identity) {
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(handle, &info)) return false;
  identity = IdentityOf(info);
  return true;
}

bool DirectoryReader::ReadBlock(HANDLE folder, FILE_INFO_BY_HANDLE_CLASS kind) {
  block_.resize(kBlockBytes / sizeof(uint64_t));
  return GetFileInformationByHandleEx(folder, kind, block_.data(),
                                      static_cast<DWORD>(kBlockBytes)) != 0;
}
