// Conversions of the POSIX platform: names, arguments and fixed texts to code page 932.
#include "platform/posix/text.h"

#include <gtest/gtest.h>

#include <string>

#include "common/fixed_texts.h"
#include "platform/posix/utf8_text.h"

namespace {

struct TextRow {
  const char* label;
  std::string input;
  std::string expected;
};

TEST(PosixDisplayName, TurnsNativeNamesIntoShownBytes) {
  const TextRow rows[] = {
      {"plain ASCII", "report-2024.txt", "report-2024.txt"},
      {"UTF-8 Japanese", "日本語", "\x93\xFA\x96\x7B\x8C\xEA"},
      {"half-width katakana", "ｱ", "\xB1"},
      {"emoji has no CP932 form", "x😀y", "x?y"},
      {"two emoji, two marks", "😀😀", "??"},
      {"Latin letter CP932 lacks", "caf\xC3\xA9", "caf?"},
      {"raw CP932 with trail byte 5C", "\x83\x5C.txt", "\x83\x5C.txt"},
      {"raw half-width katakana", "\xB1\xB2\xFF", "\xB1\xB2?"},
      {"bytes no character starts with", "\x80\xA0\xFD\xFE\xFF", "?????"},
      {"Latin-1 letter swallows no neighbour", "caf\xE9 (1)", "caf? (1)"},
      {"lead byte at the end", "\x93\xFA\x83", "\x93\xFA?"},
      {"lead byte before a byte of no pair", "\x83!\x83\x7F", "?!??"},
      {"unassigned pair keeps its width", "\x85\x40x\xEB\x40", "??x??"},
      {"overlong form is not UTF-8", "\xC0\xAF", "\xC0\xAF"},  // two half-width katakana
      {"encoded surrogate is not UTF-8", "\xED\xA0\x80", "\xED\xA0?"},
      {"newline", "a\nb", "a?b"},
      {"escape sequence", "\x1B[31mred", "?[31mred"},
      {"tab and delete", "t\tx\x7F", "t?x?"},
      {"control byte in raw text", "\x93\xFA\n", "\x93\xFA?"},
      {"control byte beside Japanese", "日\r", "\x93\xFA?"},
  };
  TextConverter converter;
  for (const TextRow& row : rows) {
    EXPECT_EQ(row.expected, converter.DisplayName(row.input)) << row.label;
  }
}

TEST(PosixDisplayName, NeverLongerThanTheNativeName) {
  TextConverter converter;
  for (const std::string name : {"ｱｲｳ", "é", "日本", "😀", "a\x80z"}) {
    EXPECT_LE(converter.DisplayName(name).size(), name.size()) << name;
  }
}

TEST(PosixFixedText, ConvertsTheProgramsTexts) {
  const TextRow rows[] = {
      {"message with full-width colon", "無効なフォルダです：",
       "\x96\xB3\x8C\xF8\x82\xC8\x83\x74\x83\x48\x83\x8B\x83\x5F\x82\xC5\x82\xB7\x81\x46"},
      {"line end kept", "合計\r\n", "\x8D\x87\x8C\x76\r\n"},
      {"character CP932 lacks", "a😀b", "a?b"},
      {"ASCII", "Usage /A", "Usage /A"},
      // The one text also kept as bytes, for memory that runs out before the converter opens.
      {"out of memory", std::string(kOutOfMemoryMessage), std::string(kOutOfMemoryMessageCp932)},
  };
  TextConverter converter;
  for (const TextRow& row : rows) {
    EXPECT_EQ(row.expected, converter.FixedText(row.input)) << row.label;
  }
}

TEST(PosixUtf8, TellsWellFormedFromMalformed) {
  const struct {
    std::string text;
    bool valid;
  } rows[] = {
      {"", true},
      {"abc", true},
      {"日本", true},
      {"😀", true},
      {"\xC3", false},
      {"\xC3\x28", false},
      {"\xC1\xBF", false},
      {"\xE0\x80\xAF", false},
      {"\xED\xBF\xBF", false},
      {"\xF4\x90\x80\x80", false},
      {"\xF5\x80\x80\x80", false},
      {"\x80", false},
  };
  for (const auto& row : rows) EXPECT_EQ(row.valid, IsValidUtf8(row.text)) << row.text;
}

// A name in a UTF-8 chart as terminals draw it: a grapheme cluster in its widest character's
// columns (two for an emoji presentation), an unassigned code point in none, and "?" for each
// character that would break or reorder the line.
TEST(PosixUtf8, ShowsAndMeasuresNamesAsTerminalsDraw) {
  const std::string family = "\U0001F468\u200D\U0001F469\u200D\U0001F467";
  const struct {
    std::string native, shown;
    size_t columns;
  } rows[] = {
      {family, family, 2},
      {"\U0001F44D\U0001F3FD", "\U0001F44D\U0001F3FD", 2},  // skin tone
      {"\U0001F1EF\U0001F1F5", "\U0001F1EF\U0001F1F5", 2},  // flag
      {"\u2764\uFE0F", "\u2764\uFE0F", 2},                  // variation selector 16
      {"e\u0301", "e\u0301", 1},
      {"u\u0378v", "u\u0378v", 2},
      {"x\u2028y", "x?y", 3},
      {"a\u202Eb", "a?b", 3},
      {"a\u2066b", "a?b", 3},
  };
  for (const auto& row : rows) {
    std::string shown(row.native.size() * 3, '\0');
    shown.resize(WriteUtf8ShownName(row.native, shown));
    EXPECT_EQ(row.shown, shown) << row.native;
    EXPECT_EQ(row.columns, Utf8DisplayWidth(shown)) << row.native;
  }
}

}  // namespace

namespace {

// The word-at-a-time check against the plain byte rule, for every byte at every position of
// names of 1 to 20 bytes.
TEST(PosixText, PrintableAsciiMatchesTheByteRule) {
  for (size_t length = 1; length <= 20; ++length) {
    for (size_t position = 0; position < length; ++position) {
      for (int byte = 0; byte < 256; ++byte) {
        std::string text(length, 'a');
        text[position] = static_cast<char>(byte);
        const bool expected = byte >= 0x20 && byte <= 0x7E;
        ASSERT_EQ(expected, IsPrintableAscii(text)) << length << " " << position << " " << byte;
      }
    }
  }
}

}  // namespace
