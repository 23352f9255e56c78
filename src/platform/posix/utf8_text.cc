// UTF-8 names and widths by utf8proc's data (platform/utf8_screen.h), and lower-casing with
// mbrtowc and towlower in C.UTF-8.
#include "platform/posix/utf8_text.h"

#include <locale.h>
#include <utf8proc.h>

#include <climits>
#include <cstdint>
#include <cstring>
#include <cwchar>
#include <cwctype>

#include "platform/posix/memory_end.h"
#include "platform/posix/text.h"
#include "platform/utf8_screen.h"

namespace {

constexpr char kReplacement[] = "\xEF\xBF\xBD";  // U+FFFD

// The C.UTF-8 locale made current for the life of the guard, on this thread only: the program's
// own locale (LC_TIME for the separators) stays as it was.
class Utf8LocaleScope {
 public:
  Utf8LocaleScope() : saved_(uselocale(Utf8Locale())) {}
  ~Utf8LocaleScope() { uselocale(saved_); }
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

// The well-formed character at the start of `text`, as ReadCharacter but without the locale:
// its length (0 when there is none) and value.
size_t DecodeCharacter(std::string_view text, char32_t& character) {
  const size_t length = ValidCharacterLength(text);
  utf8proc_int32_t code = 0;
  if (length != 0) {
    utf8proc_iterate(reinterpret_cast<const utf8proc_uint8_t*>(text.data()),
                     static_cast<utf8proc_ssize_t>(length), &code);
  }
  character = static_cast<char32_t>(code);
  return length;
}

void LowerCaseAscii(char& byte) {
  if (byte >= 'A' && byte <= 'Z') byte = static_cast<char>(byte + 0x20);
}

// Lower-cases the leading words of eight ASCII bytes of `text`; returns where the first word
// that is not all ASCII, or the tail shorter than a word, starts. In a word without high bits,
// adding 0x80 - 'A' to a byte sets its high bit when the byte is 'A' or above, and adding
// 0x7F - 'Z' when it is above 'Z'; no byte carries into the next.
size_t LowerCaseAsciiWords(char* text, size_t length) {
  constexpr uint64_t kOnes = 0x0101010101010101ull;
  constexpr uint64_t kHighBits = 0x80 * kOnes;
  size_t i = 0;
  for (; i + 8 <= length; i += 8) {
    uint64_t word;
    std::memcpy(&word, text + i, sizeof word);
    if ((word & kHighBits) != 0) break;
    const uint64_t from_a = word + (0x80 - 'A') * kOnes;
    const uint64_t above_z = word + (0x7F - 'Z') * kOnes;
    const uint64_t capitals = from_a & ~above_z & kHighBits;
    word |= capitals >> 2;  // 0x80 >> 2 is 0x20, the bit that makes a capital small
    std::memcpy(text + i, &word, sizeof word);
  }
  return i;
}

}  // namespace

locale_t Utf8Locale() {
  static const locale_t utf8 = newlocale(LC_CTYPE_MASK, "C.UTF-8", nullptr);
  if (utf8 == nullptr) EndForWantOfMemory();
  return utf8;
}

size_t WriteUtf8ShownName(std::string_view native, std::span<char> out) {
  if (out.size() < native.size() * 3) return 0;
  char* next = out.data();
  while (!native.empty()) {
    char32_t character = 0;
    const size_t length = DecodeCharacter(native, character);
    if (length == 0) {
      std::memcpy(next, kReplacement, 3);
      next += 3;
      native.remove_prefix(1);
      continue;
    }
    if (IsShownAsQuestionMark(character)) {
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
  // Most names are ASCII to their end, and ASCII needs no locale: the switch to it and back
  // cost more than the lower-casing.
  size_t i = LowerCaseAsciiWords(text, length);
  for (; i < length && static_cast<unsigned char>(text[i]) < 0x80; ++i) LowerCaseAscii(text[i]);
  if (i == length) return;
  const Utf8LocaleScope utf8;
  while (i < length) {
    if (static_cast<unsigned char>(text[i]) < 0x80) {
      LowerCaseAscii(text[i]);
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
  return Utf8ClusterColumns(text, TerminalCharacterColumns);
}
