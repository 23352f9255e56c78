// Parting a text at its first "=" in both forms, with native forms of bytes and of UTF-16 units.
#include "common/path_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace std::string_literals;

// A part as "shown|native|lost", its native bytes as they are.
std::string Describe(const PathText& part) {
  return part.Shown + "|" + part.Native + "|" + (part.HasLostCharacters ? "lost" : "kept");
}

TEST(SplitAtFirstEquals, PartsBothFormsAtTheSameCharacter) {
  const struct {
    PathText text;
    std::string before;
    std::string after;
  } rows[] = {
      {{"/A=b=c", "/A=b=c"}, "/A|/A|kept", "b=c|b=c|kept"},
      {{"/A", "/A"}, "/A|/A|kept", "||kept"},
      {{"/A=", "/A="}, "/A|/A|kept", "||kept"},
      // A lost character shows as "?": only the part that shows one is marked.
      {{"/X=?*", "/X=\xF0\x9F\x98\x80*", true}, "/X|/X|kept", "?*|\xF0\x9F\x98\x80*|lost"},
      {{"/X=a", "/X=a", false}, "/X|/X|kept", "a|a|kept"},
      // UTF-16, low byte first: U+3D00 holds the byte of "=" at an odd offset, which is no "=".
      {{"a?=b", "a\0\0\x3D=\0b\0"s, true, 2}, "a?|a\0\0\x3D|lost"s, "b|b\0|kept"s},
      {{"a?", "a\0\0\x3D"s, true, 2}, "a?|a\0\0\x3D|lost"s, "||kept"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.text.Shown);
    const EqualsSplit split = SplitAtFirstEquals(row.text);
    EXPECT_EQ(row.before, Describe(split.Before));
    EXPECT_EQ(row.after, Describe(split.After));
    EXPECT_EQ(row.text.NativeUnitBytes, split.After.NativeUnitBytes);
  }
}

}  // namespace
