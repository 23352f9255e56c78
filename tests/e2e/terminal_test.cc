// The program in a real terminal (tmux, LANG=ja_JP.UTF-8): a UTF-8 chart on the screen by
// default, the code page 932 chart converted with /UTF8-, the same UTF-8 chart in pipes and
// files, and the progress line of a long scan, which only the terminal ever sees, and only while
// the run is in the foreground and going on.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "chart_expect.h"
#include "e2e_support.h"
#include "terminal_tmux.h"

namespace {

constexpr int kColumns = 120;
constexpr int kRows = 40;
constexpr int kTimeoutSeconds = 60;

// Temporary paths hold no quote, so single quotes make any of them one shell word.
std::string Quoted(std::string_view text) {
  std::string quoted(1, '\'');
  quoted.append(text).push_back('\'');
  return quoted;
}

std::string Program() { return Quoted(std::getenv("QUOVREL_PROGRAM")); }

bool HasLine(const std::string& screen, std::string_view wanted) {
  const std::vector<std::string> lines = TextLines(screen);
  return std::find(lines.begin(), lines.end(), wanted) != lines.end();
}

// True when `wanted` stands on consecutive lines of `screen`.
bool HasLines(const std::string& screen, const std::vector<std::string>& wanted) {
  const std::vector<std::string> lines = TextLines(screen);
  return std::search(lines.begin(), lines.end(), wanted.begin(), wanted.end()) != lines.end();
}

bool IsProgressLine(std::string_view line) {
  return line.rfind("フォルダ ", 0) == 0 && line.find("  ファイル ") != std::string_view::npos;
}

bool HasProgressLine(const std::string& screen) {
  const std::vector<std::string> lines = TextLines(screen);
  return std::any_of(lines.begin(), lines.end(), IsProgressLine);
}

// Skips unless the Linux program, tmux and the ja_JP.UTF-8 locale are all here; then opens a pane.
class TerminalTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (HasRunner()) GTEST_SKIP() << "the terminal display is the Linux program's own";
    ASSERT_NE(nullptr, std::getenv("QUOVREL_PROGRAM")) << "QUOVREL_PROGRAM names no program";
    if (!HasTmux()) GTEST_SKIP() << "tmux is not installed";
    locale_t utf8 = newlocale(LC_CTYPE_MASK, "ja_JP.UTF-8", nullptr);
    if (utf8 == nullptr) GTEST_SKIP() << "no ja_JP.UTF-8 locale";
    freelocale(utf8);
    session_ = std::make_unique<TmuxSession>(kColumns, kRows);
    ASSERT_TRUE(session_->IsReady());
  }

  std::unique_ptr<TmuxSession> session_;
};

// The small tree of the chart tests below, in "tree" of `files`.
void MakeSmallTree(TempTree& files) {
  ASSERT_TRUE(files.MakeFile("tree/a.txt", 10));
  ASSERT_TRUE(files.MakeFile("tree/docs/設計書.txt", 2000));
  ASSERT_TRUE(files.MakeFile("tree/src/main.cc", 1234));
  ASSERT_TRUE(files.MakeFolder("tree/src/util"));
}

std::vector<std::string> SmallChart(const TempTree& files) {
  return {
      files.Path("tree") + "（1 ファイル 10 バイト）",
      "│  a.txt",
      "├─docs（1 ファイル 2,000 バイト）",
      "│      設計書.txt",
      "└─src（1 ファイル 1,234 バイト）",
      "    │  main.cc",
      "    └─util（0 ファイル 0 バイト）",
  };
}

// The chart of a terminal whose charset is UTF-8 is a UTF-8 chart: one-column connectors, and
// the size column straight under the Japanese name, measured in columns.
TEST_F(TerminalTest, AUtf8TerminalGetsTheUtf8ChartByDefault) {
  TempTree files;
  MakeSmallTree(files);
  ASSERT_TRUE(session_->Run(
      "cd " + Quoted(files.Path("tree")) + " && " + Program() + " /F /Sum /Size", kTimeoutSeconds));
  EXPECT_TRUE(HasLines(session_->Screen(),
                       {
                           files.Path("tree") + "（1 ファイル 10 バイト）",
                           "│   a.txt            10",
                           "├── docs（1 ファイル 2,000 バイト）",
                           "│       設計書.txt         2,000",
                           "└── src（1 ファイル 1,234 バイト）",
                           "    │   main.cc         1,234",
                           "    └── util（0 ファイル 0 バイト）",
                       }))
      << session_->Screen();
}

