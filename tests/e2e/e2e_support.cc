// Running the program in a child process with captured output, and temporary folder trees.
#include "e2e_support.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <cstring>

extern char** environ;

namespace {

std::vector<std::string> SplitOnBlanks(std::string_view text) {
  std::vector<std::string> words;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find(' ', start);
    if (end == std::string_view::npos) end = text.size();
    if (end > start) words.emplace_back(text.substr(start, end - start));
    start = end + 1;
  }
  return words;
}

std::string_view EnvName(std::string_view entry) { return entry.substr(0, entry.find('=')); }

// The test's environment with the extra entries put in; under a runner wine's own diagnostics
// are turned off unless asked for, as they would otherwise land on standard error.
std::vector<std::string> ChildEnvironment(const std::vector<std::string>& extra) {
  std::vector<std::string> extras = extra;
  if (HasRunner() && !std::getenv("WINEDEBUG")) extras.insert(extras.begin(), "WINEDEBUG=-all");
  std::vector<std::string> env;
  for (char** entry = environ; *entry; ++entry) {
    bool replaced = false;
    for (const std::string& e : extras) replaced = replaced || EnvName(e) == EnvName(*entry);
    if (!replaced) env.emplace_back(*entry);
  }
  env.insert(env.end(), extras.begin(), extras.end());
  return env;
}

// In the child: only calls that are safe between fork and exec.
[[noreturn]] void StartChild(int out_fd, int err_fd, const RunSettings& settings, char** argv,
                             char** envp) {
  // The test process may ignore SIGPIPE, and an ignored signal stays ignored across exec: the
  // program starts as it would from a shell.
  struct sigaction action {};
  action.sa_handler = SIG_DFL;
  sigaction(SIGPIPE, &action, nullptr);
  int null_fd = open("/dev/null", O_RDONLY);
  if (null_fd >= 0) dup2(null_fd, 0);
  dup2(out_fd, 1);
  dup2(err_fd, 2);
  if (!settings.working_directory.empty() && chdir(settings.working_directory.c_str()) != 0) {
    static const char kMessage[] = "e2e: cannot enter the working directory\n";
    (void)!write(2, kMessage, sizeof kMessage - 1);
    _exit(127);
  }
  execvpe(argv[0], argv, envp);
  static const char kMessage[] = "e2e: cannot start the program\n";
  (void)!write(2, kMessage, sizeof kMessage - 1);
  _exit(127);
}

// Removes everything inside the open folder `dir_fd`, making each subfolder accessible first.
void RemoveContents(int dir_fd) {
  std::vector<std::string> names;
  if (DIR* dir = fdopendir(dup(dir_fd))) {
    while (dirent* entry = readdir(dir)) {
      if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0) {
        names.emplace_back(entry->d_name);
      }
    }
    closedir(dir);
  }
  for (const std::string& name : names) {
    struct stat info;
    if (fstatat(dir_fd, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(info.st_mode)) {
      fchmodat(dir_fd, name.c_str(), 0700, 0);
      int child = openat(dir_fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
      if (child >= 0) {
        RemoveContents(child);
        close(child);
      }
      unlinkat(dir_fd, name.c_str(), AT_REMOVEDIR);
    } else {
      unlinkat(dir_fd, name.c_str(), 0);
    }
  }
}

// Reaps the child; a run that did not finish in time is killed and keeps no status.
void WaitForChild(pid_t pid, bool finished, RunResult& result) {
  if (!finished) kill(pid, SIGKILL);
  int wait_status = 0;
  while (waitpid(pid, &wait_status, 0) < 0 && errno == EINTR) {
  }
  if (!finished) return;
  if (WIFEXITED(wait_status)) result.status = WEXITSTATUS(wait_status);
  if (WIFSIGNALED(wait_status)) result.status = 128 + WTERMSIG(wait_status);
}

}  // namespace

std::vector<char*> Pointers(std::vector<std::string>& texts) {
  std::vector<char*> pointers;
  for (std::string& text : texts) pointers.push_back(text.data());
  pointers.push_back(nullptr);
  return pointers;
}

