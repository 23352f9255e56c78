// Text conversion with the system's converters. Code page 932 is named, not CP_ACP: the fixed
// texts must come out in 932 whatever the machine's ANSI code page is.
#include "platform/win32_text.h"

#include <windows.h>

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

}  // namespace

std::string Cp932FromUtf8(std::string_view utf8) {
  std::wstring wide = WideFromUtf8(utf8);
  if (wide.empty()) return std::string();
  int size = static_cast<int>(wide.size());
  int length =
      WideCharToMultiByte(kCodePage932, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
  if (length <= 0) return std::string();
  std::string text(length, '\0');
  WideCharToMultiByte(kCodePage932, 0, wide.data(), size, text.data(), length, nullptr, nullptr);
  return text;
}
