// What a terminal needs: the user's charset, the terminal's width, and code page 932 text turned
// into the UTF-8 a UTF-8 terminal shows, as a Windows console shows code page 932.
#pragma once

#include <string>
#include <string_view>

#include "platform/posix/iconv.h"

// The charset of the user's locale (from LC_ALL, LC_CTYPE or LANG), as nl_langinfo(CODESET)
// names it. The program's own locale is put back as it was found, so nothing else the program
// does changes. A locale that is not installed is judged by its name ("" when that names none).
std::string UserCodeset();

// True when the user's locale has UTF-8 as its charset (UserCodeset).
bool IsUtf8Locale();

// True for the names nl_langinfo(CODESET) gives UTF-8 under ("UTF-8", "utf8", ...).
bool IsUtf8CodesetName(std::string_view codeset);

// True for the names of Shift_JIS and code page 932 ("SHIFT_JIS", "SJIS", "CP932",
// "WINDOWS-31J"): the charsets of the classic mode.
bool IsCp932CodesetName(std::string_view codeset);

// The charset that the locale name `locale` ("ja_JP.UTF-8", "de_DE.utf8@euro") names: the text
// between its "." and an "@"; empty when it has no ".".
std::string_view CodesetOfLocaleName(std::string_view locale);

// True when the locale name `locale` names UTF-8 as its charset (CodesetOfLocaleName).
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