bool ReadPipes(int out_fd, int err_fd, int timeout_seconds, std::string& out, std::string& err) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeout_seconds);
  pollfd fds[2] = {{out_fd, POLLIN, 0}, {err_fd, POLLIN, 0}};
  std::string* sinks[2] = {&out, &err};
  int open_count = 2;
  while (open_count > 0) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return false;
    int ready = poll(fds, 2, static_cast<int>(left.count()));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) return false;
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) continue;
      char buffer[65536];
      ssize_t got = read(fds[i].fd, buffer, sizeof buffer);
      if (got > 0) {
        sinks[i]->append(buffer, static_cast<size_t>(got));
      } else if (got == 0 || errno != EINTR) {
        fds[i].fd = -1;
        --open_count;
      }
    }
  }
  return true;
}

bool HasRunner() {
  const char* runner = std::getenv("QUOVREL_RUNNER");
  return runner && !SplitOnBlanks(runner).empty();
}

namespace {

// The runner (if any), the program and `arguments`; false, with the reason in `result.err`,
// when QUOVREL_PROGRAM names no program.
bool ProgramCommand(const std::vector<std::string>& arguments, const RunSettings& settings,
                    std::vector<std::string>& command, RunResult& result) {
  const char* program = std::getenv("QUOVREL_PROGRAM");
  if (!program || !*program) {
    result.err = "e2e: QUOVREL_PROGRAM names no program\n";
    return false;
  }
  command = settings.wrapper;
  for (std::string& word : SplitOnBlanks(HasRunner() ? std::getenv("QUOVREL_RUNNER") : "")) {
    command.push_back(std::move(word));
  }
  command.emplace_back(program);
  command.insert(command.end(), arguments.begin(), arguments.end());
  return true;
}

}  // namespace

RunResult RunProgram(const std::vector<std::string>& arguments, const RunSettings& settings) {
  RunResult result;
  std::vector<std::string> command;
  if (!ProgramCommand(arguments, settings, command, result)) return result;
  std::vector<std::string> env = ChildEnvironment(settings.extra_env);
  std::vector<char*> argv = Pointers(command);
  std::vector<char*> envp = Pointers(env);

  int out_pipe[2], err_pipe[2];
  if (pipe2(out_pipe, O_CLOEXEC) != 0) return result;
  if (pipe2(err_pipe, O_CLOEXEC) != 0) {
    close(out_pipe[0]);
    close(out_pipe[1]);
    return result;
  }
  pid_t pid = fork();
  if (pid == 0) StartChild(out_pipe[1], err_pipe[1], settings, argv.data(), envp.data());
  close(out_pipe[1]);
  close(err_pipe[1]);
  bool finished = pid > 0 && ReadPipes(out_pipe[0], err_pipe[0], settings.timeout_seconds, result.out, result.err);
  close(out_pipe[0]);
  close(err_pipe[0]);
  if (pid >= 0) WaitForChild(pid, finished, result);
  return result;
}

std::string ShownPath(std::string_view linux_path) {
  if (!HasRunner()) return std::string(linux_path);
  std::string shown = "Z:";
  for (char c : linux_path) shown += c == '/' ? '\\' : c;
  return shown;
}

bool SplitCrLfLines(std::string_view bytes, std::vector<std::string>& lines) {
  lines.clear();
  size_t start = 0;
  while (start < bytes.size()) {
    size_t end = bytes.find("\r\n", start);
    if (end == std::string_view::npos) return false;
    std::string_view line = bytes.substr(start, end - start);
    if (line.find_first_of("\r\n") != std::string_view::npos) return false;
    lines.emplace_back(line);
    start = end + 2;
  }
  return true;
}

