// What a terminal needs: the user's charset, the terminal's width, and code page 932 text turned
// into the UTF-8 a UTF-8 terminal shows, as a Windows console shows code page 932.
#pragma once

#include <string>
#include <string_view>

#include "platform/posix/iconv.h"

// True when the user's locale (from LC_ALL, LC_CTYPE or LANG) has UTF-8 as its charset. The
// program's own locale is put back as it was found, so nothing else the program does changes.
// A locale that is not installed is judged by its name.
bool IsUtf8Locale();

// True for the names nl_langinfo(CODESET) gives UTF-8 under ("UTF-8", "utf8", ...).
bool IsUtf8CodesetName(std::string_view codeset);

// True when the locale name `locale` ("ja_JP.UTF-8", "de_DE.utf8@euro") names UTF-8 as its
// charset: the text between its "." and an "@".
bool IsUtf8LocaleName(std::string_view locale);

// The columns of the terminal on `fd`; 0 when it is no terminal or does not say.
int TerminalColumns(int fd);

// Converts code page 932 text to UTF-8 through iconv, for a terminal only: what goes to a pipe or
// a file is never converted.
class TerminalConverter {
 public:
  TerminalConverter();

  // False when iconv has no converter; the text is then shown as it is.
  bool IsReady() const;

  // The UTF-8 form of `cp932`: the text itself when it is ASCII, else a view of a buffer that
  // the next call reuses. Each byte that is not part of a code page 932 character shows as one
  // "?", so the text keeps its width in columns.
  std::string_view ToUtf8(std::string_view cp932);

 private:
  Iconv from_cp932_;
  std::string buffer_;
};