// LS_COLORS colours a folder, a link and an executable on the screen; NO_COLOR and a pipe get
// no escape byte at all.
TEST_F(TerminalTest, NamesTakeTheirColorsOnTheScreenOnly) {
  TempTree files;
  ASSERT_TRUE(files.MakeFolder("tree/sub"));
  ASSERT_TRUE(files.MakeFile("tree/run.sh", 10));
  ASSERT_EQ(0, chmod(files.Path("tree/run.sh").c_str(), 0755));
  ASSERT_EQ(0, symlink("sub", files.Path("tree/lnk").c_str()));
  const std::string run = "cd " + Quoted(files.Path("tree")) + " && LS_COLORS='di=34:ln=36:ex=32' ";
  ASSERT_TRUE(session_->Run(run + Program() + " --files", kTimeoutSeconds));
  const std::string screen = session_->ColoredScreen();
  for (const char* name : {"\x1b[34msub", "\x1b[36mlnk", "\x1b[32mrun.sh"}) {
    EXPECT_NE(std::string::npos, screen.find(name)) << screen;
  }
  session_->Clear();
  ASSERT_TRUE(session_->Run(run + "NO_COLOR=1 " + Program() + " --files", kTimeoutSeconds));
  EXPECT_NE(std::string::npos, session_->Screen().find("run.sh"));
  EXPECT_EQ(std::string::npos, session_->ColoredScreen().find('\x1b')) << session_->Screen();
  ASSERT_TRUE(
      session_->Run(run + Program() + " --files /UTF8 | cat > ../piped.bin", kTimeoutSeconds));
  const std::string piped = ReadFileBytes(files.Path("piped.bin"));
  EXPECT_NE(std::string::npos, piped.find("run.sh"));
  EXPECT_EQ(std::string::npos, piped.find('\x1b'));
}

// "/UTF8-" on a UTF-8 terminal: the code page 932 chart, converted line by line for the screen.
TEST_F(TerminalTest, ChartShowsAsUtf8OnTheScreen) {
  TempTree files;
  MakeSmallTree(files);
  ASSERT_TRUE(
      session_->Run("cd " + Quoted(files.Path("tree")) + " && " + Program() + " /F /Sum /UTF8-",
                    kTimeoutSeconds));
  const std::string screen = session_->Screen();
  EXPECT_TRUE(HasLines(screen, SmallChart(files))) << screen;
  for (const char* glyph : {"├─", "└─", "│", "ファイル"}) {
    EXPECT_NE(std::string::npos, screen.find(glyph)) << glyph;
  }
}

// The Linux mode (LANG=ja_JP.UTF-8) gives a pipe and a file the screen's UTF-8 chart, LF-ended.
TEST_F(TerminalTest, PipesAndFilesGetTheSameUtf8Chart) {
  TempTree files;
  MakeSmallTree(files);
  const std::string expected = files.Path("tree") +
                               "（1 ファイル 10 バイト）\n│   a.txt\n"
                               "├── docs（1 ファイル 2,000 バイト）\n│       設計書.txt\n"
                               "└── src（1 ファイル 1,234 バイト）\n    │   main.cc\n"
                               "    └── util（0 ファイル 0 バイト）\n";
  const std::string in_tree = "cd " + Quoted(files.Path("tree")) + " && ";
  ASSERT_TRUE(
      session_->Run(in_tree + Program() + " /F /Sum | cat > ../piped.bin", kTimeoutSeconds));
  ASSERT_TRUE(session_->Run(Program() + " /F /Sum > ../file.bin 2> ../err.bin", kTimeoutSeconds));
  EXPECT_EQ(expected, ReadFileBytes(files.Path("piped.bin")));
  EXPECT_EQ(expected, ReadFileBytes(files.Path("file.bin")));
  EXPECT_EQ("", ReadFileBytes(files.Path("err.bin")));
  // As a user would look at them: "├── " is E2 94 9C E2 94 80 E2 94 80 20 in UTF-8.
  session_->Clear();
  ASSERT_TRUE(session_->Run(Program() + " /F /Sum | od -An -tx1", kTimeoutSeconds));
  std::string dump;
  for (const std::string& line : TextLines(session_->Screen())) dump += line;
  EXPECT_NE(std::string::npos, dump.find(" e2 94 9c e2 94 80 e2 94 80 20 64 6f 63 73")) << dump;
}

