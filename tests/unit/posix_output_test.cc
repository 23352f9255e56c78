// Standard output gathered for a file: where it is gathered, and that nothing gathered is lost or
// out of place, whether the run ends, warns or is ended by a signal.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>
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
  EXPECT_FALSE(IsGatheredOutput(-1));
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
  close(file);
  std::ifstream in(name, std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  end.file = bytes.str();
  unlink(name);
  return end;
}

TEST(Console, GathersLinesForAFileAndKeepsWarningsInTheirPlace) {
  const ChildEnd end = RunWithOutputInAFile([] {
    Console console;
    console.WriteLine("a\r\n");
    console.WriteErrorLine("warning\r\n");
    console.WriteLine("b\r\n");
  });
  ASSERT_TRUE(WIFEXITED(end.wait_status));
  EXPECT_EQ("a\r\nwarning\r\nb\r\n", end.file);
}

TEST(Console, ASignalThatEndsTheRunWritesTheGatheredLinesFirst) {
  for (int signal_number : {SIGINT, SIGTERM, SIGHUP}) {
    SCOPED_TRACE(signal_number);
    const ChildEnd end = RunWithOutputInAFile([signal_number] {
      signal(signal_number, SIG_DFL);
      Console console;
      const std::string line(1000, 'x');
      for (int i = 0; i < 100; ++i) console.WriteLine(line + "\r\n");  // a block written, some left
      raise(signal_number);
    });
    ASSERT_TRUE(WIFSIGNALED(end.wait_status));
    EXPECT_EQ(signal_number, WTERMSIG(end.wait_status));
    EXPECT_EQ(100 * 1002u, end.file.size());
  }
}

}  // namespace
