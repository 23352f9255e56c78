// Text conversion and paths with the system's own calls. Code page 932 is named, not CP_ACP:
// the texts must come out in 932 whatever the machine's ANSI code page is.
#include "platform/win32_text.h"

#include <windows.h>

#include <cstring>

namespace {

constexpr UINT kCodePage932 = 932;

std::wstring WideFromUtf8(std::string_view utf8) {
  if (utf8.empty()) return std::wstring();
  int size = static_cast<int>(utf8.size());
  int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
  if (length <= 0) return std::wstring();
  std::wstring wide(length, L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), length);
  return wide;
}

bool StartsWith(std::wstring_view text, std::wstring_view start) {
  return text.substr(0, start.size()) == start;
}

// The length of the top of the volume that `long_path` lies on, its separator included:
// "\\?\C:\", "\\?\UNC\server\share\" or "\\?\Volume{...}\".
size_t VolumeTopLength(std::wstring_view long_path) {
  constexpr std::wstring_view kUnc = L"\\\\?\\UNC\\";
  size_t end;
  if (StartsWith(long_path, kUnc)) {
    const size_t server_end = long_path.find(L'\\', kUnc.size());
    end = server_end == std::wstring_view::npos ? server_end : long_path.find(L'\\', server_end + 1);
  } else {
    end = long_path.find(L'\\', 4);
  }
  return end == std::wstring_view::npos ? long_path.size() : end + 1;
}

// A long path is taken literally, so a separator at its end would make an empty last name; the
// top of a volume keeps its own.
std::wstring WithoutEndSeparators(std::wstring long_path) {
  const size_t top = VolumeTopLength(long_path);
  while (long_path.size() > top && long_path.back() == L'\\') long_path.pop_back();
  return long_path;
}

}  // namespace

std::string Cp932FromUtf8(std::string_view utf8) { return Cp932FromWide(WideFromUtf8(utf8)); }

std::string Cp932FromWide(std::wstring_view wide) {
  if (wide.empty()) return std::string();
  int size = static_cast<int>(wide.size());
  int length =
      WideCharToMultiByte(kCodePage932, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
  if (length <= 0) return std::string();
  std::string text(length, '\0');
  WideCharToMultiByte(kCodePage932, 0, wide.data(), size, text.data(), length, nullptr, nullptr);
  return text;
}

std::string NativeFromWide(std::wstring_view wide) {
  return std::string(reinterpret_cast<const char*>(wide.data()), wide.size() * sizeof(wchar_t));
}

std::wstring WideFromNative(std::string_view native) {
  std::wstring wide(native.size() / sizeof(wchar_t), L'\0');
  std::memcpy(wide.data(), native.data(), wide.size() * sizeof(wchar_t));
  return wide;
}

PathText PathTextFromWide(std::wstring_view wide) {
  return PathText{Cp932FromWide(wide), NativeFromWide(wide)};
}

PathText PathTextFromCp932(std::string_view text) {
  std::wstring wide;
  const int size = static_cast<int>(text.size());
  const int length = MultiByteToWideChar(kCodePage932, 0, text.data(), size, nullptr, 0);
  if (length > 0) {
    wide.resize(length);
    MultiByteToWideChar(kCodePage932, 0, text.data(), size, wide.data(), length);
  }
  return PathText{std::string(text), NativeFromWide(wide)};
}

std::wstring LongPath(std::wstring_view path) {
  if (path.empty()) return std::wstring();
  if (StartsWith(path, L"\\\\?\\")) return WithoutEndSeparators(std::wstring(path));
  const std::wstring given(path);
  // The first call tells the room the full path needs, its zero included.
  const DWORD size = GetFullPathNameW(given.c_str(), 0, nullptr, nullptr);
  if (size == 0) return std::wstring();
  std::wstring full(size, L'\0');
  const DWORD length = GetFullPathNameW(given.c_str(), size, full.data(), nullptr);
  if (length == 0 || length >= size) return std::wstring();
  full.resize(length);
  if (StartsWith(full, L"\\\\.\\")) return full;
  return WithoutEndSeparators(StartsWith(full, L"\\\\") ? L"\\\\?\\UNC\\" + full.substr(2)
                                                        : L"\\\\?\\" + full);
}

std::wstring ParentLongPath(std::wstring_view long_path) {
  const size_t top = VolumeTopLength(long_path);
  if (long_path.size() <= top) return std::wstring();
  const size_t separator = long_path.rfind(L'\\');
  return std::wstring(long_path.substr(0, separator < top ? top : separator));
}
