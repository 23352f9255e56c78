// Terminal display on POSIX: the charset test, the locale left as found, CP932 shown as UTF-8,
// and the progress line's screen.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <clocale>
#include <cstdlib>
#include <string>

#include "platform/posix/progress_screen.h"
#include "platform/posix/terminal.h"

namespace {

TEST(IsUtf8CodesetName, KnowsTheSpellingsOfUtf8) {
  EXPECT_TRUE(IsUtf8CodesetName("UTF-8"));
  EXPECT_TRUE(IsUtf8CodesetName("utf8"));
  EXPECT_TRUE(IsUtf8CodesetName("Utf_8"));
  EXPECT_FALSE(IsUtf8CodesetName("ANSI_X3.4-1968"));
  EXPECT_FALSE(IsUtf8CodesetName("EUC-JP"));
  EXPECT_FALSE(IsUtf8CodesetName("UTF-16"));
  EXPECT_FALSE(IsUtf8CodesetName(""));
}

TEST(IsCp932CodesetName, KnowsShiftJisAndCodePage932) {
  for (const char* name : {"SHIFT_JIS", "sjis", "CP932", "WINDOWS-31J"}) {
    EXPECT_TRUE(IsCp932CodesetName(name)) << name;
  }
  EXPECT_FALSE(IsCp932CodesetName("EUC-JP"));
}

TEST(IsUtf8LocaleName, ReadsTheCharsetBetweenTheDotAndTheModifier) {
  EXPECT_TRUE(IsUtf8LocaleName("ja_JP.UTF-8"));
  EXPECT_TRUE(IsUtf8LocaleName("en_US.utf8"));
  EXPECT_TRUE(IsUtf8LocaleName("de_DE.Utf-8@euro"));
  EXPECT_FALSE(IsUtf8LocaleName("ja_JP.eucJP"));
  EXPECT_FALSE(IsUtf8LocaleName("ja_JP"));
  EXPECT_FALSE(IsUtf8LocaleName("ja_JP@utf8"));
  EXPECT_FALSE(IsUtf8LocaleName("C"));
  EXPECT_FALSE(IsUtf8LocaleName(""));
}

// Sets one environment variable for the life of the object.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    const char* old = std::getenv(name);
    had_ = old != nullptr;
    if (had_) old_ = old;
    setenv(name, value, 1);
  }
  ~ScopedEnv() {
    if (had_) {
      setenv(name_, old_.c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }

 private:
  const char* name_;
  bool had_ = false;
  std::string old_;
};

TEST(IsUtf8Locale, ReadsTheUsersCharset) {
  {
    ScopedEnv all("LC_ALL", "C.UTF-8");
    EXPECT_TRUE(IsUtf8Locale());
  }
  {
    ScopedEnv all("LC_ALL", "C");
    EXPECT_FALSE(IsUtf8Locale());
  }
  // Not installed: judged by the name.
  {
    ScopedEnv all("LC_ALL", "qq_QQ.utf8");
    EXPECT_TRUE(IsUtf8Locale());
  }
  {
    ScopedEnv all("LC_ALL", "qq_QQ.ISO-8859-1");
    EXPECT_FALSE(IsUtf8Locale());
  }
}

TEST(IsUtf8Locale, LeavesTheProgramsLocaleAsItWas) {
  ScopedEnv all("LC_ALL", "C.UTF-8");
  const std::string before = setlocale(LC_ALL, nullptr);
  IsUtf8Locale();
  EXPECT_EQ(before, setlocale(LC_ALL, nullptr));
  // A category set on its own, as the date and time separators set LC_TIME, stays set.
  ASSERT_NE(nullptr, setlocale(LC_TIME, "C.UTF-8"));
  const std::string mixed = setlocale(LC_ALL, nullptr);
  IsUtf8Locale();
  EXPECT_EQ(mixed, setlocale(LC_ALL, nullptr));
  setlocale(LC_ALL, before.c_str());
}

TEST(TerminalColumns, IsZeroForAPipe) {
  int fds[2];
  ASSERT_EQ(0, pipe(fds));
  EXPECT_EQ(0, TerminalColumns(fds[1]));
  close(fds[0]);
  close(fds[1]);
}

struct ShownRow {
  const char* label;
  std::string cp932;
  std::string utf8;
};

TEST(TerminalConverter, ShowsCodePage932AsUtf8) {
  TerminalConverter converter;
  ASSERT_TRUE(converter.IsReady());
  const ShownRow rows[] = {
      {"ASCII", "a/b.txt\r\n", "a/b.txt\r\n"},
      {"tee and line",
       "\x84\xA5\x84\x9F"
       "docs\r\n",
       "├─docs\r\n"},
      {"corner", "\x84\xA4\x84\x9F", "└─"},
      {"vertical and blanks", "\x84\xA0  x", "│  x"},
      {"katakana", "\x83\x74\x83\x40\x83\x43\x83\x8B", "ファイル"},
      {"half-width katakana", "\xB1", "ｱ"},
      {"trail byte 5C", "\x83\x5C", "ソ"},
      {"backslash and tilde stay ASCII", "\\~", "\\~"},
      {"unmapped double-byte: one mark a byte", "a\x85\x40z", "a??z"},
      {"lone byte no character starts with", "a\xA0z", "a?z"},
      {"lead byte at the end", "a\x81", "a?"},
  };
  for (const ShownRow& row : rows) {
    EXPECT_EQ(row.utf8, converter.ToUtf8(row.cp932)) << row.label;
  }
}

TEST(TerminalConverter, GivesAsciiBackUntouched) {
  TerminalConverter converter;
  const std::string line = "plain line\r\n";
  EXPECT_EQ(line.data(), converter.ToUtf8(line).data());
}

// On a pipe, which counts as the foreground: a code page 932 line is shown in UTF-8 until the
// texts are UTF-8 themselves, in the locale's charset where that is another (EUC-JP), and a
// drawn line is erased once.
TEST(TerminalScreen, ShowsTheLineAsTheTerminalReadsItAndErasesItOnce) {
  int fds[2];
  ASSERT_EQ(0, pipe2(fds, O_NONBLOCK));
  TerminalConverter converter;
  TerminalScreen screen(fds[1], &converter);
  screen.Erase();
  screen.Draw("\r\x83\x74\x1b[K");
  screen.Erase();
  screen.Erase();
  screen.SetUtf8Texts(true);
  screen.Draw("\rフ\x1b[K");
  screen.Erase();
  screen.ConvertUtf8LinesTo("EUC-JP");
  screen.Draw("\rフ\x1b[K");
  char bytes[64];
  const ssize_t got = read(fds[0], bytes, sizeof bytes);
  EXPECT_EQ("\rフ\x1b[K\r\x1b[K\rフ\x1b[K\r\x1b[K\r\xA5\xD5\x1b[K",
            std::string(bytes, std::max<ssize_t>(got, 0)));
  close(fds[0]);
  close(fds[1]);
}

}  // namespace
