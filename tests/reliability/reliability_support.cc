// Shell runs, scratch trees, descriptor-built deep trees and find's figures.
#include "reliability_support.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/statvfs.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>

extern char** environ;

std::string ProgramPath() {
  const char* program = std::getenv("QUOVREL_PROGRAM");
  return program ? program : "";
}

std::string ShellWord(std::string_view text) {
  std::string word = "'";
  for (char c : text) word += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return word + "'";
}

ShellRun RunShell(const std::string& script, const ShellSettings& settings) {
  ShellRun run;
  if (ProgramPath().empty()) {
    run.err = "QUOVREL_PROGRAM names no program to test";
    return run;
  }
  std::vector<std::string> env;
  for (char** entry = environ; *entry; ++entry) env.emplace_back(*entry);
  env.insert(env.end(), settings.env.begin(), settings.env.end());
  env.push_back("Q=" + ProgramPath());
  std::vector<std::string> argv = {"sh", "-c", script};
  std::vector<char*> argv_pointers = Pointers(argv);
  std::vector<char*> env_pointers = Pointers(env);
  int out_pipe[2], err_pipe[2];
  if (pipe2(out_pipe, O_CLOEXEC) != 0) return run;
  if (pipe2(err_pipe, O_CLOEXEC) != 0) {
    close(out_pipe[0]);
    close(out_pipe[1]);
    return run;
  }
  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = fork();
  if (pid == 0) {
    setpgid(0, 0);  // its own group, so that a timeout ends everything it started
    const int null_fd = open("/dev/null", O_RDONLY);
    if (null_fd >= 0) dup2(null_fd, 0);
    dup2(out_pipe[1], 1);
    dup2(err_pipe[1], 2);
    // Only 0 to 2 go to the shell: a descriptor the test runner left open would take one of the
    // few that the descriptor scenarios allow.
    close_range(3, ~0u, 0);
    signal(SIGPIPE, SIG_DFL);
    if (!settings.working_directory.empty() && chdir(settings.working_directory.c_str()) != 0) {
      _exit(126);
    }
    execve("/bin/sh", argv_pointers.data(), env_pointers.data());
    _exit(127);
  }
  close(out_pipe[1]);
  close(err_pipe[1]);
  const bool finished = pid > 0 && ReadPipes(out_pipe[0], err_pipe[0], settings.timeout_seconds, run.out, run.err);
  close(out_pipe[0]);
  close(err_pipe[0]);
  if (pid < 0) return run;
  if (!finished) kill(-pid, SIGKILL);
  int wait_status = 0;
  while (waitpid(pid, &wait_status, 0) < 0 && errno == EINTR) {
  }
  run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  if (!finished) return run;
  if (WIFEXITED(wait_status)) run.status = WEXITSTATUS(wait_status);
  if (WIFSIGNALED(wait_status)) run.status = 128 + WTERMSIG(wait_status);
  return run;
}

std::string NobodyPrefix(std::string& why) {
  if (geteuid() != 0) {
    why = "needs root to drop to the user nobody";
    return "";
  }
  const std::string prefix = "setpriv --reuid=65534 --regid=65534 --clear-groups";
  const ShellRun probe = RunShell(prefix + " true");
  if (probe.status != 0) {
    why = "setpriv cannot drop to the user nobody here: " + probe.err;
    return "";
  }
  return prefix;
}

std::unique_ptr<TempTree> NewScratchTree() {
  constexpr unsigned long kTmpfsMagic = 0x01021994;
  constexpr unsigned long long kRoomNeeded = 256ull << 20;
  struct statfs kind {};
  struct statvfs room {};
  const bool use_memory = statfs("/dev/shm", &kind) == 0 && kind.f_type == kTmpfsMagic &&
                          statvfs("/dev/shm", &room) == 0 &&
                          room.f_bavail * room.f_frsize >= kRoomNeeded && room.f_favail >= 100000 &&
                          access("/dev/shm", W_OK) == 0;
  if (!use_memory) return std::make_unique<TempTree>();
  const char* old = std::getenv("TMPDIR");
  const std::string saved = old ? old : "";
  setenv("TMPDIR", "/dev/shm", 1);
  auto tree = std::make_unique<TempTree>();
  if (old) {
    setenv("TMPDIR", saved.c_str(), 1);
  } else {
    unsetenv("TMPDIR");
  }
  return tree;
}

std::string ScratchFile(const std::string& name) {
  const char* base = std::getenv("TMPDIR");
  return std::string(base && *base ? base : "/tmp") + "/quovrel-reliability-" +
         std::to_string(getpid()) + "-" + name;
}

bool MakeChain(const std::string& root, const std::string& name, int depth, int file_every) {
  int fd = open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  for (int level = 0; fd >= 0; ++level) {
    if (level % file_every == 0 || level == depth) {
      const std::string file_name = "f" + std::to_string(level);
      const int file = openat(fd, file_name.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
      const bool made = file >= 0 && ftruncate(file, level) == 0;
      if (file >= 0) close(file);
      if (!made) break;
    }
    if (level == depth) {
      close(fd);
      return true;
    }
    const int next = mkdirat(fd, name.c_str(), 0755) == 0
                         ? openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)
                         : -1;
    close(fd);
    fd = next;
  }
  if (fd >= 0) close(fd);
  return false;
}

bool FindSizes(const std::string& root, uint64_t& bytes, uint64_t& count, bool follow) {
  const ShellRun run = RunShell(std::string("find ") + (follow ? "-L " : "") + ShellWord(root) +
                                " -mindepth 1 \\( -type d -name '.*' -prune \\) -o"
                                " \\( ! -type d -printf '%s\\n' \\)");
  if (run.status != 0) return false;
  bytes = 0;
  count = 0;
  size_t start = 0;
  while (start < run.out.size()) {
    const size_t end = run.out.find('\n', start);
    bytes += std::strtoull(run.out.c_str() + start, nullptr, 10);
    ++count;
    start = end == std::string::npos ? run.out.size() : end + 1;
  }
  return true;
}
