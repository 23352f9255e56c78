// The system-call floor of a tree chart: only the calls a chart cannot do without.
//   floor enum DIR       reads every folder with getdents64 (fd-relative, recursive)
//   floor stat DIR       the same, plus one fstatat per entry
//   floor write N FILE   writes N lines of 60 bytes, whole lines in writes of up to 64 KiB
//   floor penum T DIR    enum spread over T threads: a shared stack of open folders, each
//   floor pstat T DIR    thread taking the top; a thread finding the stack full walks on itself
// Each prints only a count at the end. Like the chart, the walk leaves out every folder whose
// name starts with a dot, and all below it; the count is of the entries a chart shows. With
// "dot" after DIR, penum and pstat walk the dot-folders too, as the chart does with /DotFolders:
// the floor of the parallel rows, which chart them to compare with tools that always do.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace {

// The kernel's record, as getdents64 fills the buffer.
struct KernelDirent {
  uint64_t Inode;
  int64_t Offset;
  unsigned short Length;
  unsigned char Type;
  char Name[];
};

constexpr size_t kReadSize = 64 * 1024;

struct Walk {
  bool WithStat = false;
  uint64_t Entries = 0;
  // One per depth, reused across folders; a deque keeps them in place as it grows.
  std::deque<std::vector<char>> Buffers;
};

// Reads the whole folder into `buffer`; returns the bytes filled.
size_t ReadFolder(int fd, std::vector<char>& buffer) {
  size_t used = 0;
  for (;;) {
    if (buffer.size() < used + kReadSize) buffer.resize(used + kReadSize);
    long got = syscall(SYS_getdents64, fd, buffer.data() + used, kReadSize);
    if (got <= 0) return used;
    used += static_cast<size_t>(got);
  }
}

