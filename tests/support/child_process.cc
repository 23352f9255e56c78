// Child processes with captured output, a deadline and a process group of their own.
#include "child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <string_view>

extern char** environ;

namespace {

// Pointers to the texts of `texts`, followed by a null pointer, as execve takes them; valid while
// `texts` lives unchanged.
std::vector<char*> Pointers(std::vector<std::string>& texts) {
  std::vector<char*> pointers;
  for (std::string& text : texts) pointers.push_back(text.data());
  pointers.push_back(nullptr);
  return pointers;
}

// Reads `fds[i]` into `sinks[i]` until every writer has closed or the deadline has passed (false
// then). A descriptor of -1 is no pipe.
bool ReadPipes(const int (&fds)[2], std::string* const (&sinks)[2], int timeout_seconds) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeout_seconds);
  pollfd polled[2] = {{fds[0], POLLIN, 0}, {fds[1], POLLIN, 0}};
  int open_count = (fds[0] >= 0) + (fds[1] >= 0);
  while (open_count > 0) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return false;
    const int ready = poll(polled, 2, static_cast<int>(left.count()));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) return false;
    for (int i = 0; i < 2; ++i) {
      if (polled[i].fd < 0 || polled[i].revents == 0) continue;
      char buffer[65536];
      const ssize_t got = read(polled[i].fd, buffer, sizeof buffer);
      if (got > 0) {
        sinks[i]->append(buffer, static_cast<size_t>(got));
      } else if (got == 0 || errno != EINTR) {
        polled[i].fd = -1;
        --open_count;
      }
    }
  }
  return true;
}

// In the child: only calls that are safe between fork and exec.
[[noreturn]] void StartChild(int out_fd, int err_fd, const char* working_directory, char** argv,
                             char** envp) {
  setpgid(0, 0);  // a group of its own, so that a timeout ends everything it started
  // An ignored signal stays ignored across exec, and the test may ignore SIGPIPE.
  struct sigaction action {};
  action.sa_handler = SIG_DFL;
  sigaction(SIGPIPE, &action, nullptr);
  const int null_fd = open("/dev/null", O_RDONLY);
  if (null_fd >= 0) dup2(null_fd, 0);
  dup2(out_fd, 1);
  dup2(err_fd, 2);
  // A descriptor the test runner left open would take one of the few a limited run allows.
  close_range(3, ~0u, 0);
  if (*working_directory != '\0' && chdir(working_directory) != 0) {
    static const char kMessage[] = "test: cannot enter the working directory\n";
    (void)!write(2, kMessage, sizeof kMessage - 1);
    _exit(127);
  }
  execvpe(argv[0], argv, envp);
  static const char kMessage[] = "test: cannot start the program\n";
  (void)!write(2, kMessage, sizeof kMessage - 1);
  _exit(127);
}

void CloseBoth(int (&fds)[2]) {
  for (int& fd : fds) {
    if (fd >= 0) close(fd);
    fd = -1;
  }
}

}  // namespace

ChildResult RunChild(const std::vector<std::string>& argv, const ChildSettings& settings) {
  ChildResult result;
  std::vector<std::string> args = argv;
  std::vector<std::string> env = settings.env;
  std::vector<char*> arg_pointers = Pointers(args);
  std::vector<char*> env_pointers = Pointers(env);
  int out_pipe[2] = {-1, -1};
  int err_pipe[2] = {-1, -1};
  if (pipe2(out_pipe, O_CLOEXEC) != 0 || pipe2(err_pipe, O_CLOEXEC) != 0) {
    result.err = std::string("test: no pipe for the child: ") + std::strerror(errno) + "\n";
    CloseBoth(out_pipe);
    return result;
  }
  if (settings.is_output_closed) {
    close(out_pipe[0]);  // nobody will ever read: every write to out_pipe[1] fails
    out_pipe[0] = -1;
  }
  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = fork();
  const int fork_errno = errno;
  if (pid == 0) {
    StartChild(out_pipe[1], err_pipe[1], settings.working_directory.c_str(), arg_pointers.data(),
               env_pointers.data());
  }
  close(out_pipe[1]);
  close(err_pipe[1]);
  const bool finished = pid > 0 && ReadPipes({out_pipe[0], err_pipe[0]}, {&result.out, &result.err},
                                             settings.timeout_seconds);
  if (out_pipe[0] >= 0) close(out_pipe[0]);
  close(err_pipe[0]);
  if (pid < 0) {
    result.err = std::string("test: cannot fork: ") + std::strerror(fork_errno) + "\n";
    return result;
  }
  if (!finished) kill(-pid, SIGKILL);
  int wait_status = 0;
  while (waitpid(pid, &wait_status, 0) < 0 && errno == EINTR) {
  }
  result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  if (!finished) return result;
  if (WIFEXITED(wait_status)) result.status = WEXITSTATUS(wait_status);
  if (WIFSIGNALED(wait_status)) result.status = 128 + WTERMSIG(wait_status);
  return result;
}

std::vector<std::string> EnvironmentWith(const std::vector<std::string>& given) {
  const auto name_of = [](std::string_view entry) { return entry.substr(0, entry.find('=')); };
  // The program's classic mode, unless the test names a locale of its own.
  std::vector<std::string> extra = {std::string("LC_ALL=") + kClassicLocale};
  for (const std::string& e : given) {
    if (name_of(e) == "LC_ALL") extra.clear();
  }
  extra.insert(extra.end(), given.begin(), given.end());
  std::vector<std::string> env;
  for (char** entry = environ; *entry; ++entry) {
    bool replaced = false;
    for (const std::string& e : extra) replaced = replaced || name_of(e) == name_of(*entry);
    if (!replaced) env.emplace_back(*entry);
  }
  env.insert(env.end(), extra.begin(), extra.end());
  return env;
}
