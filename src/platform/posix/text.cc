// Conversions from native bytes to code page 932, through the C library's iconv.
#include "platform/posix/text.h"

#include <algorithm>
#include <cstring>

#include "common/chart_text.h"
#include "common/cp932_bytes.h"
#include "platform/posix/utf8_text.h"

namespace {

bool IsControlByte(unsigned char byte) { return byte < 0x20 || byte == 0x7F; }

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

}  // namespace

size_t ValidCharacterLength(std::string_view text) {
  const unsigned char first = static_cast<unsigned char>(text[0]);
  // A lead byte whose character would run past the end counts as 1 here, and so as no character.
  const size_t length = Utf8CharacterLength(text, 0);
  if (length == 1) return first < 0x80 ? 1 : 0;
  const unsigned char second = static_cast<unsigned char>(text[1]);
  // The second byte's range is what rules out overlong forms, surrogates and values past U+10FFFF.
  unsigned char low = 0x80, high = 0xBF;
  if (first == 0xE0) low = 0xA0;
  if (first == 0xED) high = 0x9F;
  if (first == 0xF0) low = 0x90;
  if (first == 0xF4) high = 0x8F;
  if (second < low || second > high) return 0;
  for (size_t i = 2; i < length; ++i) {
    if (!IsContinuation(static_cast<unsigned char>(text[i]))) return 0;
  }
  return length;
}

bool IsPrintableAscii(std::string_view text) {
  // Eight bytes at a time: with no high bit set, a byte below 0x20 borrows into its high bit
  // when 0x20 is taken away, and 0x7F alone carries into it when 1 is added.
  const auto is_printable_word = [](const char* bytes) {
    constexpr uint64_t kOnes = 0x0101010101010101ull;
    constexpr uint64_t kHighBits = 0x8080808080808080ull;
    uint64_t word;
    std::memcpy(&word, bytes, sizeof word);
    const uint64_t below_space = (word - 0x20 * kOnes) & ~word;
    return ((word | (word + kOnes) | below_space) & kHighBits) == 0;
  };
  if (text.size() >= 8) {
    for (size_t i = 0; i + 8 < text.size(); i += 8) {
      if (!is_printable_word(text.data() + i)) return false;
    }
    // The last eight bytes, overlapping the word before where the length is no multiple of 8.
    return is_printable_word(text.data() + text.size() - 8);
  }
  bool printable = true;
  for (char c : text) printable &= static_cast<unsigned char>(c - 0x20) < 0x5F;
  return printable;
}

bool IsValidUtf8(std::string_view text) {
  size_t i = 0;
  while (i < text.size()) {
    const size_t length = ValidCharacterLength(text.substr(i));
    if (length == 0) return false;
    i += length;
  }
  return true;
}

TextConverter::TextConverter() : to_cp932_("CP932", "UTF-8"), from_cp932_("UTF-8", "CP932") {}

bool TextConverter::ConvertUtf8(std::string_view utf8, std::span<char> out, size_t& length) {
  // A character the code page lacks (or a malformed one) shows as one "?".
  const Iconv::ReplacementRule one_mark = [](std::string_view rest) {
    const size_t bytes = ValidCharacterLength(rest);
    return Iconv::Replacement{bytes == 0 ? 1 : bytes, 1};
  };
  return to_cp932_.Convert(utf8, out, one_mark, length);
}

std::string TextConverter::FixedText(std::string_view utf8) {
  if (is_utf8_ || IsPrintableAscii(utf8)) return std::string(utf8);
  std::string out(utf8.size(), '\0');
  size_t length = 0;
  if (!ConvertUtf8(utf8, out, length)) return std::string(utf8);
  out.resize(length);
  return out;
}

size_t TextConverter::KeepCp932Characters(std::string_view text, std::span<char> out) {
  char* next = out.data();
  while (!text.empty()) {
    const size_t readable = from_cp932_.ReadableLength(text);
    std::memcpy(next, text.data(), readable);
    next += readable;
    text.remove_prefix(readable);
    if (text.empty()) break;
    const size_t refused = Cp932RefusedLength(text);
    std::memset(next, '?', refused);
    next += refused;
    text.remove_prefix(refused);
  }
  return static_cast<size_t>(next - out.data());
}

size_t TextConverter::WriteDisplayName(std::string_view native, std::span<char> out) {
  if (native.empty() || out.size() < native.size()) return 0;
  if (is_native_kept_ || IsPrintableAscii(native)) {
    std::memcpy(out.data(), native.data(), native.size());
    return native.size();
  }
  if (is_utf8_) return WriteUtf8ShownName(native, out);
  size_t length = 0;
  if (!IsValidUtf8(native) || !ConvertUtf8(native, out, length)) {
    // Not UTF-8: most likely code page 932 already, so its characters are kept as they are.
    length = KeepCp932Characters(native, out);
  }
  // No trail byte of code page 932 is a control byte, so this never splits a character.
  for (size_t i = 0; i < length; ++i) {
    if (IsControlByte(static_cast<unsigned char>(out[i]))) out[i] = '?';
  }
  return length;
}

std::string TextConverter::DisplayName(std::string_view native) {
  std::string out(MaxShownLength(native.size()), '\0');
  out.resize(WriteDisplayName(native, out));
  return out;
}

PathText TextConverter::TextFromNative(std::string_view native) {
  PathText text{DisplayName(native), std::string(native)};
  // The conversion keeps each "?" and makes one only for a character it cannot show, so more of
  // them in the shown form means characters were lost.
  text.HasLostCharacters = std::count(text.Shown.begin(), text.Shown.end(), '?') !=
                           std::count(native.begin(), native.end(), '?');
  return text;
}
