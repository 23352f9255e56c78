// Temporary folders and forked children for the tests of the POSIX platform on real file systems.
#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

// A folder under `base`, removed with everything in it (however deep) when the test ends. It is
// world-readable so that a child that gives up root can still reach it.
class TempFolder {
 public:
  explicit TempFolder(const std::string& base = "/tmp") {
    std::string pattern = base + "/quovrel-posix-XXXXXX";
    if (mkdtemp(pattern.data()) != nullptr) path_ = pattern;
    chmod(path_.c_str(), 0755);
  }
  ~TempFolder() {
    if (path_.empty()) return;
    // rm copes with paths far beyond PATH_MAX; chmod first so that no folder refuses it.
    const std::string quoted = "'" + path_ + "'";
    if (std::system(("chmod -R u+rwx " + quoted + " 2>/dev/null; rm -rf -- " + quoted).c_str())) {
    }
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  bool ok() const { return !path_.empty(); }
  const std::string& path() const { return path_; }
  std::string Path(std::string_view relative) const { return path_ + "/" + std::string(relative); }

  bool MakeFolder(std::string_view relative, mode_t mode = 0755) const {
    return mkdir(Path(relative).c_str(), mode) == 0;
  }
  bool MakeFile(std::string_view relative, std::string_view bytes = "") const {
    const int fd = open(Path(relative).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    const bool written =
        write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    return close(fd) == 0 && written;
  }
  bool MakeLink(std::string_view target, std::string_view relative) const {
    return symlink(std::string(target).c_str(), Path(relative).c_str()) == 0;
  }

 private:
  std::string path_;
};

// Runs `body` in a forked child, which is where a test may lower limits, give up root or risk
// blocking (an alarm ends the child after `seconds`). Returns the child's message: empty when it
// passed, "SKIP: ..." when the case cannot run here, anything else describes the failure.
inline std::string RunInChild(const std::function<std::string()>& body, unsigned seconds = 60) {
  int channel[2];
  if (pipe(channel) != 0) return "pipe failed";
  std::fflush(stdout);
  const pid_t pid = fork();
  if (pid < 0) return "fork failed";
  if (pid == 0) {
    close(channel[0]);
    alarm(seconds);
    const std::string message = body();
    if (write(channel[1], message.data(), message.size()) < 0) _exit(2);
    _exit(0);
  }
  close(channel[1]);
  std::string message;
  char block[256];
  ssize_t got;
  while ((got = read(channel[0], block, sizeof block)) > 0) message.append(block, got);
  close(channel[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    message += " [child ended abnormally: status " + std::to_string(status) + "]";
  }
  return message;
}

// The shown names of the current listing, in order.
inline std::vector<std::string> EntryNames(const FolderWalker& walker) {
  std::vector<std::string> names;
  for (const FolderEntry& entry : walker.Entries()) names.emplace_back(entry.Name);
  return names;
}

// The index of the entry shown as `name`, or -1.
inline long FindEntry(const FolderWalker& walker, std::string_view name) {
  const std::vector<FolderEntry>& entries = walker.Entries();
  for (size_t i = 0; i < entries.size(); ++i) {
    if (entries[i].Name == name) return static_cast<long>(i);
  }
  return -1;
}