// Names holding a joined emoji family, U+0378 (drawn as nothing), a line separator and a bidi
// override: a "|" put at the column where a.txt's size ends lands right after every size.
TEST_F(TerminalTest, SizesLineUpUnderNamesOfJoinedAndInvisibleCharacters) {
  TempTree files;
  for (const char* name : {"r/a.txt", "r/\U0001F468\u200D\U0001F469\u200D\U0001F467.txt",
                           "r/x\u2028y", "r/u\u0378v", "r/evil\u202Etxt.exe"}) {
    ASSERT_TRUE(files.MakeFile(name, 12345));
  }
  const std::string a_line = "    a.txt               12,345";
  const std::string mark = "\\r\\033[" + std::to_string(a_line.size()) + "C|\\n";
  ASSERT_TRUE(session_->Run("cd " + Quoted(files.Path()) + " && " + Program() +
                                " r /F /Size /UTF8 | while IFS= read -r l; do printf '%s" + mark +
                                "' \"$l\"; done",
                            kTimeoutSeconds));
  EXPECT_TRUE(HasLines(session_->Screen(),
                       {a_line + "|", "    evil?txt.exe        12,345|",
                        "    uv                  12,345|", "    x?y                 12,345|",
                        "    \U0001F468\u200D\U0001F469\u200D\U0001F467.txt"
                        "              12,345|"}))
      << session_->Screen();
}

TEST_F(TerminalTest, HelpShowsInJapanese) {
  ASSERT_TRUE(session_->Run(Program() + " /?", kTimeoutSeconds));
  const std::string history = session_->History();
  EXPECT_TRUE(HasLine(history, "Quovrelant    Ver 2.03")) << history;
  EXPECT_TRUE(HasLine(history, "フォルダ構造を図式表示するコンソールプログラム"));
  EXPECT_TRUE(HasLine(history, "【 機能 】ドライブやパスのフォルダ構造を図式表示します。"));
  EXPECT_TRUE(HasLine(history, "=== オプションの説明 ==="));
  EXPECT_TRUE(HasLine(history, "※ / の代わりに - を使うこともできます。"));
}

// The program on `folder` with its clock twenty times as fast (fast_clock_preload.cc): its quiet
// second before the progress line takes 50 ms here, and its scan seems twenty times as long.
// "/SS" keeps the chart for the walk's end (its order needs every folder's total), so that the
// progress line alone stands on the screen while the walk goes; the links are alike in size, so
// they keep their order by name.
std::string FastClockRun(const std::string& folder) {
  return "LD_PRELOAD=" + Quoted(QUOVREL_FAST_CLOCK_LIBRARY) +
         " ASAN_OPTIONS=verify_asan_link_order=0:detect_leaks=0 " + Program() + " /SS " +
         Quoted(folder);
}

// A tree whose scan takes a while though its chart is short: one folder of files (which cost
// twice a link to make) reached through many links, each a sibling, not an ancestor, so each is
// walked. Its files are not charted, so the run needs little memory.
class LongScanTest : public TerminalTest {
 protected:
  static constexpr int kFiles = 1000;
  static constexpr double kWantedSeconds = 0.6;  // twelve seconds to the fast clock

  static void SetUpTestSuite() {
    if (HasRunner() || !HasTmux()) return;  // every test skips: no tree is needed
    tree_ = new TempTree;
    for (int i = 0; i < kFiles; ++i) tree_->MakeFile("data/file" + std::to_string(i) + ".txt");
    AddLinks(100);
    // The pace of this machine now: a run to a pipe shows no progress but scans the same.
    const auto start = std::chrono::steady_clock::now();
    RunProgram({tree_->Path("top")});
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    const double per_link = std::max(took.count(), 0.001) / links_;
    AddLinks(std::clamp(static_cast<int>(std::ceil(kWantedSeconds / per_link)), 100, 8000));
  }
  static void TearDownTestSuite() {
    delete tree_;
    tree_ = nullptr;
  }

  static void AddLinks(int count) {
    tree_->MakeFolder("top");
    for (; links_ < count; ++links_) {
      char name[32];
      std::snprintf(name, sizeof name, "top/link%04d", links_);
      (void)!symlink("../data", tree_->Path(name).c_str());
    }
  }

  static std::string LastLinkLine() {
    char name[64];
    std::snprintf(name, sizeof name, "└── link%04d -> ../data", links_ - 1);
    return name;
  }

  static TempTree* tree_;
  static int links_;
};

