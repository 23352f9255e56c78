// Standard output gathered for a file: where it is gathered, and that nothing gathered is lost or
// out of place, whether the run ends, warns or is ended by a signal.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <functional>
#include <string>

#include "platform/posix/gathered_output.h"
#include "platform/posix/output.h"

namespace {

TEST(IsGatheredOutput, GathersForFilesAndDevicesButNotForPipes) {
  char name[] = "/tmp/quovrel-gathered-XXXXXX";
  const int file = mkstemp(name);
  ASSERT_GE(file, 0);
  unlink(name);
  const int null_device = open("/dev/null", O_WRONLY);
  int pipe_ends[2];
  ASSERT_EQ(0, pipe(pipe_ends));
  EXPECT_TRUE(IsGatheredOutput(file));
  EXPECT_TRUE(IsGatheredOutput(null_device));
  EXPECT_FALSE(IsGatheredOutput(pipe_ends[1]));
  for (int fd : {file, null_device, pipe_ends[0], pipe_ends[1]}) close(fd);
}

struct ChildEnd {
  int wait_status = 0;
  std::string file;  // what standard output and error left in their one file
};

// Runs `body` in a child whose standard output and error both go to one new file, as
// `> file 2>&1` does.
ChildEnd RunWithOutputInAFile(const std::function<void()>& body) {
  char name[] = "/tmp/quovrel-gathered-XXXXXX";
  const int file = mkstemp(name);
  unlink(name);
  ChildEnd end;
  if (file < 0) return end;
  const pid_t child = fork();
  if (child == 0) {
    dup2(file, STDOUT_FILENO);
    dup2(file, STDERR_FILENO);
    body();
    _exit(0);
  }
  waitpid(child, &end.wait_status, 0);
  end.file.resize(static_cast<size_t>(lseek(file, 0, SEEK_END)));
  if (pread(file, end.file.data(), end.file.size(), 0) < 0) end.file = "unreadable";
  close(file);
  return end;
}

// A run that ends (0) or is ended by a signal: every line in the file, the warning in its place,
// though the lines fill a block and more.
TEST(Console, GathersLinesForAFileAndLosesNoneAtTheEnd) {
  for (int signal_number : {0, SIGINT, SIGTERM, SIGHUP}) {
    SCOPED_TRACE(signal_number);
    const std::string line = std::string(1000, 'x') + "\r\n";
    const ChildEnd end = RunWithOutputInAFile([signal_number, &line] {
      if (signal_number != 0) signal(signal_number, SIG_DFL);
      Console console;
      console.WriteLine("a\r\n");
      console.WriteErrorLine("warning\r\n");
      for (int i = 0; i < 100; ++i) console.WriteLine(line);
      if (signal_number != 0) raise(signal_number);
    });
    const bool is_signal_end =
        WIFSIGNALED(end.wait_status) && WTERMSIG(end.wait_status) == signal_number;
    EXPECT_TRUE(signal_number == 0 ? WIFEXITED(end.wait_status) : is_signal_end);
    std::string expected = "a\r\nwarning\r\n";
    for (int i = 0; i < 100; ++i) expected += line;
    EXPECT_EQ(expected, end.file);
  }
}

}  // namespace
