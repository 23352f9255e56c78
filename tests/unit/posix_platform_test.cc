// The POSIX platform's arguments, current directory, existence test, output and total file.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "common/fixed_texts.h"
#include "classic_platform.h"
#include "platform/platform.h"
#include "posix_test_folder.h"

namespace {

const char kNihongo[] = "\x93\xFA\x96\x7B\x8C\xEA";  // 日本語 in code page 932

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

std::vector<PathText> Arguments(Platform& platform, std::vector<std::string> native) {
  std::vector<char*> argv;
  for (std::string& argument : native) argv.push_back(argument.data());
  return platform.ReadArguments(static_cast<int>(argv.size()), argv.data());
}

// Puts the process back in the folder it started in when a test has moved it.
class PosixPlatformTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(folder_.ok());
    ASSERT_NE(nullptr, getcwd(start_, sizeof start_));
    platform_ = NewClassicSystemPlatform();
  }
  void TearDown() override { EXPECT_EQ(0, chdir(start_)); }

  TempFolder folder_;
  char start_[PATH_MAX];
  std::unique_ptr<Platform> platform_;
};

// A "?" that stands for another character marks the argument as having lost characters; one
// typed as such does not.
TEST_F(PosixPlatformTest, ConvertsArgumentsToCodePage932AndKeepsTheirBytes) {
  const std::vector<std::string> native = {"quovrel", "/tmp/日本語", "/sn", "-F+",   "x\x1B",
                                           "\x95\x5C",  "a😀",        "?",   "/OutputTotal=\xFF"};
  const std::vector<std::string> expected = {
      "quovrel", std::string("/tmp/") + kNihongo, "/sn", "-F+", "x?", "\x95\x5C", "a?", "?",
      "/OutputTotal=?"};
  const bool lost[] = {false, false, false, false, true, false, true, false, true};
  const std::vector<PathText> arguments = Arguments(*platform_, native);
  ASSERT_EQ(expected.size(), arguments.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(expected[i], arguments[i].Shown) << i;
    EXPECT_EQ(native[i], arguments[i].Native) << i;
    EXPECT_EQ(lost[i], arguments[i].HasLostCharacters) << i;
  }
}

// Each argument leads to its own folder, also where two of them show alike.
TEST_F(PosixPlatformTest, AnArgumentLeadsBackToItsFolder) {
  for (const char* name : {"日本語", "x😀", "\x95\x5Craw", "김철수", "홍길동"}) {
    ASSERT_TRUE(folder_.MakeFolder(name)) << name;
    const std::string native = folder_.Path(name);
    const PathText argument = Arguments(*platform_, {"quovrel", native})[1];
    EXPECT_TRUE(platform_->DirectoryExists(argument)) << name;
    ASSERT_EQ(0, platform_->ChangeCurrentFolder(argument)) << name;
    char here[PATH_MAX];
    ASSERT_NE(nullptr, getcwd(here, sizeof here));
    EXPECT_EQ(native, here);
  }
}

TEST_F(PosixPlatformTest, TellsWhetherAFolderExists) {
  ASSERT_TRUE(folder_.MakeFolder("folder"));
  ASSERT_TRUE(folder_.MakeFile("file"));
  ASSERT_TRUE(folder_.MakeLink("folder", "link"));
  ASSERT_TRUE(folder_.MakeLink("missing", "dangling"));
  const struct {
    std::string path;
    bool exists;
  } rows[] = {
      {folder_.path(), true},
      {folder_.Path("folder"), true},
      {folder_.Path("link"), true},
      {folder_.Path("file"), false},
      {folder_.Path("dangling"), false},
      {folder_.Path("missing"), false},
      {"", false},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(row.exists, platform_->DirectoryExists(SameText(row.path))) << row.path;
  }
}

TEST_F(PosixPlatformTest, ReadsTheCurrentDirectoryAsCodePage932) {
  ASSERT_TRUE(folder_.MakeFolder("日本語"));
  ASSERT_TRUE(folder_.MakeFolder("日本語/x😀"));
  const std::string native = folder_.Path("日本語/x😀");
  ASSERT_EQ(0, chdir(native.c_str()));
  const PathText current = platform_->ReadCurrentFolder();
  EXPECT_EQ(folder_.path() + "/" + kNihongo + "/x?", current.Shown);
  EXPECT_EQ(native, current.Native);
  // What was read leads back to the same folder, "?" and all.
  ASSERT_EQ(0, chdir("/"));
  EXPECT_TRUE(platform_->DirectoryExists(current));
  EXPECT_EQ(0, platform_->ChangeCurrentFolder(current));
}

TEST_F(PosixPlatformTest, ChangingToAMissingFolderFails) {
  ASSERT_EQ(0, chdir(folder_.path().c_str()));
  EXPECT_EQ(-1, platform_->ChangeCurrentFolder(SameText(folder_.Path("missing"))));
  EXPECT_EQ(-1, platform_->ChangeCurrentFolder(SameText("")));
  char here[PATH_MAX];
  ASSERT_NE(nullptr, getcwd(here, sizeof here));
  EXPECT_EQ(folder_.path(), here);
}

