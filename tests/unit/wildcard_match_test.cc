// Wildcard patterns against names, in code page 932 characters.
#include "common/wildcard_match.h"

#include <gtest/gtest.h>

#include "common/cp932_bytes.h"

namespace {

TEST(MatchesWildcard, ShellPatternsOnWholeNames) {
  const struct {
    const char* pattern;
    const char* name;
    bool matches;
  } rows[] = {
      {"*.o", "main.o", true},
      {"*.o", "main.oo", false},
      {"*.o", ".o", true},  // "*" takes a leading full stop too
      {"build", "build", true},
      {"build", "build2", false},  // the whole name, not a part of it
      {"b*d", "bd", true},
      {"b*d*", "b-d-x-d", true},
      {"*a*b*c", "xaybzc", true},
      {"*a*b*c", "xaybzcb", false},
      {"a?c", "abc", true},
      {"a?c", "ac", false},
      {"[abc]x", "bx", true},
      {"[a-c]x", "dx", false},
      {"[!a-c]x", "dx", true},
      {"[^a-c]x", "ax", false},
      {"[]a]", "]", true},  // "]" first is a member
      {"[!]]", "]", false},
      {"[a-]", "-", true},  // "-" last is a member
      {"[*]", "*", true},   // no escape character: a bracket makes "*" plain
      {"[*]", "a", false},
      {"a[b", "a[b", true},  // an unclosed "[" is an ordinary character
      {"a[b", "ab", false},
      {"[", "[", true},
      {"*", "", true},
      {"?", "", false},
      // Code page 932: "ソ" is 83 5C and "ゼ" is 83 5B; their second bytes are no "\" or "[".
      {"?", "\x83\x5C", true},  // one character, two bytes
      {"??", "\x83\x5C", false},
      {"\x83\x5B*", "\x83\x5B\x83\x5C.txt", true},
      {"*\x83\x5C", "a\x83\x5C", true},
      {"[\x83\x5B]", "\x83\x5B", true},  // a class of one two-byte character
      {"[\x83\x5B]", "[", false},
      {"[\x83\x40-\x83\x96]", "\x83\x5C", true},  // a range of katakana
      {"[\x83\x40-\x83\x96]", "\xB1", false},     // a one-byte katakana is below it
      {"*.txt", "\x83\x5C.txt", true},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(row.matches, MatchesWildcard(row.pattern, row.name, Cp932CharacterLength))
        << row.pattern << " / " << row.name;
  }
}

}  // namespace
