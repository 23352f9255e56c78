// Code page 932 lower-casing for platforms without CharLowerBuffA.
#include "platform/posix/lower_case.h"

#include <locale.h>
#include <wctype.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string_view>

#include "common/cp932_bytes.h"
#include "platform/posix/iconv.h"
#include "platform/posix/utf8_text.h"

namespace {

// Adds 0x20 to "A" to "Z" only, without a branch that a mix of cases would mispredict.
inline char LowerAscii(unsigned char byte) {
  const unsigned is_upper = static_cast<unsigned>(byte - 'A') < 26u;
  return static_cast<char>(byte + (is_upper << 5));
}

// True for a character of the blocks whose capitals Windows lowers in code page 932 text: Greek,
// Cyrillic, the Roman numerals of the number forms, and the full-width Latin letters. Other
// characters of the code page that the C library would lower (none today) are left alone.
bool IsInLoweredBlock(char32_t character) {
  return (character >= 0x0370 && character <= 0x04FF) ||
         (character >= 0x2150 && character <= 0x218F) ||
         (character >= 0xFF00 && character <= 0xFFEF);
}

// The Unicode value of the one UTF-8 character `utf8` (of two or three bytes: every character of
// code page 932 lies in the Basic Multilingual Plane); false for any other text.
bool DecodeUtf8(std::string_view utf8, char32_t& character) {
  const auto byte = [&](size_t i) { return static_cast<char32_t>(static_cast<unsigned char>(utf8[i])); };
  if (utf8.size() == 2) {
    character = ((byte(0) & 0x1F) << 6) | (byte(1) & 0x3F);
    return true;
  }
  if (utf8.size() == 3) {
    character = ((byte(0) & 0x0F) << 12) | ((byte(1) & 0x3F) << 6) | (byte(2) & 0x3F);
    return true;
  }
  return false;
}

// The UTF-8 bytes of `character`, which lies in the Basic Multilingual Plane.
std::string_view EncodeUtf8(char32_t character, char (&bytes)[3]) {
  if (character < 0x800) {
    bytes[0] = static_cast<char>(0xC0 | (character >> 6));
    bytes[1] = static_cast<char>(0x80 | (character & 0x3F));
    return std::string_view(bytes, 2);
  }
  bytes[0] = static_cast<char>(0xE0 | (character >> 12));
  bytes[1] = static_cast<char>(0x80 | ((character >> 6) & 0x3F));
  bytes[2] = static_cast<char>(0x80 | (character & 0x3F));
  return std::string_view(bytes, 3);
}

// The lower-case form of each two-byte character, found the first time a text holds it: the
// character through iconv to UTF-8, and only for the blocks Windows lowers, the C library's
// towlower in the C.UTF-8 locale. Converters and locale are opened with the platform, before the
// walk.
class DoubleByteLowerCase {
 public:
  // Lowers the character at `pair` (two bytes) in place.
  void Lower(char* pair) {
    const unsigned char lead = static_cast<unsigned char>(pair[0]);
    const unsigned char trail = static_cast<unsigned char>(pair[1]);
    if (rows_[lead] == nullptr) rows_[lead] = std::make_unique<Row>();
    uint16_t& lower = (*rows_[lead])[trail];
    if (lower == kNotYetKnown) lower = LowerPair(pair);
    pair[0] = static_cast<char>(lower >> 8);
    pair[1] = static_cast<char>(lower & 0xFF);
  }

 private:
  // By trail byte: the lower-case pair, lead byte first. No pair has a zero lead byte.
  using Row = std::array<uint16_t, 256>;
  static constexpr uint16_t kNotYetKnown = 0;

  uint16_t LowerPair(const char pair[2]) {
    const uint16_t same = static_cast<uint16_t>((static_cast<unsigned char>(pair[0]) << 8) |
                                                static_cast<unsigned char>(pair[1]));
    char32_t lower;
    char lower_pair[2];
    if (!LowerCharacter(pair, lower) || !ToCp932(lower, lower_pair)) return same;
    return static_cast<uint16_t>((static_cast<unsigned char>(lower_pair[0]) << 8) |
                                 static_cast<unsigned char>(lower_pair[1]));
  }

  // The lower-case form of the character `pair`; false where it has none to take.
  bool LowerCharacter(const char pair[2], char32_t& lower) {
    char utf8[4];
    size_t length = 0;
    char32_t character;
    if (!to_utf8_.Convert(std::string_view(pair, 2), utf8, GiveUp, length) ||
        !DecodeUtf8(std::string_view(utf8, length), character) || !IsInLoweredBlock(character)) {
      return false;
    }
    lower = static_cast<char32_t>(towlower_l(static_cast<wint_t>(character), Utf8Locale()));
    return lower != character && IsInLoweredBlock(lower);
  }

  // The two bytes of `character` in code page 932; false where it takes any other number.
  bool ToCp932(char32_t character, char pair[2]) {
    char utf8[3];
    char bytes[4];
    size_t length = 0;
    if (!from_utf8_.Convert(EncodeUtf8(character, utf8), bytes, GiveUp, length) || length != 2) {
      return false;
    }
    std::memcpy(pair, bytes, 2);
    return true;
  }

  static Iconv::Replacement GiveUp(std::string_view) { return {}; }

  Iconv to_utf8_{"UTF-8", "CP932"};
  Iconv from_utf8_{"CP932", "UTF-8"};
  std::array<std::unique_ptr<Row>, 256> rows_;
};

DoubleByteLowerCase& DoubleByte() {
  static DoubleByteLowerCase double_byte;  // the program is single-threaded
  return double_byte;
}

}  // namespace

void PrepareLowerCase() {
  DoubleByte();
  Utf8Locale();
}

void LowerCaseCp932(char* text, size_t length) {
  // Most names are ASCII, where no byte is a trail byte: one plain loop that vectorizes.
  unsigned char high_bits = 0;
  for (size_t i = 0; i < length; ++i) high_bits |= static_cast<unsigned char>(text[i]);
  if (high_bits < 0x80) {
    for (size_t i = 0; i < length; ++i) text[i] = LowerAscii(static_cast<unsigned char>(text[i]));
    return;
  }
  DoubleByteLowerCase& double_byte = DoubleByte();
  for (size_t i = 0; i < length; ++i) {
    unsigned char byte = static_cast<unsigned char>(text[i]);
    if (byte >= 0x80) {
      // The trail byte may look like a letter; it is not one.
      if (IsCp932LeadByte(byte) && i + 1 < length) double_byte.Lower(text + i++);
      continue;
    }
    text[i] = LowerAscii(byte);
  }
}