TEST_F(PosixPlatformTest, AppendsToTheTotalFile) {
  const std::string name = folder_.Path("total.txt");
  platform_->AppendTotalFile(SameText(name), "12\r\n");
  platform_->AppendTotalFile(SameText(name), "12\r\n");
  EXPECT_EQ("12\r\n12\r\n", ReadFile(name));
}

TEST_F(PosixPlatformTest, ATotalFileThatCannotBeOpenedIsSkipped) {
  ASSERT_TRUE(folder_.MakeFolder("folder"));
  platform_->AppendTotalFile(SameText(folder_.Path("missing/total.txt")), "1\r\n");
  platform_->AppendTotalFile(SameText(folder_.Path("folder")), "1\r\n");
  platform_->AppendTotalFile(SameText(""), "1\r\n");
  struct stat status {};
  EXPECT_NE(0, stat(folder_.Path("missing").c_str(), &status));
}

TEST_F(PosixPlatformTest, AFifoWithoutReaderDoesNotHoldUpTheTotalFile) {
  const std::string fifo = folder_.Path("fifo");
  ASSERT_EQ(0, mkfifo(fifo.c_str(), 0644));
  EXPECT_EQ("", RunInChild(
                    [&]() -> std::string {
                      const auto start = std::chrono::steady_clock::now();
                      NewClassicSystemPlatform()->AppendTotalFile(SameText(fifo), "12\r\n");
                      const auto waited = std::chrono::steady_clock::now() - start;
                      return waited < std::chrono::seconds(2) ? "" : "waited for a reader";
                    },
                    5));
}

TEST_F(PosixPlatformTest, WritesEachLineWholeToStandardOutput) {
  const std::string file = folder_.Path("out");
  EXPECT_EQ("", RunInChild([&]() -> std::string {
              const int fd = open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
              if (fd < 0 || dup2(fd, STDOUT_FILENO) < 0) return "cannot redirect";
              std::unique_ptr<Platform> platform = NewClassicSystemPlatform();
              platform->WriteLine(std::string(kNihongo) + "\r\n");
              platform->WriteLine(std::string(100000, 'x') + "\r\n");
              return "";
            }));
  EXPECT_EQ(std::string(kNihongo) + "\r\n" + std::string(100000, 'x') + "\r\n", ReadFile(file));
}

TEST_F(PosixPlatformTest, AClosedPipeDoesNotEndTheProgram) {
  EXPECT_EQ("", RunInChild([]() -> std::string {
              int ends[2];
              if (pipe(ends) != 0) return "no pipe";
              close(ends[0]);
              if (dup2(ends[1], STDOUT_FILENO) < 0) return "cannot redirect";
              std::unique_ptr<Platform> platform = NewClassicSystemPlatform();
              platform->WriteLine("lost\r\n");
              platform->WriteLine("lost too\r\n");
              return "";  // reaching this means SIGPIPE did not kill the process
            }));
}

// As CharLowerBuffA lowers code page 932 text under wine: ASCII, full-width Latin, Greek,
// Cyrillic and the Roman numerals; never a second byte, kana, kanji or a lower-case letter.
TEST_F(PosixPlatformTest, LowerCasesAsWindowsDoesInCodePage932) {
  const struct {
    std::string text;
    std::string lower;
  } kRows[] = {
      // The second bytes 41 ("A") and 5A ("Z") of ア and ゾ are no letters.
      {"ABC\x83\x41Z\x83\x5A", "abc\x83\x41z\x83\x5A"},
      {"\x82\x60\x83\x9F\x84\x46\x87\x54", "\x82\x81\x83\xBF\x84\x76\xFA\x40"},  // ＡΑЁⅠ
      {platform_->FromUtf8("ＺΩЯⅩ.TXT"), platform_->FromUtf8("ｚωяⅹ.txt")},
      {platform_->FromUtf8("ａωя表カｶ①Ｘ"), platform_->FromUtf8("ａωя表カｶ①ｘ")},
      {"\x82", "\x82"},  // a lead byte at the end stays
  };
  for (const auto& row : kRows) {
    std::string text = row.text;
    platform_->LowerCase(text.data(), text.size());
    EXPECT_EQ(row.lower, text) << row.text;
  }
}

