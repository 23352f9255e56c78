// Times a command's first line of output: runs it with standard output on a pipe, and prints the
// milliseconds until the first line arrived and until the command ended, its peak memory in
// kilobytes, and its line count.
//   first_line COMMAND [ARGUMENT...]
// The output is read whole, so the command runs as it would into a file.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>

namespace {

double MillisecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
      .count();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: first_line COMMAND [ARGUMENT...]\n");
    return 2;
  }
  int pipe_ends[2];
  if (pipe(pipe_ends) != 0) return 2;
  const auto start = std::chrono::steady_clock::now();
  const pid_t child = fork();
  if (child < 0) return 2;
  if (child == 0) {
    dup2(pipe_ends[1], STDOUT_FILENO);
    close(pipe_ends[0]);
    close(pipe_ends[1]);
    execvp(argv[1], argv + 1);
    _exit(127);
  }
  close(pipe_ends[1]);
  double first_line = -1;
  long lines = 0;
  char buffer[64 * 1024];
  for (ssize_t got; (got = read(pipe_ends[0], buffer, sizeof buffer)) != 0;) {
    if (got < 0) continue;  // interrupted
    for (ssize_t i = 0; i < got; ++i) lines += buffer[i] == '\n';
    if (first_line < 0 && lines > 0) first_line = MillisecondsSince(start);
  }
  int status = 0;
  rusage usage{};
  wait4(child, &status, 0, &usage);
  const double end = MillisecondsSince(start);
  std::printf("%.1f %.1f %ld %ld\n", first_line, end, usage.ru_maxrss, lines);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}
