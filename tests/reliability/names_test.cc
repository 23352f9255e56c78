// Hostile names: line ends, escape sequences, DEL, bytes that are not UTF-8, the code page 932
// character whose second byte is "\", names that differ only in case, 255-byte names. Each entry
// is exactly one line, control characters and bytes that are no code page 932 character show as
// "?", the chart is valid code page 932 throughout, and no entry is lost, folders included: each
// is entered by its real name and its file shown.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "e2e_support.h"
#include "reliability_support.h"

namespace {

struct HostileName {
  std::string native;  // as the file system holds it
  std::string shown;   // as the chart shows it, code page 932
};

std::vector<HostileName> HostileNames() {
  std::string long_japanese;
  for (int i = 0; i < 85; ++i) long_japanese += "あ";  // 255 bytes of UTF-8
  return {
      {"new\nline", "new?line"},
      {"carriage\rreturn", "carriage?return"},
      {"both\r\nends", "both??ends"},
      {"esc\x1b[31mred\x1b[0m", "esc?[31mred?[0m"},
      {"title\x1b]0;owned\x07", "title?]0;owned?"},
      {"tab\there", "tab?here"},
      {"del\x7f", "del?"},
      {"bs\x08\x08", "bs??"},
      {"c1\xc2\x9b"
       "2J",
       "c1?2J"},  // U+009B, the one-character CSI: no code page 932 form
      {"invalid\xff\xfe", "invalid??"},
      {"caf\xe9 (1)", "caf? (1)"},   // Latin-1: the byte takes no neighbour with it
      {"\x80\xa0\xfd", "???"},       // bytes that start no character
      {"end\x83", "end?"},           // a lead byte with nothing after it
      {"\x83!", "?!"},               // a lead byte before a byte of no pair
      {"\x85\x40\xeb\x40", "????"},  // unassigned pairs
      {"\x83\x5c", "\x83\x5c"},      // code page 932 bytes already: shown as they are
      {"\x83\x5c.txt", "\x83\x5c.txt"},
      {"Case", "Case"},
      {"case", "case"},
      {"CASE", "CASE"},
      {std::string(251, 'n') + ".txt", std::string(251, 'n') + ".txt"},
      {long_japanese, Cp932Text(long_japanese)},
  };
}

class Names : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(tree_.IsReady());
    for (const HostileName& name : HostileNames()) {
      // A folder of the name, holding a file, and a file of the name inside "files".
      ASSERT_TRUE(tree_.MakeFile("folders/" + name.native + "/inside.txt", 3)) << name.shown;
      ASSERT_TRUE(tree_.MakeFile("files/" + name.native, 2)) << name.shown;
    }
  }

  void ExpectEveryNameOnItsOwnLine(const std::string& options) {
    const ShellRun run = RunShell("\"$Q\" " + ShellWord(tree_.Path()) + options);
    ASSERT_EQ(0, run.status);
    EXPECT_EQ("", run.err);
    ChartReader chart(false);
    ASSERT_TRUE(ReadChart(run.out, chart)) << chart.Problem();  // no control byte anywhere
    EXPECT_EQ("", chart.CheckSums());
    const size_t count = HostileNames().size();
    ASSERT_EQ(1 + 2 + 3 * count, chart.Entries().size());
    std::vector<std::string> paths = EntryPaths(chart);
    for (const HostileName& name : HostileNames()) {
      const auto has = [&paths](const std::string& path) {
        return std::count(paths.begin(), paths.end(), path) >= 1;
      };
      EXPECT_TRUE(has("files/" + name.shown)) << name.shown;
      EXPECT_TRUE(has("folders/" + name.shown + "/inside.txt")) << name.shown;
    }
    EXPECT_EQ(static_cast<uint64_t>(count * 5), chart.Entries()[0].total_bytes);
  }

  TempTree tree_;
};

TEST_F(Names, EachEntryIsOneCleanLine) { ExpectEveryNameOnItsOwnLine(" /A /F /Size /Sum /Total"); }

TEST_F(Names, EachEntryIsOneCleanLineSortedByName) {
  ExpectEveryNameOnItsOwnLine(" /A /F /Size /Sum /Total /SN");
}

TEST_F(Names, EachEntryIsOneCleanLineSortedByExtensionDescending) {
  ExpectEveryNameOnItsOwnLine(" /A /F /Size /Sum /Total /SE /Descend");
}

// The whole chart reaches a reader through the converter of the README's command, which stops
// at the first byte that is no code page 932 character (no -c).
TEST_F(Names, TheWholeChartPassesTheConverter) {
  const ShellRun run =
      RunShell("\"$Q\" " + ShellWord(tree_.Path()) + " /F /Time | iconv -f CP932 -t UTF-8");
  ASSERT_EQ(0, run.status) << run.err;
  std::vector<std::string> lines;
  ASSERT_TRUE(SplitCrLfLines(run.out, lines));
  EXPECT_EQ(1 + 2 + 3 * HostileNames().size(), lines.size());
}

// The default chart, box-drawing connectors and all: still no byte below 0x20 but the line ends.
TEST_F(Names, TheDefaultChartHoldsNoControlByte) {
  const ShellRun run = RunShell("\"$Q\" " + ShellWord(tree_.Path()) + " /F /Time");
  ASSERT_EQ(0, run.status);
  std::vector<std::string> lines;
  ASSERT_TRUE(SplitCrLfLines(run.out, lines));
  EXPECT_EQ(1 + 2 + 3 * HostileNames().size(), lines.size());
  for (const std::string& line : lines) {
    for (char c : line) {
      const unsigned char byte = static_cast<unsigned char>(c);
      EXPECT_TRUE(byte >= 0x20 && byte != 0x7F) << line;
    }
  }
}

}  // namespace
