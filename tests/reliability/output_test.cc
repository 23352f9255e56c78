// Output and the total file: standard output full, closed, cut short by `head -1`, or a
// non-blocking pipe that fills; the total file on /dev/full, read-only, a folder, a FIFO without
// a reader, a dangling link; fifty runs appending at once. Never a hang or a word on standard
// error, always status 0, and the total file gets exactly one whole line per run or nothing.
// Memory running out is the one exception: one line on standard error, status 2.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <string>
#include <vector>

#include "child_process.h"
#include "e2e_support.h"
#include "reliability_support.h"

namespace {

constexpr int kConcurrentRuns = 50;
// "メモリが不足しています" in code page 932.
constexpr char kOutOfMemoryCp932[] =
    "\x83\x81\x83\x82\x83\x8A\x82\xAA\x95\x73\x91\xAB\x82\xB5\x82\xC4\x82\xA2"
    "\x82\xDC\x82\xB7";

class Output : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(tree_.IsReady());
    // Enough lines that the chart outlasts a reader that stops after the first.
    for (int i = 0; i < 400; ++i) {
      ASSERT_TRUE(tree_.MakeFile("data/f" + std::to_string(i % 40) + "/x" + std::to_string(i), i));
    }
    total_line_ = std::to_string(400 * 399 / 2) + "\r\n";
    ASSERT_TRUE(tree_.MakeFolder("out"));
  }

  // Runs `$Q data /F /OutputTotal+=<total>` with `redirections` after it.
  ShellRun Run(const std::string& total, const std::string& redirections,
               const std::string& prefix = "") {
    ShellSettings settings;
    settings.timeout_seconds = 20;
    return RunShell(prefix + "\"$Q\" " + ShellWord(tree_.Path("data")) +
                        " /F /OutputTotal+=" + ShellWord(total) + " " + redirections,
                    settings);
  }

  std::string Out(const std::string& name) { return tree_.Path("out/" + name); }

  std::unique_ptr<TempTree> scratch_ = NewScratchTree();
  TempTree& tree_ = *scratch_;
  std::string total_line_;
};

TEST_F(Output, StandardOutputOnDevFull) {
  const ShellRun run = Run(Out("t"), ">/dev/full");
  EXPECT_EQ(0, run.status);
  EXPECT_EQ("", run.err);
  EXPECT_EQ(total_line_, ReadFileBytes(Out("t")));
}

TEST_F(Output, StandardOutputClosed) {
  for (const char* closed : {">&-", ">&- 2>&-", "<&- >&- 2>&-"}) {
    unlink(Out("t").c_str());
    const ShellRun run = Run(Out("t"), closed);
    EXPECT_EQ(0, run.status) << closed;
    EXPECT_EQ("", run.err) << closed;
    // Folders opened in its place never receive the chart, nor does the total file.
    EXPECT_EQ(total_line_, ReadFileBytes(Out("t"))) << closed;
  }
}

TEST_F(Output, StandardOutputCutShortByHead) {
  const std::string status = Out("status");
  const ShellRun run = RunShell("{ \"$Q\" " + ShellWord(tree_.Path("data")) +
                                " /F /OutputTotal+=" + ShellWord(Out("t")) + "; echo $? >" +
                                ShellWord(status) + "; } | head -1");
  EXPECT_EQ(0, run.status);
  EXPECT_EQ("", run.err);
  EXPECT_EQ(tree_.Path("data") + "\r\n", run.out);
  EXPECT_EQ("0\n", ReadFileBytes(status));
  EXPECT_EQ(total_line_, ReadFileBytes(Out("t")));
}

// Where the total file cannot be written, the chart is still whole and nothing else happens.
void ExpectChartAlone(const ShellRun& run, const std::string& what) {
  EXPECT_EQ(0, run.status) << what;
  EXPECT_EQ("", run.err) << what;
  std::vector<std::string> lines;
  EXPECT_TRUE(SplitCrLfLines(run.out, lines)) << what;
  EXPECT_EQ(441u, lines.size()) << what;  // the root, 40 folders, 400 files
}

