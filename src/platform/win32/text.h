// Texts of the Win32 platform: the system's UTF-16 names and paths, the code page 932 text the
// program shows for them, and the long paths every file-system call takes.
#pragma once

#include <string>
#include <string_view>

#include "common/path_text.h"

// Code page 932 bytes of `utf8`, by way of UTF-16; a character 932 cannot hold becomes "?".
std::string Cp932FromUtf8(std::string_view utf8);
std::wstring WideFromUtf8(std::string_view utf8);

// The shown form of `wide`: Cp932FromWide, or when `is_utf8` UTF-8 with every character (an
// unpaired surrogate as U+FFFD), and each one IsShownAsQuestionMark names (control characters,
// line separators, bidi controls) as "?".
std::string ShownFromWide(std::wstring_view wide, bool is_utf8);

// Lower-cases UTF-8 text in place: each character whose lower case (CharLowerBuffW) takes as
// many bytes.
void LowerCaseUtf8(char* text, size_t length);

// The columns a UTF-8 text takes on a Japanese console, cluster by cluster (Utf8ClusterColumns):
// a character takes none where a terminal draws none (TerminalCharacterColumns), two beyond the
// Basic Multilingual Plane (an emoji), two where it takes two bytes in code page 932 or the
// system calls it full-width (C3_FULLWIDTH), one otherwise.
size_t Utf8DisplayWidth(std::string_view utf8);

// The code page 932 text the ANSI calls would give for `wide`: the system's own conversion,
// so a character the code page lacks becomes its best-fit character ("é" as "e") or "?", and a
// character outside the Basic Multilingual Plane (two UTF-16 units) two "?".
std::string Cp932FromWide(std::wstring_view wide);

// A native form of the Win32 platform is the UTF-16 text itself, its code units' bytes kept in
// the string (PathText::Native); only this platform reads it.
std::string NativeFromWide(std::wstring_view wide);
std::wstring WideFromNative(std::string_view native);
// `wide` shown (ShownFromWide) and kept as its native form, marked where it lost characters.
PathText PathTextFromWide(std::wstring_view wide, bool is_utf8);
// Code page 932 text given by the system (an ANSI argument) with its native form.
PathText PathTextFromCp932(std::string_view text);

// The absolute form of `path` that reaches any depth: the full path (resolved as the system
// resolves it against the current directory, "." and ".." taken out) behind the "\\?\" prefix,
// "\\?\UNC\" for a network path; no separator at its end except a drive's top ("\\?\C:\"). A
// path already in that form is kept as it is, and one in the device namespace ("\\.\") too.
// Empty when the system cannot make it a full path.
std::wstring LongPath(std::wstring_view path);
// The folder that holds `long_path` (a LongPath), or "" at the top of its volume.
std::wstring ParentLongPath(std::wstring_view long_path);
