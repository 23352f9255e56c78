// The complete output of every option combination on a generated tree of a few thousand entries,
// compared with the charts stored in tests/fixtures, so that no change of speed or memory can
// change one byte of a chart. A failure shows the first differing lines of the first chart that
// differs.
//
// QUOVREL_UPDATE_FIXTURE=1 rewrites the stored charts from the program under test instead of
// checking; QUOVREL_FIXTURE_DUMP=DIR also writes each combination's output, status and total file
// into DIR (one file per combination's key), so that two programs' charts can be compared line by
// line.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "chart_diff.h"
#include "chart_fixture_tree.h"
#include "classic_platform.h"
#include "chart_store.h"
#include "e2e_support.h"
#include "front/run_driver.h"
#include "platform/platform.h"

namespace {

// The stored charts sit in tests/fixtures beside this file's folder.
std::string StorePath() {
  std::string here = __FILE__;
  return here.substr(0, here.rfind('/')) + "/../fixtures/chart_fixture.txt.xz";
}

// A fixed linear congruential sequence: the tree is the same with every compiler and library.
class Sequence {
 public:
  uint32_t Next() {
    state_ = state_ * 6364136223846793005ull + 1442695040888963407ull;
    return static_cast<uint32_t>(state_ >> 33);
  }
  uint32_t Below(uint32_t bound) { return Next() % bound; }

 private:
  uint64_t state_ = 20261208;
};

// Names of every kind the chart must keep: mixed case, several full stops, none, Japanese
// (full- and half-width), a control character, bytes that are not UTF-8, a character code page
// 932 cannot hold, and pairs equal but for case.
const char* const kStems[] = {"readme",    "README",   "Report",   "data",         "IMG_",
                              "a",         "zz",       "Makefile", "notes",        "x.y",
                              "資料",      "ﾃｽﾄ",      "表計算",   "ドキュメント", "ａｂｃ",
                              "tab\tname", "\xff\xfe", "😀",        "Zeta",         "beta"};
const char* const kExtensions[] = {"",     ".txt", ".TXT", ".c",    ".h",   ".tar.gz", ".jpeg",
                                   ".JPG", ".",    ".md",  ".日本", ".Txt", ".log"};

// Sizes: mostly small, some large, the 32-bit edges, a few past 4 GiB and one that widens the
// size column of its folder.
int64_t PickSize(Sequence& random) {
  switch (random.Below(20)) {
    case 0:
      return 0;
    case 1:
      return 1000;  // many equal sizes, so the name breaks the tie
    case 2:
      return random.Below(50000000);
    case 3: {
      const int64_t edges[] = {4294967295ll, 4294967296ll, 4294967296ll + 123, 5000000000ll,
                               999999999999ll};
      return edges[random.Below(5)];
    }
    default:
      return random.Below(70000);
  }
}

// Times: mostly 2000 to 2025 (odd seconds included), some shared, a few before 1980 and after
// 2107, outside the DOS range.
std::time_t PickTime(Sequence& random) {
  switch (random.Below(25)) {
    case 0:
      return 1433116800;  // shared: the name breaks the tie
    case 1:
      return 86400 * static_cast<std::time_t>(random.Below(3600));  // 1970 to 1979
    case 2:
      return 4400000000ll + random.Below(2000000000);  // after 2107
    default:
      return 946684800ll + random.Below(820000000);
  }
}

struct Entry {
  std::string path;
  std::time_t time;
};

}  // namespace