TEST_F(Output, TotalFileOnDevFull) { ExpectChartAlone(Run("/dev/full", ""), "/dev/full"); }

TEST_F(Output, TotalFileIsAFolder) { ExpectChartAlone(Run(tree_.Path("out"), ""), "a folder"); }

TEST_F(Output, TotalFileIsReadOnly) {
  std::string why;
  const std::string nobody = NobodyPrefix(why);
  if (nobody.empty()) GTEST_SKIP() << why;
  ASSERT_TRUE(tree_.SetMode("", 0755) && tree_.MakeFile("out/read-only", 0));
  ASSERT_TRUE(tree_.SetMode("out/read-only", 0444) && tree_.SetMode("out", 0755));
  ExpectChartAlone(Run(Out("read-only"), "", nobody + " "), "read-only");
  EXPECT_EQ("", ReadFileBytes(Out("read-only")));
}

TEST_F(Output, TotalFileIsAFifoWithoutAReader) {
  ASSERT_EQ(0, mkfifo(Out("fifo").c_str(), 0644));
  const ShellRun run = Run(Out("fifo"), "");
  ASSERT_NE(-1, run.status) << "the run hung on the FIFO";
  ExpectChartAlone(run, "a FIFO without a reader");
  EXPECT_LT(run.seconds, 5.0);
}

// With a reader the FIFO is an ordinary destination: the line arrives.
TEST_F(Output, TotalFileIsAFifoWithAReader) {
  ASSERT_EQ(0, mkfifo(Out("fifo").c_str(), 0644));
  const ShellRun run = RunShell("cat " + ShellWord(Out("fifo")) + " >" + ShellWord(Out("got")) +
                                " & sleep 0.2; \"$Q\" " + ShellWord(tree_.Path("data")) +
                                " /OutputTotal+=" + ShellWord(Out("fifo")) + "; wait");
  EXPECT_EQ(0, run.status);
  EXPECT_EQ(total_line_, ReadFileBytes(Out("got")));
}

// A link to a missing file is followed, as appending through the shell would: the file it names
// is made. A link into a missing folder leads nowhere, and nothing is written.
TEST_F(Output, TotalFileIsADanglingLink) {
  ASSERT_EQ(0, symlink("made-by-the-run", Out("dangling").c_str()));
  ASSERT_EQ(0, symlink("missing/total", Out("nowhere").c_str()));
  const ShellRun run = Run(Out("dangling"), ">/dev/null");
  EXPECT_EQ(0, run.status);
  EXPECT_EQ("", run.err);
  EXPECT_EQ(total_line_, ReadFileBytes(Out("made-by-the-run")));
  ExpectChartAlone(Run(Out("nowhere"), ""), "a link into a missing folder");
  EXPECT_FALSE(PathExists(Out("missing")));
}

// A folder the user nobody cannot read and a total file on a full disk: the Linux mode warns of
// each on standard error and ends with status 1, the chart still whole (the root, 40 folders and
// the 390 files it can read); the classic mode charts the same, silently, with status 0.
TEST_F(Output, LinuxModeWarnsOfWhatItCouldNotReadOrWrite) {
  std::string why;
  const std::string nobody = NobodyPrefix(why);
  if (nobody.empty()) GTEST_SKIP() << why;
  ASSERT_TRUE(tree_.SetMode("", 0755) && tree_.SetMode("data/f7", 0));
  const ShellRun linux_run = Run("/dev/full", "", "LC_ALL=C.UTF-8 " + nobody + " ");
  EXPECT_EQ(1, linux_run.status);
  EXPECT_EQ("quovrel: cannot read folder '" + tree_.Path("data") +
                "/f7': Permission denied\nquovrel: cannot write total file '/dev/full': No "
                "space left on device\n",
            linux_run.err);
  EXPECT_EQ(431, std::count(linux_run.out.begin(), linux_run.out.end(), '\n'));
  const ShellRun classic_run = Run("/dev/full", "", nobody + " ");
  EXPECT_EQ(0, classic_run.status);
  EXPECT_EQ("", classic_run.err);
  EXPECT_EQ(431, std::count(classic_run.out.begin(), classic_run.out.end(), '\n'));
}