TempTree::TempTree(const std::string& base) {
  const char* tmpdir = std::getenv("TMPDIR");
  const std::string folder = !base.empty() ? base : tmpdir && *tmpdir ? tmpdir : "/tmp";
  std::string pattern = folder + "/quovrel-e2e-XXXXXX";
  if (!mkdtemp(pattern.data())) return;
  // The resolved path, so that it reads as the program's own current directory would.
  char resolved[PATH_MAX];
  root_ = realpath(pattern.c_str(), resolved) ? resolved : pattern;
}

TempTree::~TempTree() {
  if (root_.empty()) return;
  chmod(root_.c_str(), 0700);
  int fd = open(root_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    RemoveContents(fd);
    close(fd);
  }
  rmdir(root_.c_str());
}

std::string TempTree::Path(std::string_view rel) const {
  if (rel.empty() || root_.empty()) return root_;
  return root_ + "/" + std::string(rel);
}

bool TempTree::MakeParents(std::string_view rel) {
  if (root_.empty()) return false;
  for (size_t slash = rel.find('/'); slash != std::string_view::npos;
       slash = rel.find('/', slash + 1)) {
    if (mkdir(Path(rel.substr(0, slash)).c_str(), 0755) != 0 && errno != EEXIST) return false;
  }
  return true;
}

bool TempTree::MakeFolder(std::string_view rel) {
  if (!MakeParents(rel)) return false;
  return mkdir(Path(rel).c_str(), 0755) == 0 || errno == EEXIST;
}

bool TempTree::MakeFile(std::string_view rel, off_t size) {
  if (!MakeParents(rel)) return false;
  int fd = open(Path(rel).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  bool done = ftruncate(fd, size) == 0;
  return close(fd) == 0 && done;
}

bool TempTree::SetTime(std::string_view rel, std::time_t seconds) {
  if (root_.empty()) return false;
  const timespec times[2] = {{seconds, 0}, {seconds, 0}};
  return utimensat(AT_FDCWD, Path(rel).c_str(), times, 0) == 0;
}

bool TempTree::SetMode(std::string_view rel, mode_t mode) {
  if (root_.empty()) return false;
  return chmod(Path(rel).c_str(), mode) == 0;
}

RunResult RunProgramWithClosedOutput(const std::vector<std::string>& arguments,
                                     const RunSettings& settings) {
  RunResult result;
  std::vector<std::string> command;
  if (!ProgramCommand(arguments, settings, command, result)) return result;
  std::vector<std::string> env = ChildEnvironment(settings.extra_env);
  std::vector<char*> argv = Pointers(command);
  std::vector<char*> envp = Pointers(env);

  int out_pipe[2], err_pipe[2], done_pipe[2];
  if (pipe2(out_pipe, O_CLOEXEC) != 0) return result;
  close(out_pipe[0]);  // nobody will ever read: every write to out_pipe[1] fails
  if (pipe2(err_pipe, O_CLOEXEC) != 0) {
    close(out_pipe[1]);
    return result;
  }
  // An output pipe that is closed at once stands in for standard output in ReadPipes.
  if (pipe2(done_pipe, O_CLOEXEC) != 0) {
    close(out_pipe[1]);
    close(err_pipe[0]);
    close(err_pipe[1]);
    return result;
  }
  close(done_pipe[1]);
  pid_t pid = fork();
  if (pid == 0) StartChild(out_pipe[1], err_pipe[1], settings, argv.data(), envp.data());
  close(out_pipe[1]);
  close(err_pipe[1]);
  bool finished = pid > 0 && ReadPipes(done_pipe[0], err_pipe[0], settings.timeout_seconds, result.out, result.err);
  close(done_pipe[0]);
  close(err_pipe[0]);
  if (pid >= 0) WaitForChild(pid, finished, result);
  return result;
}

std::string ReadFileBytes(const std::string& path) {
  std::string bytes;
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return bytes;
  char buffer[4096];
  ssize_t got;
  while ((got = read(fd, buffer, sizeof buffer)) != 0) {
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) break;
    bytes.append(buffer, static_cast<size_t>(got));
  }
  close(fd);
  return bytes;
}

bool PathExists(const std::string& path) {
  struct stat info;
  return lstat(path.c_str(), &info) == 0;
}