// Every time is set at the end, deepest entries first, so no later change moves a folder's time.
void MakeFixtureTree(TempTree& tree) {
  Sequence random;
  std::vector<std::string> folders{"t"};
  std::vector<int> depths{0};
  std::set<std::string> taken;
  std::vector<Entry> entries;
  auto unique_name = [&](const std::string& parent, bool is_folder) {
    for (;;) {
      std::string name = random.Below(30) == 0 ? "." : "";
      name += kStems[random.Below(std::size(kStems))];
      if (random.Below(3) != 0) name += std::to_string(random.Below(40));
      if (!is_folder || random.Below(4) == 0)
        name += kExtensions[random.Below(std::size(kExtensions))];
      if (taken.insert(parent + "/" + name).second) return parent + "/" + name;
    }
  };
  for (int i = 0; i < 300; ++i) {
    // A recent folder as the parent more often than not, so some branches run deep.
    size_t parent = random.Below(2)
                        ? folders.size() - 1 - random.Below(std::min<size_t>(folders.size(), 8))
                        : random.Below(folders.size());
    if (depths[parent] >= 7) parent = 0;
    const std::string path = unique_name(folders[parent], true);
    ASSERT_TRUE(tree.MakeFolder(path)) << path;
    folders.push_back(path);
    depths.push_back(depths[parent] + 1);
  }
  for (int i = 0; i < 2700; ++i) {
    // Heavy-tailed: a few folders hold many files, a fifth hold none of their own.
    size_t folder = random.Below(4) == 0 ? random.Below(8) : random.Below(folders.size());
    if (folder % 5 == 4) folder = 0;
    const std::string path = unique_name(folders[folder], false);
    ASSERT_TRUE(tree.MakeFile(path, PickSize(random))) << path;
    entries.push_back(Entry{path, PickTime(random)});
  }
  const std::string target = "../" + folders[3].substr(2);
  ASSERT_EQ(0, symlink(target.c_str(), tree.Path(folders[1] + "/link").c_str()));
  // A dangling link shows its own time, which only the no-follow call can set.
  ASSERT_EQ(0, symlink("nowhere", tree.Path("t/dangling").c_str()));
  const timespec dangling_time[2] = {{1234567890, 0}, {1234567890, 0}};
  ASSERT_EQ(
      0, utimensat(AT_FDCWD, tree.Path("t/dangling").c_str(), dangling_time, AT_SYMLINK_NOFOLLOW));
  for (size_t i = folders.size(); i-- > 1;) entries.push_back(Entry{folders[i], PickTime(random)});
  for (const Entry& entry : entries)
    ASSERT_TRUE(tree.SetTime(entry.path, entry.time)) << entry.path;
}

namespace {

// One option combination: the sort key, the direction and the grouping, then seven switches
// ("." where off), as its key, e.g. "SE-o F.M.T.A".
struct Combination {
  std::string key;
  std::vector<std::string> options;
};

std::vector<Combination> EveryCombination() {
  const char* const sorts[][2] = {
      {"NS", "/NoSort"}, {"SN", "/SN"}, {"SE", "/SE"}, {"SS", "/SS"}, {"ST", "/ST"}};
  const char* const switches[][2] = {{"F", "/F"},     {"Z", "/Size"},
                                     {"M", "/Time"},  {"U", "/Sum"},
                                     {"T", "/Total"}, {"O", "/OutputTotal=total.txt"},
                                     {"A", "/A"}};
  std::vector<Combination> all;
  for (const auto& sort : sorts) {
    for (int descending = 0; descending < 2; ++descending) {
      for (int folders_first = 0; folders_first < 2; ++folders_first) {
        for (int bits = 0; bits < 128; ++bits) {
          Combination c;
          c.key =
              std::string(sort[0]) + (descending ? "-" : "+") + (folders_first ? "o" : "f") + " ";
          c.options = {sort[1], descending ? "/Descend" : "/Ascend", folders_first ? "/OF" : "/IF"};
          for (int s = 0; s < 7; ++s) {
            const bool on = (bits >> s) & 1;
            c.key += on ? switches[s][0] : ".";
            if (on) c.options.push_back(switches[s][1]);
          }
          all.push_back(c);
        }
      }
    }
  }
  return all;
}

// Sends the descriptor `fd` (standard output or error) to an anonymous file while it lives, as a
// pipe would take what is written: a file is no terminal, so the program writes its bytes as it
// does to a pipe.
class CapturedDescriptor {
 public:
  explicit CapturedDescriptor(int fd)
      : fd_(fd), saved_(dup(fd)), file_(memfd_create("quovrel-run", MFD_CLOEXEC)) {
    dup2(file_, fd_);
  }
  ~CapturedDescriptor() {
    dup2(saved_, fd_);
    close(saved_);
    close(file_);
  }
  CapturedDescriptor(const CapturedDescriptor&) = delete;
  CapturedDescriptor& operator=(const CapturedDescriptor&) = delete;

