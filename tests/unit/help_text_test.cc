// The version banner and the help text: when they print, and their exact bytes.
#include "front/help_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/app_options.h"
#include "fake_platform.h"

namespace {

// Keeps each written line apart: every text line must be one whole write with its CR LF. Its
// texts are UTF-8, so the lines read as written here; their code page 932 bytes are the
// converter's, checked with the POSIX platform and in the built program's output.
class LinePlatform : public FakePlatform {
 public:
  LinePlatform() { SetUtf8Texts(true); }
  void WriteLine(std::string_view line) override { lines.emplace_back(line); }
  std::vector<std::string> lines;
};

// The help text as the user reads it, written out here again so that a slip in the program's
// copy shows up.
const char* const kExpectedHelp[] = {
    "【 機能 】ドライブやパスのフォルダ構造を図式表示します。",
    "【 書式 】Quovrel [<ドライブ>:][<パス>] [<オプション>]",
    "",
    "=== オプションの説明 ===",
    "",
    "/F+ (/F), /F-",
    "　各フォルダのファイル名を表示します(/F+)／表示しません(/F-)。",
    "",
    "/FileFirst (/IF), /FolderFirst (/OF)",
    "　ファイルを先に(/FileFirst)／フォルダを先に(/FolderFirst)表示します。",
    "",
    "/Size+ (/Size), /Size-",
    "　ファイルのサイズを表示します(/Size+)／表示しません(/Size-)。",
    "",
    "/Time+ (/Time), /Time-",
    "　ファイルの更新日時を表示します(/Time+)／表示しません(/Time-)。",
    "",
    "/Sum+ (/Sum), /Sum-",
    "　各フォルダのファイルの合計サイズを表示します(/Sum+)／表示しません(/Sum-)。",
    "",
    "/Total+ (/Total), /Total-",
    "　各フォルダのファイルの累計サイズ（サブフォルダを含む）を表示します(/Total+)／"
    "表示しません(/Total-)。",
    "",
    "/OutputTotal+=<出力先ファイル名> (/OutputTotal), /OutputTotal-",
    "　全フォルダのファイルの累計サイズをファイルに出力します(/OutputTotal+)／"
    "出力しません(/OutputTotal-)。",
    "",
    "/NoSort, /SortByName (/SN), /SortByExt (/SE), /SortBySize (/SS), /SortByTime (/ST)",
    "　名前順(/SortByName)／拡張子順(/SortByExt)／サイズ順(/SortBySize)／"
    "更新日時順(/SortByTime)にソートします。/NoSortではソートしません。"
    "/SortBySizeでは、フォルダは累計サイズ順に並びます。",
    "",
    "/Ascend, /Descend",
    "　昇順(/Ascend)／降順(/Descend)にソートします。",
    "",
    "/A+ (/A), /A-",
    "　1 バイト文字を使ってツリー表示する機能を有効(/A+)／無効(/A-)にします。",
    "",
    "/Verbose+ (/Verbose, /V), /Verbose-",
    "　バージョン情報を表示します(/Verbose+)／表示しません(/Verbose-)。"
    "/Verbose+のみを指定した場合、表示後直ちに終了します。",
    "",
    "/Help (/H, /?)",
    "　このヘルプを表示します。",
    "",
    "※ オプションに大文字小文字の区別はありません。",
    "※ / の代わりに - を使うこともできます。",
};

class HelpTextTest : public ::testing::Test {
 protected:
  AppOptions options;
  LinePlatform platform;
};

TEST_F(HelpTextTest, BannerIsSilentWhenVersionIsOff) {
  options.ShowHelp = true;  // only ShowVersion counts; the parser is what forces it
  EXPECT_EQ(-1, PrintVersionBanner(platform, options));
  EXPECT_TRUE(platform.lines.empty());
}

TEST_F(HelpTextTest, BannerIsTitleVersionNoticeAndAnEmptyLine) {
  options.ShowVersion = true;
  EXPECT_EQ(0, PrintVersionBanner(platform, options));
  ASSERT_EQ(3u, platform.lines.size());
  EXPECT_EQ("Quovrelant    Ver 2.03\r\n", platform.lines[0]);
  EXPECT_EQ("フォルダ構造を図式表示するコンソールプログラム\r\n", platform.lines[1]);
  EXPECT_EQ("\r\n", platform.lines[2]);
}

TEST_F(HelpTextTest, HelpIsSilentWhenHelpIsOff) {
  options.ShowVersion = true;
  EXPECT_EQ(-1, PrintHelp(platform, options));
  EXPECT_TRUE(platform.lines.empty());
}

TEST_F(HelpTextTest, HelpIsTheFortyThreeLines) {
  options.ShowHelp = true;
  EXPECT_EQ(0, PrintHelp(platform, options));
  ASSERT_EQ(std::size(kExpectedHelp), platform.lines.size());
  ASSERT_EQ(43u, platform.lines.size());
  for (size_t i = 0; i < platform.lines.size(); ++i) {
    EXPECT_EQ(std::string(kExpectedHelp[i]) + "\r\n", platform.lines[i]) << "line " << i + 1;
  }
}

// "--help" adds its block after the help text unchanged: an empty line and a heading, then per
// option a syntax line, a description that opens with U+3000, and an empty line between them.
TEST_F(HelpTextTest, ExtensionsBlockFollowsTheHelpTextOnRequest) {
  options.ShowExtensionHelp = true;
  EXPECT_EQ(-1, PrintHelp(platform, options));
  EXPECT_TRUE(platform.lines.empty());
  options.ShowHelp = true;
  ASSERT_EQ(0, PrintHelp(platform, options));
  ASSERT_EQ(43u + 60u, platform.lines.size());
  for (size_t i = 0; i < 43; ++i) {
    EXPECT_EQ(std::string(kExpectedHelp[i]) + "\r\n", platform.lines[i]) << "line " << i + 1;
  }
  EXPECT_EQ("\r\n", platform.lines[43]);
  EXPECT_EQ("=== 拡張オプションの説明 ===\r\n", platform.lines[44]);
  std::string syntax;
  for (size_t i = 46; i < platform.lines.size(); i += 3) {
    EXPECT_EQ("\r\n", platform.lines[i - 1]) << "line " << i;
    syntax += platform.lines[i].substr(0, platform.lines[i].find(' ')) + " ";
    EXPECT_EQ(0u, platform.lines[i + 1].find("　")) << "line " << i + 2;
  }
  EXPECT_EQ(
      "/Depth=<深さ> /DotFolders+ /Exclude=<パターン> "
      "/Human+ /DiskUsage+ /Apparent+ /Json+ /Import=<ファイル>, /Export=<ファイル>, /UTF8+ /OneFileSystem+ /Links+ /Threads=<数> /Color+ --files, --sort=<name|extension|size|time|none>, "
      "--help\r\n --version\r\n --\r\n ",
      syntax);
}

TEST_F(HelpTextTest, HelpDoesNotChangeWithTheOtherOptions) {
  options.ShowHelp = true;
  ASSERT_EQ(0, PrintHelp(platform, options));
  const std::vector<std::string> plain = platform.lines;
  platform.lines.clear();
  options.UseAsciiGlyphs = true;
  options.Ascending = false;
  options.ShowFiles = true;
  options.SortKey = SortBySize;
  DeriveSettings(options);
  ASSERT_EQ(0, PrintHelp(platform, options));
  EXPECT_EQ(plain, platform.lines);
}

}  // namespace
