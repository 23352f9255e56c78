// Special files and system trees: a FIFO, a socket and device nodes are listed without being
// opened (inotify sees every open), and walks of /proc/self, /sys/class and /dev end.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "e2e_support.h"
#include "reliability_support.h"

namespace {

constexpr char kFullChart[] = " /A /F /Size /Time /Sum /Total";

// Names of the watched folder's entries that something opened since `watch` began.
std::set<std::string> OpenedNames(int watch_fd) {
  std::set<std::string> names;
  alignas(inotify_event) char buffer[65536];
  for (;;) {
    const ssize_t got = read(watch_fd, buffer, sizeof buffer);
    if (got <= 0) break;
    for (ssize_t at = 0; at < got;) {
      const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
      if ((event->mask & IN_OPEN) && event->len > 0) names.insert(event->name);
      at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
    }
  }
  return names;
}

bool MakeSocket(const std::string& path, int& fd) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (path.size() >= sizeof address.sun_path) return false;
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  return fd >= 0 && bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
}

TEST(SpecialFiles, ListedWithoutBeingOpened) {
  TempTree tree;
  ASSERT_TRUE(tree.MakeFile("special/plain.txt", 12));
  const std::string folder = tree.Path("special");
  ASSERT_EQ(0, mkfifo((folder + "/fifo").c_str(), 0644));
  int socket_fd = -1;
  ASSERT_TRUE(MakeSocket(folder + "/socket", socket_fd));
  // Device nodes need the right to make them; without it the FIFO and socket still count.
  std::vector<std::string> names = {"fifo", "socket", "plain.txt"};
  if (mknod((folder + "/null-device").c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0) {
    names.push_back("null-device");
  }
  if (mknod((folder + "/block-device").c_str(), S_IFBLK | 0600, makedev(7, 0)) == 0) {
    names.push_back("block-device");
  }
  const int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  ASSERT_GE(watch, 0);
  ASSERT_GE(inotify_add_watch(watch, folder.c_str(), IN_OPEN), 0);
  ShellSettings settings;
  settings.timeout_seconds = 20;
  for (const char* order : {"", " /SS", " /ST /Descend"}) {
    const ShellRun run = RunShell("\"$Q\" " + ShellWord(folder) + kFullChart + order +
                                      " /OutputTotal+=" + ShellWord(tree.Path("total")),
                                  settings);
    ASSERT_EQ(0, run.status) << "a special file held the run up" << order;
    EXPECT_EQ("", run.err);
    ChartReader chart(true);
    ASSERT_TRUE(ReadChart(run.out, chart)) << chart.Problem();
    std::set<std::string> shown;
    for (const ChartEntry& entry : chart.Entries()) {
      if (entry.depth == 1) shown.insert(entry.name);
    }
    EXPECT_EQ(std::set<std::string>(names.begin(), names.end()), shown) << order;
    EXPECT_EQ(12u, chart.Entries()[0].total_bytes);
  }
  const std::set<std::string> opened = OpenedNames(watch);
  for (const std::string& name : names) EXPECT_FALSE(opened.count(name)) << name << " was opened";
  RecordProperty("special_files", std::to_string(names.size() - 1));
  close(watch);
  close(socket_fd);
}

// A system tree walked in full; `seconds` is the most it may take. Charted itself, a kernel
// file system is walked like any other folder: `min_lines` or more.
void ExpectWalkEnds(const std::string& root, const std::string& options, int seconds,
                    size_t min_lines = 1) {
  if (!PathExists(root)) GTEST_SKIP() << root << " is not here";
  std::unique_ptr<TempTree> quiet = NewScratchTree();  // a small current folder for /proc/self/cwd
  ShellSettings settings;
  settings.timeout_seconds = seconds;
  settings.working_directory = quiet->Path();
  const ShellRun run = RunShell("\"$Q\" " + options + " " + root, settings);
  ASSERT_NE(-1, run.status) << root << " was not charted within " << seconds << " s";
  EXPECT_EQ(0, run.status);
  EXPECT_EQ("", run.err);
  std::vector<std::string> lines;
  ASSERT_TRUE(SplitCrLfLines(run.out, lines));
  ASSERT_FALSE(lines.empty());
  EXPECT_LE(min_lines, lines.size());
  EXPECT_EQ(0u, lines[0].rfind(root, 0)) << lines[0];
  for (const std::string& line : lines) {
    for (char c : line) ASSERT_FALSE(static_cast<unsigned char>(c) < 0x20) << line;
  }
  ::testing::Test::RecordProperty("lines", std::to_string(lines.size()));
  ::testing::Test::RecordProperty("seconds", std::to_string(run.seconds));
}

TEST(SystemTrees, ProcSelfEnds) { ExpectWalkEnds("/proc/self", "/F /Size", 60, 100); }

TEST(SystemTrees, ProcSelfWithEverythingEnds) {
  ExpectWalkEnds("/proc/self", "/F /Size /Time /Sum /Total /SS", 60, 100);
}

TEST(SystemTrees, SysClassEnds) { ExpectWalkEnds("/sys/class", "/F /Size", 120, 100); }

TEST(SystemTrees, DevEnds) { ExpectWalkEnds("/dev", "/F /Size /Time", 60); }

}  // namespace
