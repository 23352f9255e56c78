// Running the program in a child process with captured output, and temporary folder trees.
#include "e2e_support.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

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

// The test's environment with the extra entries put in; under a runner wine's own diagnostics
// are turned off unless asked for, as they would otherwise land on standard error.
std::vector<std::string> ChildEnvironment(const std::vector<std::string>& extra) {
  std::vector<std::string> extras = extra;
  if (HasRunner() && !std::getenv("WINEDEBUG")) extras.insert(extras.begin(), "WINEDEBUG=-all");
  return EnvironmentWith(extras);
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

}  // namespace

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
  return RunChild(command, ChildSettings{ChildEnvironment(settings.extra_env),
                                         settings.working_directory, settings.timeout_seconds});
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
  return RunChild(command,
                  ChildSettings{ChildEnvironment(settings.extra_env), settings.working_directory,
                                settings.timeout_seconds, true});
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
