// Sizes and times at the edges. Sparse files at the 32-bit edges, 8 GiB and 1 TiB (which widens
// its folder's size column), and a folder whose files add past 2^32: every size and sum is the
// `find -printf %s` figure. File times
// from the smallest to the largest each file system stores, in several time zones (an invalid
// one too): always the 16-byte text, always the expected reading.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <climits>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "e2e_support.h"
#include "reliability_support.h"

namespace {

constexpr uint64_t kGiB = 1ull << 30;
constexpr char kChartOptions[] = " /A /F /Size /Time /Sum /Total";

// Runs the chart and reads it, mapping every entry to its path.
std::map<std::string, ChartEntry> Chart(const std::string& root, const std::string& env,
                                        ChartReader& chart) {
  const ShellRun run =
      RunShell(env + " \"$Q\" " + ShellWord(root) + kChartOptions + " /SS");
  EXPECT_EQ(0, run.status);
  EXPECT_EQ("", run.err);
  EXPECT_TRUE(ReadChart(run.out, chart)) << chart.Problem();
  EXPECT_EQ("", chart.CheckSums());
  std::map<std::string, ChartEntry> at;
  const std::vector<std::string> paths = EntryPaths(chart);
  for (size_t i = 0; i < paths.size(); ++i) at[paths[i]] = chart.Entries()[i];
  return at;
}

TEST(Sizes, SparseFilesAtTheThirtyTwoBitEdgesAndPast) {
  TempTree tree;
  const std::vector<std::pair<std::string, uint64_t>> files = {
      {"edge/2^31-1", (1ull << 31) - 1}, {"edge/2^32-1", (1ull << 32) - 1},
      {"edge/2^32", 1ull << 32},         {"edge/2^32+1", (1ull << 32) + 1},
      {"edge/8GiB", 8 * kGiB},           {"edge/1TiB", 1024 * kGiB},
      {"many/a", 2 * kGiB},              {"many/b", 2 * kGiB - 1},
      {"many/c", 3},
  };
  for (const auto& [path, size] : files) {
    ASSERT_TRUE(tree.MakeFile(path, static_cast<off_t>(size))) << path;
  }
  ChartReader chart(true);
  std::map<std::string, ChartEntry> at = Chart(tree.Path(), "", chart);
  for (const auto& [path, size] : files) {
    ASSERT_TRUE(at.count(path)) << path;
    EXPECT_EQ(size, at[path].size) << path;
  }
  for (const char* folder : {"", "edge", "many"}) {
    uint64_t bytes = 0;
    uint64_t count = 0;
    ASSERT_TRUE(FindSizes(tree.Path(folder), bytes, count));
    EXPECT_EQ(bytes, at[folder].total_bytes) << folder;
    EXPECT_EQ(count, at[folder].total_files) << folder;
  }
  EXPECT_EQ(4 * kGiB + 2, at["many"].own_bytes);
  // The total file holds the same figure.
  const std::string total = tree.Path("total.txt");
  ASSERT_EQ(
      0, RunShell("\"$Q\" " + ShellWord(tree.Path("edge")) + " /OutputTotal+=" + ShellWord(total))
             .status);
  uint64_t edge_bytes = 0;
  uint64_t edge_count = 0;
  ASSERT_TRUE(FindSizes(tree.Path("edge"), edge_bytes, edge_count));
  EXPECT_EQ(std::to_string(edge_bytes) + "\r\n", ReadFileBytes(total));
}

// The UTC offset a zone has now, as the C library reads TZ; the program moves every time by it.
int64_t OffsetNow(const std::string& zone) {
  const ShellRun run = RunShell("TZ=" + ShellWord(zone) + " date +%z");
  const std::string text = run.out.substr(0, 5);
  if (run.status != 0 || text.size() != 5) return 0;
  const int64_t hours = std::stoll(text.substr(1, 2));
  const int64_t minutes = std::stoll(text.substr(3, 2));
  return (text[0] == '-' ? -1 : 1) * (hours * 3600 + minutes * 60);
}

// The text the chart must show for a stored time: the local calendar reading, 1601-01-01 00:00
// below the file time range, the last minute of 9999 above four digits.
std::string ExpectedTimeText(int64_t seconds, int64_t offset) {
  constexpr int64_t kFrom1601 = 11644473600;
  const __int128 local = static_cast<__int128>(seconds) + offset;
  if (local + kFrom1601 < 0) return "1601/01/01 00:00";
  if ((local + kFrom1601) * 10000000 > static_cast<__int128>(UINT64_MAX)) return "9999/12/31 23:59";
  const time_t shown = static_cast<time_t>(local);
  struct tm fields {};
  if (!gmtime_r(&shown, &fields) || fields.tm_year + 1900 > 9999) return "9999/12/31 23:59";
  char text[64];
  std::snprintf(text, sizeof text, "%04d/%02d/%02d %02d:%02d", fields.tm_year + 1900,
                fields.tm_mon + 1, fields.tm_mday, fields.tm_hour, fields.tm_min);
  return text;
}

// Times from 1901 to 2446 (disk) or the whole 64-bit range (memory), and the edges between.
std::vector<int64_t> EdgeTimes() {
  return {INT64_MIN, -(1ll << 40), INT32_MIN,  -1,         0,           315532799, 315532800,
          INT32_MAX, 1ll << 31,    4354819199, 4354819200, 15032385535, 1ll << 40, INT64_MAX};
}

void ExpectEdgeTimes(TempTree& tree, const std::string& where) {
  std::map<std::string, int64_t> stored;  // what the file system kept of each time
  for (int64_t seconds : EdgeTimes()) {
    const std::string name = "t" + std::to_string(seconds);
    ASSERT_TRUE(tree.MakeFile(name, 1));
    const timespec times[2] = {{0, 0}, {static_cast<time_t>(seconds), 0}};
    if (utimensat(AT_FDCWD, tree.Path(name).c_str(), times, 0) != 0) continue;
    struct stat status {};
    ASSERT_EQ(0, stat(tree.Path(name).c_str(), &status));
    stored[name] = status.st_mtim.tv_sec;
  }
  for (const char* zone : {"UTC", "Asia/Tokyo", "America/New_York", "EST5EDT,J1/0,J365/25", "EST5",
                           "Pacific/Kiritimati", "Invalid/Zone", ":/nowhere", ""}) {
    const int64_t offset = OffsetNow(zone);
    ChartReader chart(true);  // the reader insists on the 16-byte time pattern
    std::map<std::string, ChartEntry> at = Chart(tree.Path(), "TZ=" + ShellWord(zone), chart);
    for (const auto& [name, seconds] : stored) {
      ASSERT_TRUE(at.count(name)) << name;
      EXPECT_EQ(ExpectedTimeText(seconds, offset), at[name].time)
          << where << ", TZ=" << zone << ", stored " << seconds;
    }
  }
}

TEST(Times, EdgeTimesOnDiskInEveryZone) {
  TempTree tree;
  ExpectEdgeTimes(tree, "disk");
}

TEST(Times, EdgeTimesInMemoryInEveryZone) {
  std::unique_ptr<TempTree> tree = NewScratchTree();
  ExpectEdgeTimes(*tree, "memory");
}

// The classic mode's Japanese locale writes its dates with "年", "月" and "日", which are no one-byte
// separators: the text falls back to "/" and ":" and keeps its 16 bytes.
TEST(Times, JapaneseLocaleKeepsTheSixteenByteText) {
  if (RunShell("locale -a | grep -qix 'ja_JP.sjis'").status != 0) {
    GTEST_SKIP() << "the ja_JP.SJIS locale is not installed";
  }
  TempTree tree;
  ASSERT_TRUE(tree.MakeFile("f", 1) && tree.SetTime("f", 1268143650));  // 2010-03-09 14:07:30 UTC
  const ShellRun run =
      RunShell("TZ=UTC \"$Q\" " + ShellWord(tree.Path()) + " /A /F /Time");
  ASSERT_EQ(0, run.status);
  EXPECT_EQ(tree.Path() + "\r\n    f 2010/03/09 14:07\r\n", run.out);
}

}  // namespace
