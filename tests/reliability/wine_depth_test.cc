// The Windows program under wine on a tree 10,000 levels deep: it must chart every level and the
// file at the bottom, with whole lines, and end normally. Below the charted folder it opens each
// folder relative to its parent, so neither Windows' 32,767-unit path limit nor wine's 4,096-byte
// Linux paths stop it. Runs only where ctest registers it with QUOVREL_WINE_DEPTH=1, and skips
// unless the Windows program and wine are both present.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "e2e_support.h"
#include "reliability_support.h"

namespace {

constexpr int kLevels = 10000;

std::string WindowsProgram() {
#ifdef QUOVREL_WINDOWS_PROGRAM
  return QUOVREL_WINDOWS_PROGRAM;
#else
  return std::string(QUOVREL_SOURCE_DIR) + "/build-win/quovrel.exe";
#endif
}

std::string WineCommand() {
#ifdef QUOVREL_WINE
  const std::string wine = QUOVREL_WINE;
  const std::string prefix = QUOVREL_WINE_PREFIX;
#else
  const std::string wine = "wine64";
  const std::string prefix = "";
#endif
  const ShellRun found = RunShell("command -v " + ShellWord(wine));
  if (found.status != 0) return "";
  std::string command = "env -u LC_ALL LANG=ja_JP.UTF-8 WINEDEBUG=-all ";
  if (!prefix.empty()) command += "WINEPREFIX=" + ShellWord(prefix) + " ";
  return command + ShellWord(wine);
}

// "Z:\" and the path with backslashes: how wine shows a Linux path.
std::string WinePath(const std::string& linux_path) {
  std::string path = "Z:";
  for (char c : linux_path) path += c == '/' ? '\\' : c;
  return path;
}

TEST(WineDepth, TenThousandLevelsEndNormally) {
  const char* wanted = std::getenv("QUOVREL_WINE_DEPTH");
  if (!wanted || std::string(wanted) != "1") GTEST_SKIP() << "registered on its own for wine";
  const std::string program = WindowsProgram();
  const std::string wine = WineCommand();
  if (!PathExists(program) || wine.empty()) GTEST_SKIP() << "needs " << program << " and wine";
  std::unique_ptr<TempTree> scratch = NewScratchTree();
  TempTree& tree = *scratch;
  ASSERT_TRUE(tree.IsReady() && MakeChain(tree.Path(), "d", kLevels, kLevels));
  ShellSettings settings;
  // Wine resolves the whole Linux path of each open while it is shorter than 4,096 bytes, so
  // levels 500 to 2,000 take minutes; the rest take seconds.
  settings.timeout_seconds = 1100;
  const ShellRun run = RunShell(wine + " " + ShellWord(program) + " " +
                                    ShellWord(WinePath(tree.Path())) + " /A /F /Size /Time",
                                settings);
  RunShell("rm -rf " + ShellWord(tree.Path()) + "/d");
  ASSERT_EQ(0, run.status) << run.err;
  std::vector<std::string> lines;
  ASSERT_TRUE(SplitCrLfLines(run.out, lines));
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(WinePath(tree.Path()), lines[0]);
  // The root, its file "f0", one line per level, and the file "f10000" at the bottom.
  ASSERT_EQ(kLevels + 3u, lines.size());
  size_t deepest = 0;
  for (size_t i = 1; i < lines.size(); ++i) {
    const size_t branch = lines[i].find("---d");  // "`---d" ends each folder's prefix
    if (branch != std::string::npos) deepest = std::max(deepest, (branch + 4) / 4);
  }
  EXPECT_EQ(static_cast<size_t>(kLevels), deepest);
  const std::string file = std::string(4 * (kLevels + 1), ' ') + "f10000        10,000 ";
  EXPECT_EQ(file, lines.back().substr(0, file.size()));
  RecordProperty("deepest_level", std::to_string(deepest));
}

}  // namespace
