// UTF-8 names, lower-casing and widths, with mbrtowc, towlower and wcwidth in C.UTF-8.
#include "platform/posix/utf8_text.h"

#include <locale.h>

#include <climits>
#include <cstring>
#include <cwchar>
#include <cwctype>

#include "platform/posix/text.h"

namespace {

constexpr char kReplacement[] = "\xEF\xBF\xBD";  // U+FFFD

// The C.UTF-8 locale made current for the life of the guard, on this thread only: the program's
// own locale (LC_TIME for the separators) stays as it was. Nothing changes where the system has
// no such locale; the conversions then see the program's locale.
class Utf8LocaleScope {
 public:
  Utf8LocaleScope() {
    static const locale_t utf8 = newlocale(LC_CTYPE_MASK, "C.UTF-8", nullptr);
    if (utf8 != nullptr) saved_ = uselocale(utf8);
  }
  ~Utf8LocaleScope() {
    if (saved_ != nullptr) uselocale(saved_);
  }
  Utf8LocaleScope(const Utf8LocaleScope&) = delete;
  Utf8LocaleScope& operator=(const Utf8LocaleScope&) = delete;

 private:
  locale_t saved_ = nullptr;
};

// The character at the start of `text`: its length (0 when it is not well-formed) and value.
// The C library's decoder takes the five- and six-byte forms of old for characters, so the
// program's own rule decides what is well-formed.
size_t ReadCharacter(std::string_view text, wchar_t& character) {
  if (ValidCharacterLength(text) == 0) return 0;
  std::mbstate_t state{};
  const size_t length = std::mbrtowc(&character, text.data(), text.size(), &state);
  if (length == static_cast<size_t>(-1) || length == static_cast<size_t>(-2)) return 0;
  return length == 0 ? 1 : length;  // a NUL byte is one character
}

bool IsControlCharacter(wchar_t character) {
  return character < 0x20 || (character >= 0x7F && character <= 0x9F);
}

}  // namespace

size_t WriteUtf8ShownName(std::string_view native, std::span<char> out) {
  if (out.size() < native.size() * 3) return 0;
  const Utf8LocaleScope utf8;
  char* next = out.data();
  while (!native.empty()) {
    wchar_t character = 0;
    const size_t length = ReadCharacter(native, character);
    if (length == 0) {
      std::memcpy(next, kReplacement, 3);
      next += 3;
      native.remove_prefix(1);
      continue;
    }
    if (IsControlCharacter(character)) {
      *next++ = '?';
    } else {
      std::memcpy(next, native.data(), length);
      next += length;
    }
    native.remove_prefix(length);
  }
  return static_cast<size_t>(next - out.data());
}

void LowerCaseUtf8(char* text, size_t length) {
  const Utf8LocaleScope utf8;
  size_t i = 0;
  while (i < length) {
    const unsigned char byte = static_cast<unsigned char>(text[i]);
    if (byte < 0x80) {
      if (byte >= 'A' && byte <= 'Z') text[i] = static_cast<char>(byte + 0x20);
      ++i;
      continue;
    }
    wchar_t character = 0;
    const size_t size = ReadCharacter(std::string_view(text + i, length - i), character);
    if (size == 0) {
      ++i;
      continue;
    }
    const wchar_t lower = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(character)));
    char bytes[MB_LEN_MAX];
    std::mbstate_t state{};
    if (lower != character && std::wcrtomb(bytes, lower, &state) == size) {
      std::memcpy(text + i, bytes, size);
    }
    i += size;
  }
}

size_t Utf8DisplayWidth(std::string_view text) {
  if (IsPrintableAscii(text)) return text.size();
  const Utf8LocaleScope utf8;
  size_t width = 0;
  while (!text.empty()) {
    wchar_t character = 0;
    const size_t length = ReadCharacter(text, character);
    const int columns = length == 0 ? 1 : wcwidth(character);
    width += columns < 0 ? 1 : static_cast<size_t>(columns);
    text.remove_prefix(length == 0 ? 1 : length);
  }
  return width;
}