bool IsDotOrDotDot(const char* name) {
  return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

// True when the entry is a folder; the type comes from the folder listing where it is known.
bool IsFolderEntry(int fd, const KernelDirent& entry) {
  if (entry.Type != DT_UNKNOWN) return entry.Type == DT_DIR;
  struct stat info;
  return fstatat(fd, entry.Name, &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(info.st_mode);
}

void WalkFolder(Walk& walk, int fd, size_t depth) {
  if (walk.Buffers.size() <= depth) walk.Buffers.resize(depth + 1);
  std::vector<char>& buffer = walk.Buffers[depth];
  size_t used = ReadFolder(fd, buffer);
  for (size_t at = 0; at < used;) {
    const KernelDirent& entry = *reinterpret_cast<const KernelDirent*>(buffer.data() + at);
    at += entry.Length;
    bool is_folder = IsFolderEntry(fd, entry);
    if (is_folder && entry.Name[0] == '.') continue;  // ".", "..", and the dot-folders
    walk.Entries++;
    struct stat info;
    if (walk.WithStat) fstatat(fd, entry.Name, &info, 0);
    if (!is_folder) continue;
    int child = openat(fd, entry.Name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (child < 0) continue;
    WalkFolder(walk, child, depth + 1);
    close(child);
  }
}

int CountEntries(const char* root, bool with_stat) {
  int fd = open(root, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) {
    std::perror(root);
    return 1;
  }
  Walk walk;
  walk.WithStat = with_stat;
  WalkFolder(walk, fd, 0);
  close(fd);
  std::printf("%llu\n", static_cast<unsigned long long>(walk.Entries));
  return 0;
}

// The parallel walk: open folders wait on a bounded stack; `busy` counts the stacked folders and
// those being read, and the walk ends when it drops to zero.
struct SharedWalk {
  static constexpr size_t kMostStacked = 256;
  bool WithStat = false;
  bool WithDotFolders = false;
  std::atomic<uint64_t> Entries{0};
  std::mutex Lock;
  std::condition_variable Changed;
  std::vector<int> Stack;
  size_t Busy = 0;
};

void ReadShared(SharedWalk& walk, int fd, std::vector<char>& buffer) {
  size_t used = ReadFolder(fd, buffer);
  uint64_t entries = 0;
  std::vector<int> children;
  for (size_t at = 0; at < used;) {
    const KernelDirent& entry = *reinterpret_cast<const KernelDirent*>(buffer.data() + at);
    at += entry.Length;
    bool is_folder = IsFolderEntry(fd, entry);
    if (is_folder && IsDotOrDotDot(entry.Name)) continue;
    if (is_folder && entry.Name[0] == '.' && !walk.WithDotFolders) continue;
    entries++;
    struct stat info;
    if (walk.WithStat) fstatat(fd, entry.Name, &info, 0);
    if (!is_folder) continue;
    int child = openat(fd, entry.Name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (child >= 0) children.push_back(child);
  }
  close(fd);
  walk.Entries += entries;
  std::vector<int> own;
  {
    std::lock_guard<std::mutex> lock(walk.Lock);
    for (int child : children) {
      if (walk.Stack.size() < SharedWalk::kMostStacked) {
        walk.Stack.push_back(child);
        walk.Busy++;
      } else {
        own.push_back(child);
      }
    }
  }
  walk.Changed.notify_all();
  std::vector<char> deeper;
  for (int child : own) ReadShared(walk, child, deeper);
}

void RunSharedWorker(SharedWalk& walk) {
  std::vector<char> buffer;
  std::unique_lock<std::mutex> lock(walk.Lock);
  for (;;) {
    walk.Changed.wait(lock, [&walk] { return !walk.Stack.empty() || walk.Busy == 0; });
    if (walk.Stack.empty()) return;
    int fd = walk.Stack.back();
    walk.Stack.pop_back();
    lock.unlock();
    ReadShared(walk, fd, buffer);
    lock.lock();
    if (--walk.Busy == 0) walk.Changed.notify_all();
  }
}

int CountEntriesInParallel(const char* threads_text, const char* root, bool with_stat,
                           bool with_dot_folders) {
  const unsigned long threads = std::strtoul(threads_text, nullptr, 10);
  int fd = open(root, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0 || threads == 0) {
    std::perror(root);
    return 1;
  }
  SharedWalk walk;
  walk.WithStat = with_stat;
  walk.WithDotFolders = with_dot_folders;
  walk.Stack.push_back(fd);
  walk.Busy = 1;
  std::vector<std::thread> workers;
  for (unsigned long i = 0; i < threads; ++i) workers.emplace_back(RunSharedWorker, std::ref(walk));
  for (std::thread& worker : workers) worker.join();
  std::printf("%llu\n", static_cast<unsigned long long>(walk.Entries.load()));
  return 0;
}

int WriteLines(const char* count_text, const char* path) {
  unsigned long long count = std::strtoull(count_text, nullptr, 10);
  int fd = open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) {
    std::perror(path);
    return 1;
  }
  // About as long as a chart line with size, time and sums; CR LF ended like the chart.
  static constexpr std::string_view kLine =
      "|   |   +---report_final.txt      12,345  2021/03/04 05:06\r\n";
  // Gathered as the chart gathers its lines for a file.
  static constexpr size_t kBlock = 64 * 1024;
  std::string block;
  block.reserve(kBlock);
  unsigned long long written = 0;
  bool failed = false;
  for (; written < count && !failed; ++written) {
    if (block.size() + kLine.size() > kBlock) {
      failed = write(fd, block.data(), block.size()) != static_cast<ssize_t>(block.size());
      block.clear();
    }
    block += kLine;
  }
  if (!failed && !block.empty()) {
    failed = write(fd, block.data(), block.size()) != static_cast<ssize_t>(block.size());
  }
  close(fd);
  std::printf("%llu\n", written);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::string_view mode = argc > 1 ? argv[1] : "";
  if (argc == 3 && mode == "enum") return CountEntries(argv[2], false);
  if (argc == 3 && mode == "stat") return CountEntries(argv[2], true);
  if (argc == 4 && mode == "write") return WriteLines(argv[2], argv[3]);
  const bool with_dots = argc == 5 && std::string_view(argv[4]) == "dot";
  if ((argc == 4 || with_dots) && (mode == "penum" || mode == "pstat")) {
    return CountEntriesInParallel(argv[2], argv[3], mode == "pstat", with_dots);
  }
  std::fprintf(stderr,
               "usage: floor enum DIR | floor stat DIR | floor write N FILE |"
               " floor penum T DIR [dot] | floor pstat T DIR [dot]\n");
  return 2;
}
