// Conversions from the file system's native bytes to the program's code page 932 texts.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

#include "common/path_text.h"
#include "platform/posix/iconv.h"

// True when every byte is printable ASCII (0x20 to 0x7E): the text is the same in both encodings
// and needs no conversion at all.
bool IsPrintableAscii(std::string_view text);

// True when `text` is well-formed UTF-8: no stray or missing continuation bytes, no overlong
// forms, no surrogates, nothing past U+10FFFF.
bool IsValidUtf8(std::string_view text);

// The length of the well-formed UTF-8 character at the start of `text` (not empty), or 0 when
// there is none: no stray continuation byte, overlong form, surrogate or value past U+10FFFF.
size_t ValidCharacterLength(std::string_view text);

// The platform's conversions into the chart's encoding, code page 932 unless set to UTF-8, with
// their two converters held for the life of the platform.
class TextConverter {
 public:
  TextConverter();

  // From now on every shown form is UTF-8 (WriteUtf8ShownName) and a fixed text is itself.
  void SetUtf8(bool is_utf8) { is_utf8_ = is_utf8; }
  bool IsUtf8() const { return is_utf8_; }
  // From now on WriteDisplayName writes the native bytes unchanged (Platform::KeepNativeNames).
  void KeepNative() { is_native_kept_ = true; }
  bool IsNativeKept() const { return is_native_kept_; }
  // The room the shown form of a native text of `native_length` bytes may need: as many bytes in
  // code page 932, three times as many in UTF-8 (a byte that is no UTF-8 becomes U+FFFD).
  size_t MaxShownLength(size_t native_length) const {
    return is_utf8_ ? native_length * 3 : native_length;
  }

  // A fixed text of the program, UTF-8 to code page 932; a character the code page lacks (or a
  // malformed byte) becomes "?". Control characters pass unchanged: the texts hold none by
  // accident.
  std::string FixedText(std::string_view utf8);

  // Writes the form in which a native name, argument or path is shown: pure ASCII as it is,
  // valid UTF-8 converted (a character the code page lacks becomes "?"), anything else kept byte
  // for byte where code page 932 reads it as characters (a Shift_JIS name) and "?" for every
  // other byte; then every control byte becomes "?", so that one entry is one line and cannot
  // drive a terminal. The result is always valid code page 932 text. `out` needs room for
  // MaxShownLength(native.size()) bytes; nothing is written with less. Returns the length
  // written.
  size_t WriteDisplayName(std::string_view native, std::span<char> out);
  std::string DisplayName(std::string_view native);
  // `native` with its shown form (DisplayName), marked where that holds a "?" for another
  // character.
  PathText TextFromNative(std::string_view native);

 private:
  // Converts well-formed UTF-8 into `out`, which needs room for utf8.size() bytes: no character
  // takes more bytes in code page 932 than in UTF-8, and the "?" that replaces one takes a single
  // byte. False if iconv misbehaves.
  bool ConvertUtf8(std::string_view utf8, std::span<char> out, size_t& length);
  // Copies the characters of `text` that code page 932 reads into `out` (room for text.size()
  // bytes), each other byte as "?". Returns the length, which is text.size().
  size_t KeepCp932Characters(std::string_view text, std::span<char> out);

  Iconv to_cp932_;
  Iconv from_cp932_;  // only to tell code page 932 characters from other bytes
  bool is_utf8_ = false;
  bool is_native_kept_ = false;
};