  std::string Bytes() const {
    std::string bytes(static_cast<size_t>(lseek(file_, 0, SEEK_END)), '\0');
    return pread(file_, bytes.data(), bytes.size(), 0) == static_cast<ssize_t>(bytes.size())
               ? bytes
               : "(unreadable)";
  }

 private:
  int fd_;
  int saved_;
  int file_;
};

// The zone and locale of the stored charts (UTC, "C") and the test's own folder, set while it lives
// and given back when it goes. The platform reads the zone when it is made, and the date and time
// separators once per process.
class FixtureSurroundings {
 public:
  FixtureSurroundings() : folder_(getcwd(nullptr, 0)) {
    for (const char* name : {"TZ", "LC_ALL"}) {
      const char* value = std::getenv(name);
      saved_.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
    }
    setenv("TZ", "UTC", 1);
    setenv("LC_ALL", "C", 1);
    tzset();
  }
  ~FixtureSurroundings() {
    for (const auto& [name, value] : saved_) {
      value ? setenv(name.c_str(), value->c_str(), 1) : unsetenv(name.c_str());
    }
    tzset();
    if (folder_ && chdir(folder_) != 0) ADD_FAILURE() << "cannot return to " << folder_;
    std::free(folder_);
  }

 private:
  char* folder_;
  std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

// One run of the program inside this process (2,560 of them take half the time of as many
// processes): main's own steps on the system's platform, from `folder`, with standard output and
// error captured. Each run's settings are its own, as in a new process.
RunResult RunInProcess(const std::string& folder, std::vector<std::string> arguments) {
  RunResult result;
  if (chdir(folder.c_str()) != 0) return result;
  arguments.insert(arguments.begin(), "quovrel");
  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(argument.data());
  CapturedDescriptor out(1);
  CapturedDescriptor err(2);
  {
    std::unique_ptr<Platform> platform = NewClassicSystemPlatform();
    std::vector<PathText> texts =
        platform->ReadArguments(static_cast<int>(arguments.size()), argv.data());
    result.status = RunQuovrel(*platform, texts);
  }
  result.out = out.Bytes();
  result.err = err.Bytes();
  return result;
}

// Standard output, the exit status and the total file of one run, as one text; `detail` gets the
// status and the start of standard error, to tell a changed chart from a run that failed.
std::string RunRecord(const TempTree& tree, const Combination& combination, std::string& detail,
                      const char* threads = "/Threads=1") {
  const std::string total_file = tree.Path("total.txt");
  unlink(total_file.c_str());
  std::vector<std::string> arguments{"t", threads};
  arguments.insert(arguments.end(), combination.options.begin(), combination.options.end());
  const RunResult run = RunInProcess(tree.Path(), arguments);
  const std::string record =
      run.out + "|status " + std::to_string(run.status) + "|total " + ReadFileBytes(total_file);
  if (const char* dump = std::getenv("QUOVREL_FIXTURE_DUMP")) {
    std::ofstream(std::string(dump) + "/" + combination.key, std::ios::binary) << record;
  }
  detail = "status " + std::to_string(run.status) + ", stderr " +
           ::testing::PrintToString(run.err.substr(0, 200));
  return record;
}

constexpr char kStoreComment[] =
    "# The expected output of every option combination of the fixture tree of\n"
    "# tests/e2e/chart_fixture_test.cc: standard output, \"|status \" and the exit status,\n"
    "# \"|total \" and the total file. Rewritten by that test with QUOVREL_UPDATE_FIXTURE=1.\n"
    "# A key: the sort, + or - (the direction), f or o (files or folders first), then\n"
    "# /F /Size /Time /Sum /Total /OutputTotal /A as F Z M U T O A, \".\" where off.\n";

// The combinations whose chart differs from the stored one, among those a process checked.
struct Differences {
  std::vector<std::string> keys;
  std::string first;  // the first of them, readably
};

// Charts every `step`-th combination from `first` on a fixture tree of its own and compares each
// with its stored chart, which one thread made: the walk's threads take turns, so every count
// charts a share of the combinations.
void CheckCombinations(const std::vector<Combination>& all, const ChartStore& stored, size_t first,
                       size_t step, Differences& found) {
  constexpr const char* kThreads[] = {"/Threads=1", "/Threads=2", "/Threads=8", "/Threads=64"};
  TempTree tree;
  MakeFixtureTree(tree);
  FixtureSurroundings surroundings;
  std::string expected;
  for (size_t i = first; i < all.size(); i += step) {
    std::string detail;
    const std::string record = RunRecord(tree, all[i], detail, kThreads[(i / step) % 4]);
    if (stored.Find(all[i].key, expected) && expected == record) continue;
    if (found.keys.empty()) {
      found.first = "\"" + all[i].key + "\" " + kThreads[(i / step) % 4] + " (" + detail +
                    "): " + FirstDifference(expected, record);
    }
    found.keys.push_back(all[i].key);
  }
}

// Checks the odd combinations in a forked child while this process checks the even ones, so that
// both cores chart; each on a tree of its own, beside which its runs write their total file. The
// child sends its differences back through a pipe: the keys, a line each, then "\n" and the first.
Differences CheckInTwoProcesses(const std::vector<Combination>& all, const ChartStore& stored) {
  Differences found;
  int channel[2];
  if (pipe2(channel, O_CLOEXEC) != 0) return {{"(no pipe)"}, "no pipe to a second process"};
  const pid_t child = fork();
  if (child == 0) {
    close(channel[0]);
    CheckCombinations(all, stored, 1, 2, found);
    std::string text;
    for (const std::string& key : found.keys) text += key + "\n";
    text += "\n" + found.first;
    const bool sent =
        write(channel[1], text.data(), text.size()) == static_cast<ssize_t>(text.size());
    _exit(sent ? 0 : 1);
  }
  close(channel[1]);
  CheckCombinations(all, stored, 0, 2, found);
  std::string text;
  char buffer[65536];
  for (ssize_t got; (got = read(channel[0], buffer, sizeof buffer)) != 0;) {
    if (got > 0) text.append(buffer, static_cast<size_t>(got));
    if (got < 0 && errno != EINTR) break;
  }
  close(channel[0]);
  int status = -1;
  if (child < 0 || waitpid(child, &status, 0) != child || status != 0) {
    return {{"(second process)"}, "the second process failed"};
  }
  const size_t end = text.find("\n\n") == std::string::npos ? 0 : text.find("\n\n") + 1;
  for (size_t at = 0; at < end; at = text.find('\n', at) + 1) {
    found.keys.push_back(text.substr(at, text.find('\n', at) - at));
  }
  if (found.first.empty() && end > 0) found.first = text.substr(end + 1);
  return found;
}

TEST(ChartFixture, EveryOptionCombinationMatchesTheManifest) {
  // The stored charts are the Linux program's; a Windows program enumerates differently.
  if (HasRunner()) GTEST_SKIP() << "the stored charts are of the Linux program";
  const char* update_variable = std::getenv("QUOVREL_UPDATE_FIXTURE");
  const std::vector<Combination> all = EveryCombination();
  std::string error;
  if (update_variable && std::string(update_variable) == "1") {
    TempTree tree;
    MakeFixtureTree(tree);
    FixtureSurroundings surroundings;
    ChartStore made;
    std::string detail;
    for (const Combination& combination : all) {
      ASSERT_TRUE(made.Add(combination.key, RunRecord(tree, combination, detail)))
          << combination.key << ": a line holds a LF";
    }
    ASSERT_TRUE(made.Write(StorePath(), kStoreComment, error)) << error;
    GTEST_SKIP() << "stored charts rewritten: " << StorePath();
  }
  ChartStore stored;
  ASSERT_TRUE(stored.Read(StorePath(), error)) << error;
  ASSERT_EQ(all.size(), stored.Size()) << StorePath();
  const Differences found = CheckInTwoProcesses(all, stored);
  const std::vector<std::string>& differing = found.keys;
  EXPECT_TRUE(differing.empty()) << differing.size() << " of " << all.size()
                                 << " charts differ from the stored ones ("
                                 << ::testing::PrintToString(std::vector<std::string>(
                                        differing.begin(),
                                        differing.begin() + std::min<size_t>(differing.size(), 8)))
                                 << (differing.size() > 8 ? " and more" : "") << "); the first, "
                                 << found.first;
}

// The tree is as large as it says, so the stored charts are charts of a few thousand lines; and
// the built program, run as a user runs it, gives the stored chart, as the runs in this process do.
TEST(ChartFixture, TheProgramGivesTheStoredChartOfAFewThousandLines) {
  if (HasRunner()) GTEST_SKIP() << "the stored charts are of the Linux program";
  ChartStore stored;
  std::string error;
  ASSERT_TRUE(stored.Read(StorePath(), error)) << error;
  std::string expected;
  ASSERT_TRUE(stored.Find("NS+f F......", expected));
  TempTree tree;
  ASSERT_TRUE(tree.IsReady());
  MakeFixtureTree(tree);
  const RunResult run = RunProgram({"t", "/NoSort", "/Ascend", "/IF", "/F"},
                                   RunSettings{tree.Path(), {"TZ=UTC"}});
  std::vector<std::string> lines;
  ASSERT_TRUE(SplitCrLfLines(run.out, lines));
  EXPECT_GT(lines.size(), 2500u);
  EXPECT_EQ(expected, run.out + "|status " + std::to_string(run.status) + "|total ");
}

// What the store is given comes back byte for byte: shared lines, a chart kept under two keys,
// lines with a lone CR or no line end, the empty chart. A line feed of its own is refused.
TEST(ChartFixture, StoredChartsComeBackByteForByte) {
  if (HasRunner()) GTEST_SKIP() << "the fixture's own tools are tested once, without a runner";
  const std::pair<std::string, std::string> charts[] = {
      {"NS+f .......", "t\r\n\x84\xA5\x84\x9F\x8E\x91\x97\xBF\r\n|status 0|total "},
      {"NS+f .....O.", "t\r\n|status 0|total 4294967296\r\n"},
      {"SN-o F......", "t\r\n\x84\xA5\x84\x9F\x8E\x91\x97\xBF\r\n|status 0|total "},
      {"empty", ""},
      {"odd", "a\rb\r\n\r\nno end"},
  };
  ChartStore store;
  for (const auto& [key, chart] : charts) ASSERT_TRUE(store.Add(key, chart)) << key;
  EXPECT_FALSE(store.Add("lone LF", "a\nb"));
  TempTree folder;
  ASSERT_TRUE(folder.IsReady());
  std::string error;
  ASSERT_TRUE(store.Write(folder.Path("charts.xz"), "# charts\n", error)) << error;
  ChartStore read;
  ASSERT_TRUE(read.Read(folder.Path("charts.xz"), error)) << error;
  EXPECT_EQ(std::size(charts), read.Size());
  std::string chart;
  for (const auto& [key, expected] : charts) {
    ASSERT_TRUE(read.Find(key, chart)) << key;
    EXPECT_EQ(expected, chart) << key;
  }
  EXPECT_FALSE(read.Find("lone LF", chart));
}

// A differing chart is shown as its first differing lines with a little context, numbered in
// both charts, in UTF-8, with what is no character escaped.
TEST(ChartFixture, AFailureShowsTheFirstDifferingLinesReadably) {
  if (HasRunner()) GTEST_SKIP() << "the fixture's own tools are tested once, without a runner";
  const std::string folder = "\x84\xA5\x84\x9F\x8E\x91\x97\xBF";  // "├─資料" in code page 932
  const std::string expected = "R\r\n" + folder + "\r\na\r\nb\r\nc\r\nd\r\ne\r\n";
  const std::string actual = "R\r\n" + folder + "\xFF\t\r\na\r\nX\r\nb\r\nc\r\nd\r\ne\r\n";
  EXPECT_EQ(
      "expected 8 lines, got 9; first difference at line 2 (- expected, + actual):\n"
      "       1      1  R\n"
      "-      2         ├─資料\n"
      "+             2  ├─資料\\xFF\\x09\n"
      "       3      3  a\n"
      "+             4  X\n"
      "       4      5  b\n"
      "       5      6  c\n"
      "       6      7  d\n",
      FirstDifference(expected, actual));
  EXPECT_EQ("", FirstDifference(expected, expected));
}

}  // namespace
