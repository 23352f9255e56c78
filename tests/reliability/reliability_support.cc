// Shell runs, scratch trees, descriptor-built deep trees and find's figures.
#include "reliability_support.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

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
  if (ProgramPath().empty()) {
    ShellRun run;
    run.err = "QUOVREL_PROGRAM names no program to test";
    return run;
  }
  std::vector<std::string> env = settings.env;
  env.push_back("Q=" + ProgramPath());
  return RunChild(
      {"sh", "-c", script},
      ChildSettings{EnvironmentWith(env), settings.working_directory, settings.timeout_seconds});
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
