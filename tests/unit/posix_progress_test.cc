// The progress line: its text cut to the width, and when it is drawn, redrawn and erased.
#include "platform/posix/progress.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

namespace {

const std::string kFolders = "F ";
const std::string kFiles = "f ";
const std::string kNihongo = "\x93\xFA\x96\x7B\x8C\xEA";  // 日本語, six bytes, six columns

std::string Text(uint64_t folders, uint64_t files, std::string_view folder, size_t columns) {
  return ProgressText(kFolders, folders, kFiles, files, folder, columns);
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

// In UTF-8 the columns are the terminal's: 日本語 is nine bytes but six columns, 😀 two.
TEST(ProgressText, MeasuresUtf8InColumns) {
  EXPECT_EQ("F 1  f 2  /日本語", ProgressText(kFolders, 1, kFiles, 2, "/日本語", 17, true));
  EXPECT_EQ("F 1  f 2  ...本語", ProgressText(kFolders, 1, kFiles, 2, "/x/日本語", 17, true));
  EXPECT_EQ("F 1  f 2  ...😀", ProgressText(kFolders, 1, kFiles, 2, "/😀😀😀", 15, true));
}

TEST(ProgressText, CutsTheCountsOnANarrowTerminal) {
  EXPECT_EQ("F 1  f", Text(1, 2, "/a/b", 6));
  EXPECT_EQ("", Text(1, 2, "/a/b", 0));
  EXPECT_EQ("\x83\x74", ProgressText("\x83\x74\x83\x40", 1, kFiles, 2, "/a", 3));
}

// A progress line drawing into a pipe, whose bytes the test reads back.
class ProgressLineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(0, pipe2(fds_, O_NONBLOCK));
    line_ = std::make_unique<ProgressLine>(fds_[1], texts_, nullptr);
  }
  void TearDown() override {
    close(fds_[0]);
    close(fds_[1]);
  }
  std::string Drawn() {
    std::string bytes;
    char buffer[4096];
    ssize_t got;
    while ((got = read(fds_[0], buffer, sizeof buffer)) > 0) bytes.append(buffer, got);
    return bytes;
  }

  int fds_[2];
  TextConverter texts_;
  std::unique_ptr<ProgressLine> line_;
};

TEST_F(ProgressLineTest, StaysQuietForTheFirstSecond) {
  line_->Begin(5000);
  EXPECT_FALSE(line_->NoteFolder(10, 5000));
  EXPECT_FALSE(line_->NoteFolder(10, 6000));
  EXPECT_TRUE(line_->NoteFolder(10, 6001));
}

TEST_F(ProgressLineTest, RedrawsAtMostTenTimesASecond) {
  line_->Begin(0);
  ASSERT_TRUE(line_->NoteFolder(1, 1500));
  line_->Show("/a", 1500);
  EXPECT_FALSE(line_->NoteFolder(1, 1501));
  EXPECT_FALSE(line_->NoteFolder(1, 1599));
  EXPECT_TRUE(line_->NoteFolder(1, 1600));
}

TEST_F(ProgressLineTest, DrawsOneLineAndErasesIt) {
  line_->Begin(0);
  line_->NoteFolder(3, 10);
  line_->NoteFolder(4, 20);
  line_->Show("/x", 2000);
  EXPECT_TRUE(line_->IsShown());
  const std::string folders = texts_.FixedText("フォルダ ");
  const std::string files = texts_.FixedText("ファイル ");
  EXPECT_EQ("\r" + folders + "2  " + files + "7  /x\x1b[K", Drawn());
  line_->Erase();
  EXPECT_FALSE(line_->IsShown());
  EXPECT_EQ("\r\x1b[K", Drawn());
  line_->Erase();
  EXPECT_EQ("", Drawn());
}

TEST_F(ProgressLineTest, ShowsUtf8OnAUtf8Terminal) {
  TerminalConverter terminal;
  ProgressLine line(fds_[1], texts_, &terminal);
  line.Begin(0);
  line.NoteFolder(1, 0);
  line.Show("/" + kNihongo, 2000);
  EXPECT_EQ("\rフォルダ 1  ファイル 1  /日本語\x1b[K", Drawn());
}

TEST_F(ProgressLineTest, NothingIsDrawnUnlessShown) {
  line_->Begin(0);
  for (int64_t now = 0; now < 3000; now += 7) line_->NoteFolder(1, now);
  line_->Erase();
  EXPECT_EQ("", Drawn());
}

}  // namespace
