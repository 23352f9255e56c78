// The grand total appended to the total file.
#include "output/total_file.h"

#include <gtest/gtest.h>

#include <string>

#include "common/app_options.h"
#include "common/tree_item.h"
#include "fake_platform.h"

namespace {

class TotalFileTest : public ::testing::Test {
 protected:
  void NameTotalFile(const char* name) {
    options_.TotalFileName = SameText(name);
    DeriveSettings(options_);
  }

  AppOptions options_;
  FakePlatform platform_;
  TreeItem root_{0, TreeStore::kFirstSequenceNo};
};

TEST_F(TotalFileTest, PlainDecimalDigitsAndCrLf) {
  struct TotalCase {
    ByteSum total;
    const char* line;
  };
  const TotalCase cases[] = {
      {0, "0\r\n"},
      {7, "7\r\n"},
      {1234567, "1234567\r\n"},
      {4294967295u, "4294967295\r\n"},
      {18446744073709551615u, "18446744073709551615\r\n"},
      {ByteSum{4} * INT64_MAX, "36893488147419103228\r\n"},  // four files of 2^63 - 1 bytes
  };
  for (const TotalCase& c : cases) {
    platform_.total_files.clear();
    NameTotalFile("total.txt");
    root_.SetCumulativeBytes(c.total);
    WriteTotalFile(platform_, options_, root_);
    ASSERT_EQ(1u, platform_.total_files.size());
    EXPECT_EQ(c.line, platform_.total_files["total.txt"]);
  }
}

TEST_F(TotalFileTest, NoNameWritesNothing) {
  root_.TotalBytes = 5;
  WriteTotalFile(platform_, options_, root_);
  EXPECT_TRUE(platform_.total_files.empty());
  EXPECT_TRUE(platform_.output.empty());
}

TEST_F(TotalFileTest, EachRunAppendsOneLine) {
  NameTotalFile("t.txt");
  root_.TotalBytes = 10;
  WriteTotalFile(platform_, options_, root_);
  root_.TotalBytes = 2048;
  WriteTotalFile(platform_, options_, root_);
  EXPECT_EQ("10\r\n2048\r\n", platform_.total_files["t.txt"]);
}

TEST_F(TotalFileTest, NameIsUsedUnchanged) {
  NameTotalFile("sub\\a=b.TXT");
  root_.TotalBytes = 1;
  WriteTotalFile(platform_, options_, root_);
  ASSERT_EQ(1u, platform_.total_files.count("sub\\a=b.TXT"));
  EXPECT_EQ("1\r\n", platform_.total_files["sub\\a=b.TXT"]);
}

TEST_F(TotalFileTest, RefusedFileIsSkippedSilently) {
  NameTotalFile("locked.txt");
  platform_.refuse_total_file.insert("locked.txt");
  root_.TotalBytes = 3;
  WriteTotalFile(platform_, options_, root_);
  EXPECT_TRUE(platform_.total_files.empty());
  EXPECT_TRUE(platform_.output.empty());
}

}  // namespace
