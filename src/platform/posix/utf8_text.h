// UTF-8 texts of a UTF-8 chart on POSIX: names shown whole and display widths (by utf8proc), and
// lower-casing (through the C library in a UTF-8 locale).
#pragma once

#include <locale.h>

#include <cstddef>
#include <span>
#include <string_view>

// Writes the shown form of a native name in a UTF-8 chart: every well-formed character as it
// is, each byte that starts none as U+FFFD, and each character IsShownAsQuestionMark names
// (control characters, line separators, bidi controls) as "?", so that one entry is one line,
// keeps its place and cannot drive a terminal. `out` needs room for three bytes a native byte.
// Returns the length written.
size_t WriteUtf8ShownName(std::string_view native, std::span<char> out);

// Lower-cases well-formed UTF-8 text in place: ASCII, and every other character whose lower
// case (towlower in the C.UTF-8 locale) takes as many bytes, so the length never changes.
void LowerCaseUtf8(char* text, size_t length);

// The columns a well-formed UTF-8 text takes on a terminal: Utf8ClusterColumns by
// TerminalCharacterColumns, so a joined emoji sequence takes two, a combining mark and an
// unassigned code point none.
size_t Utf8DisplayWidth(std::string_view text);

// The C.UTF-8 locale, loaded at the first call and kept. When it cannot be loaded the run ends
// there, as when memory runs out (memory_end.h): a name lower-cased without it would sort and
// match wrongly without a word. The platform asks for it before the walk, which may hold the
// last free descriptor.
locale_t Utf8Locale();
