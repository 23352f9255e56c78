// The user's charset, the terminal's width, and code page 932 shown as UTF-8 on a terminal.
#include "platform/posix/terminal.h"

#include <langinfo.h>
#include <sys/ioctl.h>

#include <clocale>
#include <cstdlib>

#include "common/cp932_bytes.h"

namespace {

bool IsAscii(std::string_view text) {
  for (char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

// The locale name that decides the charset: the first of LC_ALL, LC_CTYPE and LANG that is set
// and not empty, as setlocale takes them.
std::string_view UserCharsetLocaleName() {
  for (const char* name : {"LC_ALL", "LC_CTYPE", "LANG"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && value[0] != '\0') return value;
  }
  return {};
}

}  // namespace

namespace {

// The letters of a charset's name, lower-cased, without "-" and "_": "Shift_JIS" is "shiftjis".
std::string CodesetLetters(std::string_view codeset) {
  std::string letters;
  for (char c : codeset) {
    if (c == '-' || c == '_') continue;
    letters += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  }
  return letters;
}

}  // namespace

bool IsUtf8CodesetName(std::string_view codeset) { return CodesetLetters(codeset) == "utf8"; }

bool IsCp932CodesetName(std::string_view codeset) {
  const std::string letters = CodesetLetters(codeset);
  return letters == "shiftjis" || letters == "sjis" || letters == "cp932" ||
         letters == "windows31j";
}

bool IsUtf8LocaleName(std::string_view locale) {
  return IsUtf8CodesetName(CodesetOfLocaleName(locale));
}

std::string_view CodesetOfLocaleName(std::string_view locale) {
  const size_t dot = locale.find('.');
  if (dot == std::string_view::npos) return {};
  const std::string_view charset = locale.substr(dot + 1);
  return charset.substr(0, charset.find('@'));
}

std::string UserCodeset() {
  // Only the charset is wanted. Every category goes back to what it was at once: the date and
  // time separators read LC_TIME on their own, and nothing may start to depend on LC_NUMERIC,
  // LC_COLLATE or LC_CTYPE because of the user's locale.
  const char* current = setlocale(LC_ALL, nullptr);
  const std::string saved = current != nullptr ? current : "C";
  // One category the system lacks makes the whole of LC_ALL fail; the charset is LC_CTYPE's.
  // When that locale is not installed either, its name still says what the user's text is.
  const bool is_known = setlocale(LC_ALL, "") != nullptr || setlocale(LC_CTYPE, "") != nullptr;
  const std::string codeset =
      is_known ? nl_langinfo(CODESET) : std::string(CodesetOfLocaleName(UserCharsetLocaleName()));
  setlocale(LC_ALL, saved.c_str());
  return codeset;
}

bool IsUtf8Locale() { return IsUtf8CodesetName(UserCodeset()); }

int TerminalColumns(int fd) {
  struct winsize size {};
  if (ioctl(fd, TIOCGWINSZ, &size) != 0) return 0;
  return size.ws_col;
}

TerminalConverter::TerminalConverter() : from_cp932_("UTF-8", "CP932") {}

bool TerminalConverter::IsReady() const { return from_cp932_.IsOpen(); }

std::string_view TerminalConverter::ToUtf8(std::string_view cp932) {
  if (!IsReady() || IsAscii(cp932)) return cp932;
  // A code page 932 byte becomes at most three UTF-8 bytes (a half-width katakana), a double-byte
  // character at most three, and a "?" that stands for a byte one.
  buffer_.resize(cp932.size() * 3);
  // Bytes that are no code page 932 character (a name taken byte for byte, say): one "?" each.
  const Iconv::ReplacementRule mark_each_byte = [](std::string_view rest) {
    const size_t refused = Cp932RefusedLength(rest);
    return Iconv::Replacement{refused, refused};
  };
  size_t length = 0;
  from_cp932_.Convert(cp932, buffer_, mark_each_byte, length);  // a failure keeps what it wrote
  buffer_.resize(length);
  return buffer_;
}
