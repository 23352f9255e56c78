// Reading LS_COLORS and the bytes put around a name.
#include "output/name_colors.h"

#include <gtest/gtest.h>

namespace {

// Each row reads `ls_colors` and colours one name.
TEST(NameColors, ReadsLsColorsAndColorsOneName) {
  const struct {
    const char* ls_colors;
    EntryKind kind;
    bool is_folder;
    const char* name;
    const char* expected;
  } rows[] = {
      {"di=01;34", KindFolder, true, "src", "\x1b[01;34msrc\x1b[0m"},
      {"di=01;34", KindPlain, true, "root", "\x1b[01;34mroot\x1b[0m"},  // the chart's root
      {"di=01;34", KindPlain, false, "a.txt", "a.txt"},                 // no "fi": uncoloured
      {"ln=01;36:or=40;31", KindLink, true, "l", "\x1b[01;36ml\x1b[0m"},
      {"ln=01;36:or=40;31", KindOrphanLink, false, "o", "\x1b[40;31mo\x1b[0m"},
      {"ln=01;36", KindOrphanLink, false, "o", "\x1b[01;36mo\x1b[0m"},  // "or" falls back on "ln"
      {"ln=target:di=34", KindLink, true, "l", "\x1b[34ml\x1b[0m"},
      {"ex=32:*.sh=33", KindExecutable, false, "a.sh", "\x1b[32ma.sh\x1b[0m"},  // kind first
      {"su=37:*.sh=33", KindExecutable, false, "a.sh", "\x1b[33ma.sh\x1b[0m"},  // no "ex"
      {"fi=0:*.tar=31:*.TAR=35", KindPlain, false, "a.tar", "\x1b[31ma.tar\x1b[0m"},
      {"fi=0:*.tar=31:*.TAR=35", KindPlain, false, "A.TAR", "\x1b[35mA.TAR\x1b[0m"},
      {"*.tar=31", KindPlain, false, "b.Tar", "\x1b[31mb.Tar\x1b[0m"},       // another case
      {"*.gz=31:*.gz=32", KindPlain, false, "c.gz", "\x1b[32mc.gz\x1b[0m"},  // the last given
      {"ow=34;42:st=37;44", KindStickyOtherWritableFolder, true, "t", "\x1b[34;42mt\x1b[0m"},
      {"tw=30;42", KindStickyFolder, true, "s", "s"},  // no "st", no "di"
      {"pi=33:so=35:bd=1:cd=2", KindCharDevice, false, "tty", "\x1b[2mtty\x1b[0m"},
      {"lc=\\e[:rc=m:ec=^[[m:di=1", KindFolder, true, "d", "\x1b[1md\x1b[m"},
      {"rs=00:di=\\033[1\\x3b5:mh=00:ca=30", KindFolder, true, "d", "\x1b[\x1b[1;5md\x1b[00m"},
      {"di=1:zz=9", KindFolder, true, "d", "\x1b[1md\x1b[0m"},  // unknown keys passed over
      {"di=1:*\\_x=2", KindPlain, false, "a x", "\x1b[2ma x\x1b[0m"},
      {"::di=1:", KindFolder, true, "d", "\x1b[1md\x1b[0m"},
      {"di", KindFolder, true, "d", "d"},  // malformed: nothing is coloured
      {"di=1:*.c", KindFolder, true, "d", "d"},
      {"di=\\", KindFolder, true, "d", "d"},
      {"di=^!", KindFolder, true, "d", "d"},
      {"", KindFolder, true, "d", "d"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.ls_colors);
    NameColors colors;
    const bool is_malformed = ReadNameColors(row.ls_colors, colors) != 0;
    if (is_malformed) colors = NameColors{};
    std::string line;
    AppendColoredName(colors, row.kind, row.is_folder, row.name, line);
    EXPECT_EQ(row.expected, line);
  }
}

}  // namespace
