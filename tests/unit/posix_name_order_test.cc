// The fixed enumeration order of a folder's entries on the POSIX platform.
#include "platform/posix_name_order.h"

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