TempTree* LongScanTest::tree_ = nullptr;
int LongScanTest::links_ = 0;

TEST_F(LongScanTest, ProgressShowsThenGivesWayToTheChart) {
  std::string progress;
  auto watch = [&](const std::string& screen) {
    for (const std::string& line : TextLines(screen)) {
      if (IsProgressLine(line)) progress = line;
    }
  };
  ASSERT_TRUE(session_->Run(FastClockRun(tree_->Path("top")), kTimeoutSeconds, watch));
  EXPECT_NE(std::string::npos, progress.find(tree_->Path("top") + "/link")) << progress;
  const std::string history = session_->History();
  for (const std::string& line : TextLines(history)) EXPECT_FALSE(IsProgressLine(line)) << line;
  // The chart's first line stands alone where the progress line was.
  EXPECT_TRUE(HasLine(history, tree_->Path("top"))) << history;
  EXPECT_TRUE(HasLine(history, LastLinkLine()));
}

// A key while the line is shown: the line is erased, and the signal then does what it does
// without the program's handler: Ctrl-C and Ctrl-\ end the run (the shell's own trap keeps it
// from dropping the rest of the command line, and no core is left), Ctrl-Z stops it until "fg"
// continues it, where the line is drawn again. The walk here is twice as long as the others, so
// that a busy moment of the machine cannot end it before its line is seen; the key cuts it short.
TEST_F(LongScanTest, InterruptQuitAndStopEraseTheProgressLine) {
  struct KeyRow {
    const char *keys, *setup, *status, *after;
  };  // "after": what runs next
  const KeyRow rows[] = {{"C-c", "trap : INT", "status 130", ""},
                         {"C-\\", "trap : QUIT; ulimit -c 0", "status 131", ""},
                         {"C-z", "true", "status 148", "; fg"}};
  ASSERT_TRUE(tree_->MakeFolder("long"));
  for (int i = 0; i < 2 * links_; ++i) {
    (void)!symlink("../data", tree_->Path("long/link" + std::to_string(i)).c_str());
  }
  for (const KeyRow& row : rows) {
    session_->Clear();
    ASSERT_TRUE(session_->Run(row.setup, kTimeoutSeconds));
    bool pressed = false, has_status = false, drawn_after = false;
    auto watch = [&](const std::string& screen) {
      if (!pressed && HasProgressLine(screen)) {
        session_->SendKeys(row.keys);
        pressed = true;
      }
      if (has_status) drawn_after |= HasProgressLine(screen);
      has_status |= HasLine(screen, row.status);
    };
    ASSERT_TRUE(session_->Run(FastClockRun(tree_->Path("long")) + "; echo status $?" + row.after,
                              kTimeoutSeconds, watch));
    ASSERT_TRUE(pressed) << row.keys << ": no progress line to press it on";
    const std::string history = session_->History();
    EXPECT_FALSE(HasProgressLine(history)) << row.keys << "\n" << history;
    EXPECT_TRUE(HasLine(history, row.status)) << row.keys << "\n" << history;
    EXPECT_EQ(*row.after != '\0', drawn_after) << row.keys;
  }
}

// The shell puts a job started with "&" in a process group of its own, not the terminal's.
TEST_F(LongScanTest, ARunInTheBackgroundDrawsNoProgressLine) {
  bool saw_progress = false;
  auto watch = [&](const std::string& screen) { saw_progress |= HasProgressLine(screen); };
  ASSERT_TRUE(session_->Run(FastClockRun(tree_->Path("top")) + " >/dev/null & wait",
                            kTimeoutSeconds, watch));
  EXPECT_FALSE(saw_progress);
  EXPECT_FALSE(HasProgressLine(session_->History()));
}

TEST_F(LongScanTest, StandardErrorToAFileStaysEmpty) {
  bool saw_progress = false;
  auto watch = [&](const std::string& screen) {
    for (const std::string& line : TextLines(screen)) saw_progress |= IsProgressLine(line);
  };
  const std::string err = tree_->Path("err.txt");
  ASSERT_TRUE(session_->Run(FastClockRun(tree_->Path("top")) + " 2>" + Quoted(err), kTimeoutSeconds,
                            watch));
  EXPECT_FALSE(saw_progress);
  EXPECT_TRUE(PathExists(err));
  EXPECT_EQ("", ReadFileBytes(err));
  EXPECT_TRUE(HasLine(session_->Screen(), LastLinkLine()));
}

}  // namespace