// In a UTF-8 chart: every character whose lower case takes as many bytes, and no other, so a
// text keeps its length (İ lowers to "i", one byte shorter: it stays); names show every
// character, a byte that is no UTF-8 as U+FFFD, a C1 control as "?"; widths in columns.
TEST_F(PosixPlatformTest, Utf8TextsLowerShowAndMeasure) {
  platform_->SetUtf8Texts(true);
  std::string text = "ÀÉ.TXT Ａ Ω \u0130 😀";
  platform_->LowerCase(text.data(), text.size());
  EXPECT_EQ("àé.txt ａ ω \u0130 😀", text);
  // Every ASCII byte, in whole words of eight and in a tail, before and after a capital beyond it.
  std::string ascii;
  std::string ascii_lower;
  for (int c = 1; c < 0x80; ++c) {
    ascii += static_cast<char>(c);
    ascii_lower += static_cast<char>(c >= 'A' && c <= 'Z' ? c + 0x20 : c);
  }
  text = ascii + "É" + ascii;
  platform_->LowerCase(text.data(), text.size());
  EXPECT_EQ(ascii_lower + "é" + ascii_lower, text);
  EXPECT_EQ("a\xEF\xBF\xBD" "b?c", platform_->TextFromNative("a\xFF" "b\xC2\x85" "c").Shown);
  // An old five-byte form and a surrogate are no characters: U+FFFD for each of their bytes.
  std::string replaced;
  for (int i = 0; i < 8; ++i) replaced += "\xEF\xBF\xBD";
  EXPECT_EQ(replaced, platform_->TextFromNative("\xFA\xBE\xBE\xBE\xBE" "\xED\xA0\x80").Shown);
  EXPECT_EQ("合計\r\n", platform_->FromUtf8("合計\r\n"));
  EXPECT_EQ(13u, platform_->DisplayWidth("日本語.txt😀é"));
}

// The fixed texts beyond ASCII as the converter gives them: the messages, and the full-width signs
// and words of the help text (whose lines the help text's tests check in UTF-8).
TEST_F(PosixPlatformTest, FromUtf8GivesCodePage932) {
  const struct {
    std::string_view utf8;
    std::string_view cp932;
  } kRows[] = {
      {"合計\r\n", "\x8D\x87\x8C\x76\r\n"},
      {kInvalidOptionMessage,
       "\x96\xB3\x8C\xF8\x82\xC8\x83\x49\x83\x76\x83\x56\x83\x87\x83\x93\x82\xC5\x82\xB7\x81\x46"},
      {kNoOutputFileMessage,
       "\x8F\x6F\x97\xCD\x90\xE6\x82\xF0\x8E\x77\x92\xE8\x82\xB5\x82\xC4\x89\xBA\x82\xB3\x82\xA2"
       "\x81\x46"},
      {kInvalidFolderMessage,
       "\x96\xB3\x8C\xF8\x82\xC8\x83\x74\x83\x48\x83\x8B\x83\x5F\x82\xC5\x82\xB7\x81\x46"},
      {"【 機能 】", "\x81\x79 \x8B\x40\x94\x5C \x81\x7A"},
      {"【 書式 】", "\x81\x79 \x8F\x91\x8E\xAE \x81\x7A"},
      {"=== オプションの説明 ===",
       "=== \x83\x49\x83\x76\x83\x56\x83\x87\x83\x93\x82\xCC\x90\xE0\x96\xBE ==="},
      {"　各", "\x81\x40\x8A\x65"},  // U+3000 opens each description
      {"(/F+)／", "(/F+)\x81\x5E"},
      {"（サブ", "\x81\x69\x83\x54\x83\x75"},
      {"含む）", "\x8A\xDC\x82\xDE\x81\x6A"},
      {"※ / の代わりに - を使うこともできます。",
       "\x81\xA6 / \x82\xCC\x91\xE3\x82\xED\x82\xE8\x82\xC9 - "
       "\x82\xF0\x8E\x67\x82\xA4\x82\xB1\x82\xC6\x82\xE0\x82\xC5\x82\xAB\x82\xDC\x82\xB7\x81\x42"},
      {"/Depth=<深さ>", "/Depth=<\x90\x5B\x82\xB3>"},
      {"/Exclude=<パターン>", "/Exclude=<\x83\x70\x83\x5E\x81\x5B\x83\x93>"},
  };
  for (const auto& row : kRows) EXPECT_EQ(row.cp932, platform_->FromUtf8(row.utf8)) << row.utf8;
}

TEST_F(PosixPlatformTest, GivesDosDateAndTime) {
  // 2021-03-04 05:06:08 as a local file time.
  const FileTime time = MakeFileTime((1614834368ull + 11644473600ull) * 10000000ull);
  uint16_t date = 0, clock = 0;
  ASSERT_EQ(0, platform_->FileTimeToDosDateTime(time, date, clock));
  EXPECT_EQ(((2021 - 1980) << 9) | (3 << 5) | 4, date);
  EXPECT_EQ((5 << 11) | (6 << 5) | 4, clock);
}

TEST_F(PosixPlatformTest, SeparatorsFallBackWhenTheLocaleHasNone) {
  EXPECT_EQ("", RunInChild([]() -> std::string {
              setenv("LC_ALL", "ja_JP.UTF-8", 1);  // its formats put 年 and 時 between fields
              std::string date, time;
              NewClassicSystemPlatform()->GetDateTimeSeparators(date, time);
              return date == "/" && time == ":" ? "" : "got " + date + " and " + time;
            }));
}

}  // namespace