// Standard output a pipe that another process made non-blocking, read only after a pause: the
// pipe fills long before the chart ends, and not a line may be lost while it does.
TEST_F(Output, StandardOutputANonBlockingPipeThatFills) {
  int pipe_fds[2];
  ASSERT_EQ(0, pipe2(pipe_fds, O_CLOEXEC));
  ASSERT_EQ(0, fcntl(pipe_fds[1], F_SETFL, fcntl(pipe_fds[1], F_GETFL) | O_NONBLOCK));
  const std::string program = ProgramPath();
  const std::string root = tree_.Path("wide");
  constexpr int kFiles = 2000;
  for (int i = 0; i < kFiles; ++i) {
    ASSERT_TRUE(tree_.MakeFile("wide/a-file-with-a-rather-long-name-" + std::to_string(i), i));
  }
  std::vector<std::string> env = EnvironmentWith({});  // the classic mode's locale
  std::vector<char*> envp;
  for (std::string& entry : env) envp.push_back(entry.data());
  envp.push_back(nullptr);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    dup2(pipe_fds[1], 1);
    execle(program.c_str(), program.c_str(), root.c_str(), "/F", "/Size", "/Time", "/Sum",
           static_cast<char*>(nullptr), envp.data());
    _exit(127);
  }
  close(pipe_fds[1]);
  usleep(500 * 1000);
  std::string out;
  char buffer[65536];
  ssize_t got;
  while ((got = read(pipe_fds[0], buffer, sizeof buffer)) != 0) {
    if (got > 0) out.append(buffer, static_cast<size_t>(got));
    if (got < 0 && errno != EINTR) break;
  }
  close(pipe_fds[0]);
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  std::vector<std::string> lines;
  EXPECT_TRUE(SplitCrLfLines(out, lines));
  EXPECT_GT(out.size(), 65536u);  // more than a pipe holds
  EXPECT_EQ(1u + kFiles, lines.size());
}

TEST_F(Output, FiftyRunsAppendingAtOnceLeaveFiftyWholeLines) {
  const ShellRun run =
      RunShell("i=0; while [ $i -lt " + std::to_string(kConcurrentRuns) + " ]; do \"$Q\" " +
               ShellWord(tree_.Path("data")) + " /F /OutputTotal+=" + ShellWord(Out("t")) +
               " >/dev/null & i=$((i+1)); done; wait");
  EXPECT_EQ(0, run.status);
  EXPECT_EQ("", run.err);
  std::string expected;
  for (int i = 0; i < kConcurrentRuns; ++i) expected += total_line_;
  EXPECT_EQ(expected, ReadFileBytes(Out("t")));
}

