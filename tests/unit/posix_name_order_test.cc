// The fixed enumeration order of a folder's entries on the POSIX platform.
#include "platform/posix/name_order.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

std::vector<std::string> Sorted(std::vector<std::string> names) {
  std::sort(names.begin(), names.end(),
            [](const std::string& a, const std::string& b) { return NativeNameLess(a, b); });
  return names;
}

TEST(PosixNameOrder, UpperCasesAsciiLettersThenBreaksTiesByRawBytes) {
  const struct {
    std::vector<std::string> given;
    std::vector<std::string> expected;
  } rows[] = {
      {{"b", "A", "a", "_x", "B1"}, {"A", "a", "b", "B1", "_x"}},
      {{"Zeta", "alpha", "Beta"}, {"alpha", "Beta", "Zeta"}},
      {{"ab", "AB", "Ab", "aB"}, {"AB", "Ab", "aB", "ab"}},
      {{"a.txt", "a", "a-b"}, {"a", "a-b", "a.txt"}},
      {{"日本", "z", "é", ".git", "~"}, {".git", "z", "~", "é", "日本"}},
      {{"[", "a", "Z", "`"}, {"a", "Z", "[", "`"}},
  };
  for (const auto& row : rows) EXPECT_EQ(row.expected, Sorted(row.given));
}

TEST(PosixNameOrder, IsAStrictOrder) {
  EXPECT_FALSE(NativeNameLess("same", "same"));
  EXPECT_TRUE(NativeNameLess("A", "a"));
  EXPECT_FALSE(NativeNameLess("a", "A"));
}

}  // namespace

namespace {

// Wherever two prefixes differ they must agree with the whole-name order: names that share
// their first bytes, differ in case, end early or hold high bytes.
TEST(PosixNameOrder, PrefixesAgreeWithTheWholeNameOrder) {
  const std::vector<std::string> names = {
      "a",        "A",         "ab",           "aB",           "abcdefgh",
      "abcdefgH", "abcdefghi", "abcdefgha",    "abcdefg",      "_x",
      "[",        "~",         "\xE3\x81\x82", "\xFF",         "Zz",
      "zZ",       "a.b",       "a b",          "abcdefgh.txt", "ABCDEFGH.TXT",
      "0"};
  for (const std::string& a : names) {
    for (const std::string& b : names) {
      const uint64_t prefix_a = NameOrderPrefix(a);
      const uint64_t prefix_b = NameOrderPrefix(b);
      if (prefix_a == prefix_b) continue;
      EXPECT_EQ(NativeNameLess(a, b), prefix_a < prefix_b) << a << " / " << b;
    }
  }
}

}  // namespace
