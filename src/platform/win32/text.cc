// Text conversion and paths with the system's own calls. Code page 932 is named, not CP_ACP:
// the texts must come out in 932 whatever the machine's ANSI code page is.
#include "platform/win32/text.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

#include "platform/utf8_screen.h"

namespace {

constexpr UINT kCodePage932 = 932;

}  // namespace

std::wstring WideFromUtf8(std::string_view utf8) {
  if (utf8.empty()) return std::wstring();
  int size = static_cast<int>(utf8.size());
  int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
  if (length <= 0) return std::wstring();
  std::wstring wide(length, L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), length);
  return wide;
}

namespace {

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

namespace {

// The character of the UTF-16 units at `wide[at]` (a surrogate pair or one unit; an unpaired
// surrogate as itself), and how many units it takes.
char32_t CharacterAt(std::wstring_view wide, size_t at, size_t& units) {
  const bool is_pair =
      IS_HIGH_SURROGATE(wide[at]) && at + 1 < wide.size() && IS_LOW_SURROGATE(wide[at + 1]);
  units = is_pair ? 2 : 1;
  if (!is_pair) return wide[at];
  return 0x10000 + ((static_cast<char32_t>(wide[at]) - 0xD800) << 10) + (wide[at + 1] - 0xDC00);
}

}  // namespace

std::string ShownFromWide(std::wstring_view wide, bool is_utf8) {
  if (!is_utf8) return Cp932FromWide(wide);
  if (wide.empty()) return std::string();
  // Each character a UTF-8 chart shows as "?" is replaced before the conversion, which makes an
  // unpaired surrogate U+FFFD (without WC_ERR_INVALID_CHARS).
  std::wstring kept;
  kept.reserve(wide.size());
  for (size_t at = 0, units = 0; at < wide.size(); at += units) {
    if (IsShownAsQuestionMark(CharacterAt(wide, at, units))) {
      kept += L'?';
    } else {
      kept.append(wide.substr(at, units));
    }
  }
  const int size = static_cast<int>(kept.size());
  const int length =
      WideCharToMultiByte(CP_UTF8, 0, kept.data(), size, nullptr, 0, nullptr, nullptr);
  if (length <= 0) return std::string();
  std::string text(length, '\0');
  WideCharToMultiByte(CP_UTF8, 0, kept.data(), size, text.data(), length, nullptr, nullptr);
  return text;
}

namespace {

// The UTF-8 bytes of one character of UTF-16 (one unit or a surrogate pair).
std::string Utf8FromUnits(const wchar_t* units, int count) {
  char bytes[8];
  const int length = WideCharToMultiByte(CP_UTF8, 0, units, count, bytes, sizeof bytes, nullptr,
                                         nullptr);
  return std::string(bytes, length > 0 ? length : 0);
}

// The UTF-16 units of the UTF-8 character of `length` bytes at `text`.
std::wstring UnitsOf(const char* text, size_t length) {
  wchar_t units[4];
  const int count =
      MultiByteToWideChar(CP_UTF8, 0, text, static_cast<int>(length), units, 4);
  return std::wstring(units, count > 0 ? count : 0);
}

// The bytes of the UTF-8 character that starts with `first`.
size_t Utf8Length(unsigned char first) {
  if (first >= 0xF0) return 4;
  if (first >= 0xE0) return 3;
  if (first >= 0xC0) return 2;
  return 1;
}

}  // namespace

void LowerCaseUtf8(char* text, size_t length) {
  for (size_t i = 0; i < length;) {
    const unsigned char first = static_cast<unsigned char>(text[i]);
    const size_t size = std::min(Utf8Length(first), length - i);
    if (size == 1) {
      if (first >= 'A' && first <= 'Z') text[i] = static_cast<char>(first + 0x20);
      ++i;
      continue;
    }
    std::wstring units = UnitsOf(text + i, size);
    if (!units.empty()) {
      CharLowerBuffW(units.data(), static_cast<DWORD>(units.size()));
      const std::string lower = Utf8FromUnits(units.data(), static_cast<int>(units.size()));
      if (lower.size() == size) std::memcpy(text + i, lower.data(), size);
    }
    i += size;
  }
}

namespace {

// The columns a Japanese console gives one character: none where a terminal draws none, two for
// one beyond the Basic Multilingual Plane (an emoji), one that takes two bytes in code page 932
// or that the system calls full-width (C3_FULLWIDTH); one for any other.
int ConsoleCharacterColumns(char32_t character) {
  if (TerminalCharacterColumns(character) == 0) return 0;
  if (character > 0xFFFF) return 2;
  const wchar_t unit = static_cast<wchar_t>(character);
  char bytes[4];
  BOOL lost = FALSE;
  const int length = WideCharToMultiByte(kCodePage932, WC_NO_BEST_FIT_CHARS, &unit, 1, bytes,
                                         sizeof bytes, nullptr, &lost);
  WORD type = 0;
  const bool is_full_width =
      GetStringTypeW(CT_CTYPE3, &unit, 1, &type) && (type & C3_FULLWIDTH) != 0;
  return (length == 2 && !lost) || is_full_width ? 2 : 1;
}

}  // namespace

size_t Utf8DisplayWidth(std::string_view utf8) {
  return Utf8ClusterColumns(utf8, ConsoleCharacterColumns);
}

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

PathText PathTextFromWide(std::wstring_view wide, bool is_utf8) {
  PathText text{ShownFromWide(wide, is_utf8), NativeFromWide(wide), false, sizeof(wchar_t)};
  // Both conversions keep each "?" and make one only for a character they cannot show, so more
  // of them in the shown form means characters were lost.
  text.HasLostCharacters = std::count(text.Shown.begin(), text.Shown.end(), '?') !=
                           std::count(wide.begin(), wide.end(), L'?');
  return text;
}

PathText PathTextFromCp932(std::string_view text) {
  std::wstring wide;
  const int size = static_cast<int>(text.size());
  const int length = MultiByteToWideChar(kCodePage932, 0, text.data(), size, nullptr, 0);
  if (length > 0) {
    wide.resize(length);
    MultiByteToWideChar(kCodePage932, 0, text.data(), size, wide.data(), length);
  }
  return PathText{std::string(text), NativeFromWide(wide), false, sizeof(wchar_t)};
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
