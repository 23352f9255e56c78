// Grouped decimal texts of counts and sizes.
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
    {999, "999"},
    {1000, "1,000"},
    {9999, "9,999"},
    {10000, "10,000"},
    {123456, "123,456"},
    {1000000, "1,000,000"},
    {1234567, "1,234,567"},
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

}  // namespace
