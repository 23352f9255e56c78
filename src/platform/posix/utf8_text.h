// UTF-8 texts of a UTF-8 chart on POSIX: names shown whole, lower-casing and display widths,
// through the C library in a UTF-8 locale.
#pragma once

#include <cstddef>
#include <span>
#include <string_view>

// Writes the shown form of a native name in a UTF-8 chart: every well-formed character as it
// is, each byte that starts none as U+FFFD, and each control character (C0, DEL and C1) as "?",
// so that one entry is one line and cannot drive a terminal. `out` needs room for three bytes a
// native byte. Returns the length written.
size_t WriteUtf8ShownName(std::string_view native, std::span<char> out);

// Lower-cases well-formed UTF-8 text in place: ASCII, and every other character whose lower
// case (towlower in the C.UTF-8 locale) takes as many bytes, so the length never changes.
void LowerCaseUtf8(char* text, size_t length);

// The columns a well-formed UTF-8 text takes on a terminal: wcwidth of each character in the
// C.UTF-8 locale, 1 for one it gives no width (U+FFFD among them where it has none), 0 for a
// combining mark.
size_t Utf8DisplayWidth(std::string_view text);
