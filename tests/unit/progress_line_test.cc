// The progress line: its text cut to the width, and when it is drawn and redrawn, on a screen
// whose clock, width and foreground the test sets.
#include "output/progress_line.h"

#include <gtest/gtest.h>

#include <string>

#include "fake_platform.h"

namespace {

const std::string kFolders = "F ";
const std::string kFiles = "f ";
const std::string kNihongo = "\x93\xFA\x96\x7B\x8C\xEA";  // 日本語, six bytes, six columns

// In UTF-8 the fake gives a character of three or four bytes two columns.
std::string Text(uint64_t folders, uint64_t files, std::string_view folder, size_t columns,
                 bool is_utf8 = false, std::string_view folders_label = kFolders) {
  FakePlatform fake;
  return ProgressText(fake, folders_label, folders, kFiles, files, folder, columns, is_utf8);
}

TEST(ProgressText, GroupsTheCountsAndShowsTheFolder) {
  EXPECT_EQ("F 0  f 0  /a", Text(0, 0, "/a", 80));
  EXPECT_EQ("F 1,234  f 1,234,567  /a/b", Text(1234, 1234567, "/a/b", 80));
  EXPECT_EQ("F 999  f 1,000  x", Text(999, 1000, "x", 80));
}

TEST(ProgressText, CutsTheStartOfALongFolder) {
  // "F 1  f 2  " takes 10 columns; 20 leave 7 for the folder after "...".
  EXPECT_EQ("F 1  f 2  /tmp/abcdef", Text(1, 2, "/tmp/abcdef", 21));
  EXPECT_EQ("F 1  f 2  ...abcdefg", Text(1, 2, "/tmp/abcdefg", 20));
}

TEST(ProgressText, NeverCutsADoubleByteCharacter) {
  // "/xy/日本語" takes ten columns; after "F 1  f 2  ..." (13 columns) an odd room of five
  // takes "本語" rather than half of "日".
  EXPECT_EQ("F 1  f 2  ..." + kNihongo, Text(1, 2, "/xy/" + kNihongo, 19));
  EXPECT_EQ("F 1  f 2  ..." + kNihongo.substr(2), Text(1, 2, "/xy/" + kNihongo, 18));
  EXPECT_EQ("F 1  f 2  ..." + kNihongo.substr(4), Text(1, 2, "/" + kNihongo, 16));
}

// In UTF-8 the columns are the platform's: 日本語 is nine bytes but six columns, 😀 two.
TEST(ProgressText, MeasuresUtf8InColumns) {
  EXPECT_EQ("F 1  f 2  /日本語", Text(1, 2, "/日本語", 17, true));
  EXPECT_EQ("F 1  f 2  ...本語", Text(1, 2, "/x/日本語", 17, true));
  EXPECT_EQ("F 1  f 2  ...😀", Text(1, 2, "/😀😀😀", 15, true));
}

TEST(ProgressText, CutsTheCountsOnANarrowTerminal) {
  EXPECT_EQ("F 1  f", Text(1, 2, "/a/b", 6));
  EXPECT_EQ("", Text(1, 2, "/a/b", 0));
  EXPECT_EQ("\x83\x74", Text(1, 2, "/a", 3, false, "\x83\x74\x83\x40"));
}

// A screen that keeps each line drawn on it followed by "|"; erasing is the platform's.
struct FakeScreen : ProgressScreen {
  int64_t NowMilliseconds() override { return 0; }  // the line is given its times
  bool IsForeground() override { return true; }
  size_t Columns() override { return columns; }
  void Draw(std::string_view line) override { drawn.append(line).append("|"); }
  void Erase() override {}
  size_t columns = 0;
  std::string drawn;
};

class ProgressLineTest : public ::testing::Test {
 protected:
  FakePlatform fake_;
  FakeScreen screen_;
};

// Rows of (quiet period, folder's time, due); the scan begins at 5,000 ms.
TEST_F(ProgressLineTest, StaysQuietForTheQuietPeriod) {
  const int64_t kSecond = ProgressLine::kQuietMilliseconds;
  const struct {
    int64_t quiet_ms, now_ms;
    bool is_due;
  } rows[] = {{kSecond, 5000, false},
              {kSecond, 6000, false},
              {kSecond, 6001, true},
              {20, 5020, false},
              {20, 5021, true}};
  for (const auto& row : rows) {
    ProgressLine line(fake_, screen_, false, 5000, row.quiet_ms);
    EXPECT_EQ(row.is_due, line.NoteFolder(10, row.now_ms)) << row.quiet_ms << " " << row.now_ms;
  }
}

TEST_F(ProgressLineTest, RedrawsAtMostTenTimesASecond) {
  ProgressLine line(fake_, screen_, false, 0);
  ASSERT_TRUE(line.NoteFolder(1, 1500));
  line.Show("/a", 1500);
  EXPECT_FALSE(line.NoteFolder(1, 1501));
  EXPECT_FALSE(line.NoteFolder(1, 1599));
  EXPECT_TRUE(line.NoteFolder(1, 1600));
}

// The same bytes go to every screen: a terminal's standard error, and a console on Windows,
// which writes a UTF-8 line as UTF-16 and a code page 932 one as its bytes. A screen that tells
// no width is taken for 80 columns.
TEST_F(ProgressLineTest, DrawsTheCountsBetweenTheEraseBytes) {
  ProgressLine line(fake_, screen_, false, 0);
  line.NoteFolder(3, 10);
  line.NoteFolder(4, 20);
  line.Show("/x", 2000);
  EXPECT_EQ(Cp932("\rフォルダ 2  ファイル 7  /x\x1b[K|"), screen_.drawn);
  fake_.SetUtf8Texts(true);
  screen_.drawn.clear();
  ProgressLine utf8_line(fake_, screen_, true, 0);
  utf8_line.NoteFolder(1, 0);
  utf8_line.Show("/日本語", 2000);
  EXPECT_EQ("\rフォルダ 1  ファイル 1  /日本語\x1b[K|", screen_.drawn);
  screen_.drawn.clear();
  screen_.columns = 30;  // its last two columns left free: 28, of which the counts take 24
  utf8_line.Show("/日本語", 2100);
  EXPECT_EQ("\rフォルダ 1  ファイル 1  ...\x1b[K|", screen_.drawn);
}

// Where threads read ahead of the walk, the line shows the totals they all read.
TEST_F(ProgressLineTest, TotalsReplaceTheCounts) {
  ProgressLine line(fake_, screen_, false, 0);
  line.NoteFolder(3, 10);
  EXPECT_TRUE(line.NoteTotals(40, 500, 2000));
  line.Show("/x", 2000);
  EXPECT_EQ(Cp932("\rフォルダ 40  ファイル 500  /x\x1b[K|"), screen_.drawn);
}

TEST_F(ProgressLineTest, NothingIsDrawnUnlessShown) {
  ProgressLine line(fake_, screen_, false, 0);
  for (int64_t now = 0; now < 3000; now += 7) line.NoteFolder(1, now);
  EXPECT_EQ("", screen_.drawn);
}

}  // namespace