// An address space of 32 MiB, where a run of a million entries needs about 80: the run stops
// with one line on standard error and status 2, and the total file keeps what it held.
TEST_F(Output, MemoryRunningOutIsOneLineOnStandardError) {
  for (int i = 0; i < 5000; ++i) ASSERT_TRUE(tree_.MakeFile("wide/f" + std::to_string(i)));
  ASSERT_TRUE(tree_.MakeFolder("many"));
  for (int i = 0; i < 200; ++i) {
    ASSERT_EQ(0, symlink("../wide", tree_.Path("many/l" + std::to_string(i)).c_str()));
  }
  const std::string limited = "prlimit --as=33554432 \"$Q\" ";
  // An ordinary run must fit the limit; a sanitizer build, which reserves terabytes, does not.
  const ShellRun fits = RunShell(limited + ShellWord(tree_.Path("data")) + " /F >/dev/null");
  if (fits.status != 0) GTEST_SKIP() << "an ordinary run does not fit in 32 MiB: " << fits.err;
  const ShellRun run = RunShell("printf '1\\r\\n' >" + ShellWord(Out("t")) + "; " + limited +
                                ShellWord(tree_.Path("many")) +
                                " /F /OutputTotal+=" + ShellWord(Out("t")) + " >/dev/null");
  EXPECT_EQ(2, run.status);
  EXPECT_EQ(std::string(kOutOfMemoryCp932) + "\r\n", run.err);
  EXPECT_EQ("1\r\n", ReadFileBytes(Out("t")));
}

// Address spaces from where the program cannot even be loaded to where it always fits, 64 KiB
// apart, with a pattern that needs the converter: every run charts the tree whole, or stops with
// the message and status 2; never an abort, never a pattern turned into "*???*". A run that
// stops before its command line is read writes the message in the default encoding. A chart
// drawn after the walk (/Total) goes on to where no second thread fits beside it.
TEST_F(Output, ScarceMemoryGivesTheChartOrTheMessage) {
  for (const char* name : {"jp/表a.txt", "jp/b.txt", "jp/sub/一覧表.csv", "jp/sub/c"}) {
    ASSERT_TRUE(tree_.MakeFile(name));
  }
  const std::string cp932 = std::string(kOutOfMemoryCp932) + "\r\n",
                    utf8 = "メモリが不足しています\n";
  for (const std::string option : {"", " /UTF8", " /Total"}) {
    const std::string command = "\"$Q\" " + ShellWord(tree_.Path("jp")) + " /F '/X=*表*'" + option;
    const ShellRun whole = RunShell("prlimit --as=33554432 " + command);
    if (whole.status != 0) GTEST_SKIP() << "an ordinary run does not fit in 32 MiB: " << whole.err;
    ASSERT_EQ(std::string::npos, whole.out.find("a.txt")) << whole.out;
    int charts = 0, stops = 0, kib = 2560;
    for (; kib <= (option == " /Total" ? 12288 : 6144); kib += 64) {
      const ShellRun run = RunShell("prlimit --as=" + std::to_string(kib * 1024) + " " + command);
      if (run.status == 127 && charts + stops == 0) continue;  // the loader found no room
      const bool is_chart = run.status == 0 && run.out == whole.out && run.err.empty();
      const bool is_stop = run.status == 2 && run.out.empty() &&
                           (run.err == cp932 || (run.err == utf8 && !option.empty()));
      EXPECT_TRUE(is_chart || is_stop) << option << " at " << kib << " KiB: " << run.status << "\n"
                                       << run.out << run.err;
      charts += is_chart;
      stops += is_stop;
    }
    EXPECT_GT(charts, 0);
    EXPECT_GT(stops, 0);
  }
}

// A file-size limit of 1,024 bytes on a chart far longer: SIGXFSZ never ends the run. The chart
// keeps what fit, and a total file that the line would carry past the limit keeps what it held.
TEST_F(Output, FileSizeLimitCutsTheChartAndLeavesTheTotalFileWhole) {
  const ShellRun whole = Run(Out("t0"), "");
  ASSERT_GT(whole.out.size(), 1024u);
  const std::string held(1020, 'x');
  ASSERT_EQ(0, RunShell("printf %s " + held + " >" + ShellWord(Out("t"))).status);
  const ShellRun run = Run(Out("t"), ">" + ShellWord(Out("chart")), "prlimit --fsize=1024 ");
  EXPECT_EQ(0, run.status) << run.err;
  EXPECT_EQ(whole.out.substr(0, 1024) + held,
            ReadFileBytes(Out("chart")) + run.err + ReadFileBytes(Out("t")));
}

}  // namespace
