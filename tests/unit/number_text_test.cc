// Grouped decimal texts of counts and sizes, and sizes in units of 1,024.
#include "common/number_text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

namespace {

struct NumberCase {
  uint64_t value;
  const char* text;
};

const NumberCase kCases[] = {
    {0, "0"},
    {7, "7"},
    {42, "42"},
    {100, "100"},
    {999, "999"},
    {1000, "1,000"},
    {9999, "9,999"},
    {10000, "10,000"},
    {123456, "123,456"},
    {1000000, "1,000,000"},
    {1234567, "1,234,567"},
    {1005070, "1,005,070"},
    {1000000000, "1,000,000,000"},
    {4294967295u, "4,294,967,295"},
    {4294967306u, "4,294,967,306"},
    {12000000000000u, "12,000,000,000,000"},
    {18446744073709551615u, "18,446,744,073,709,551,615"},
};

TEST(FormatNumber, GroupsDigitsInThreesFromTheRight) {
  for (const NumberCase& c : kCases) {
    EXPECT_EQ(c.text, FormatNumber(c.value)) << c.value;
    EXPECT_EQ(std::strlen(c.text), GroupedNumberLength(c.value)) << c.value;
  }
}

TEST(AppendNumber, AppendsAfterExistingText) {
  for (const NumberCase& c : kCases) {
    std::string out = "x";
    AppendNumber(out, c.value);
    EXPECT_EQ(std::string("x") + c.text, out) << c.value;
  }
}

// Sums past 2^64 grouped (the 18-digit pieces of a wide sum keep their zeros) and in units.
TEST(AppendByteSum, SumsPast64Bits) {
  const struct {
    ByteSum value;
    const char* grouped;
    const char* human;
  } cases[] = {
      {ByteSum{1000000} * 1000000000000000000, "1,000,000,000,000,000,000,000,000", "848Z"},
      {(ByteSum{1} << 96) - (ByteSum{1} << 32), "79,228,162,514,264,337,589,248,983,040", "64R"},
      {~ByteSum{0}, "340,282,366,920,938,463,463,374,607,431,768,211,455", "268435456Q"},
  };
  for (const auto& c : cases) {
    std::string grouped, human;
    AppendByteSum(grouped, c.value);
    AppendHumanSize(human, c.value);
    EXPECT_EQ(c.grouped, grouped);
    EXPECT_EQ(c.human, human);
  }
}

TEST(AppendNumberRight, RightAlignsInTheColumn) {
  struct RightCase {
    uint64_t value;
    size_t width;
    const char* text;
  };
  const RightCase cases[] = {
      {0, 13, "            0"},
      {1234, 13, "        1,234"},
      {56, 13, "           56"},
      {1000000000, 13, "1,000,000,000"},
      {4294967295u, 13, "4,294,967,295"},
      {12000000000000u, 18, "12,000,000,000,000"},
      {5368709120u, 18, "     5,368,709,120"},
      {1234567, 5, "1,234,567"},  // a longer text is written whole
  };
  for (const RightCase& c : cases) {
    std::string out;
    AppendNumberRight(out, c.value, c.width);
    EXPECT_EQ(c.text, out) << c.value;
  }
}

// The edges of each step, as disk usage tools write them (checked against their output on
// files of these sizes): whole bytes below 1,024, tenths below 10 units, whole units above, each
// rounded up, and 1,024 of a unit as 1.0 of the next.
TEST(AppendHumanSize, RoundsUpInUnitsOf1024) {
  const NumberCase cases[] = {
      {0, "0"},
      {999, "999"},
      {1023, "1023"},
      {1024, "1.0K"},
      {1025, "1.1K"},
      {1126, "1.1K"},  // 1.0996K
      {1127, "1.2K"},  // 1.1006K
      {10188, "10K"},  // 9.949K: its tenths round up to 10.0
      {10240, "10K"},
      {10241, "11K"},
      {1048473, "1.0M"},  // 1023.9K
      {1048576, "1.0M"},
      {1572864, "1.5M"},
      {3435973837u, "3.3G"},  // 3.2 GiB and a byte
      {10737418240u, "10G"},
      {(1ull << 40) - 1, "1.0T"},
      {(1ull << 60) * 10, "10E"},
      {18446744073709551615u, "16E"},
  };
  for (const NumberCase& c : cases) {
    std::string out = "x";
    AppendHumanSize(out, c.value);
    EXPECT_EQ(std::string("x") + c.text, out) << c.value;
  }
  std::string column;
  AppendHumanSizeRight(column, 1572864, 13);
  EXPECT_EQ("         1.5M", column);
}

}  // namespace
