// Code page 932 lower-casing for platforms without CharLowerBuffA.
#include "platform/posix_lower_case.h"

#include <locale.h>
#include <wctype.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <memory>

#include "common/cp932_bytes.h"
#include "platform/posix_iconv.h"

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

// The lower-case form of every two-byte character, one lead byte's row at a time, made when a
// text first holds that lead byte: each character through iconv to UTF-32, the C library's
// towlower in a UTF-8 locale, and iconv back.
class DoubleByteLowerCase {
 public:
  DoubleByteLowerCase() : locale_(newlocale(LC_CTYPE_MASK, "C.UTF-8", nullptr)) {}
  ~DoubleByteLowerCase() {
    if (locale_ != nullptr) freelocale(locale_);
  }

  // Lowers the character at `pair` (two bytes) in place.
  void Lower(char* pair) {
    const unsigned char lead = static_cast<unsigned char>(pair[0]);
    const unsigned char trail = static_cast<unsigned char>(pair[1]);
    if (rows_[lead] == nullptr) rows_[lead] = MakeRow(lead);
    const uint16_t lower = (*rows_[lead])[trail];
    pair[0] = static_cast<char>(lower >> 8);
    pair[1] = static_cast<char>(lower & 0xFF);
  }

 private:
  using Row = std::array<uint16_t, 256>;  // by trail byte: the lower-case pair, lead byte first

  std::unique_ptr<Row> MakeRow(unsigned char lead) {
    auto row = std::make_unique<Row>();
    for (unsigned trail = 0; trail < 256; ++trail) (*row)[trail] = (lead << 8) | trail;
    if (locale_ == nullptr) return row;
    for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
      const char pair[2] = {static_cast<char>(lead), static_cast<char>(trail)};
      char32_t lower;
      char lower_pair[2];
      if (LowerCharacter(pair, lower) && ToCp932(lower, lower_pair)) {
        (*row)[trail] = (static_cast<unsigned char>(lower_pair[0]) << 8) |
                        static_cast<unsigned char>(lower_pair[1]);
      }
    }
    return row;
  }

  // The lower-case form of the character `pair`; false where it has none to take.
  bool LowerCharacter(const char pair[2], char32_t& lower) {
    char32_t character;
    size_t length = 0;
    if (!to_utf32_.Convert(std::string_view(pair, 2), AsBytes(character), GiveUp, length) ||
        length != sizeof character || !IsInLoweredBlock(character)) {
      return false;
    }
    lower = static_cast<char32_t>(towlower_l(static_cast<wint_t>(character), locale_));
    return lower != character && IsInLoweredBlock(lower);
  }

  // The two bytes of `character` in code page 932; false where it takes any other number.
  bool ToCp932(char32_t character, char pair[2]) {
    char bytes[4];
    size_t length = 0;
    const std::string_view in(reinterpret_cast<const char*>(&character), sizeof character);
    if (!from_utf32_.Convert(in, bytes, GiveUp, length) || length != 2) return false;
    std::memcpy(pair, bytes, 2);
    return true;
  }

  static std::span<char> AsBytes(char32_t& character) {
    return std::span<char>(reinterpret_cast<char*>(&character), sizeof character);
  }
  static Iconv::Replacement GiveUp(std::string_view) { return {}; }

  locale_t locale_;
  Iconv to_utf32_{"UTF-32LE", "CP932"};
  Iconv from_utf32_{"CP932", "UTF-32LE"};
  std::array<std::unique_ptr<Row>, 256> rows_;
};

}  // namespace

void LowerCaseCp932(char* text, size_t length) {
  // Most names are ASCII, where no byte is a trail byte: one plain loop that vectorizes.
  unsigned char high_bits = 0;
  for (size_t i = 0; i < length; ++i) high_bits |= static_cast<unsigned char>(text[i]);
  if (high_bits < 0x80) {
    for (size_t i = 0; i < length; ++i) text[i] = LowerAscii(static_cast<unsigned char>(text[i]));
    return;
  }
  // Made at the first text that is not ASCII; the program is single-threaded.
  static DoubleByteLowerCase double_byte;
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
