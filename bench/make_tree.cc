// Makes a large seeded tree of sparse files for benchmarks:
//   make_tree [--seed N] [--folders F] [--files M] [--max-depth D] OUT_DIR
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "tree_attributes.h"
#include "tree_names.h"
#include "tree_plan.h"
#include "tree_random.h"

namespace {

// Paths below the root stay within this many bytes, so that under a short root every path
// fits the 260 bytes a Windows path may have and the tree charts the same there.
constexpr size_t kMaxRelativePath = 200;
constexpr size_t kMaxFileName = 160;
constexpr size_t kMaxFolderName = 40;
constexpr size_t kRoomBelowFolder = 24;  // kept free under a new folder for the names in it
// A chart leaves out a folder whose name starts with a dot and all below it; only folders with
// few entries below may get such a name, so that the chart still shows most of the tree.
constexpr uint64_t kMostEntriesBelowDotFolder = 300;

enum class NameKind { File, Folder, DotFolderAllowed };

struct MakeCounts {
  uint64_t Folders = 0;
  uint64_t Files = 0;
  uint64_t HugeFiles = 0;
  uint64_t NonAsciiNames = 0;
  uint64_t DotNames = 0;
};

struct TreeMaker {
  const TreePlan& Plan;
  uint64_t Seed;
  MakeCounts Counts;
};

// The names made in one folder, compared as Windows would: ASCII case ignored.
class NameSet {
 public:
  bool Insert(const std::string& name) {
    std::string key = name;
    for (char& c : key) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    return keys_.insert(std::move(key)).second;
  }
  size_t Size() const { return keys_.size(); }

 private:
  std::unordered_set<std::string> keys_;
};

std::string UniqueName(TreeRandom& random, NameSet& names, NameKind kind, size_t max_bytes) {
  for (int attempt = 0; attempt < 8; ++attempt) {
    std::string name = kind == NameKind::File
                           ? MakeFileName(random, max_bytes)
                           : MakeFolderName(random, max_bytes, kind == NameKind::DotFolderAllowed);
    if (names.Insert(name)) return name;
  }
  // Short budgets run out of fresh names; numbers never do.
  for (;;) {
    std::string name = std::to_string(names.Size());
    name.insert(name.begin(), 'n');
    if (names.Insert(name)) return name;
  }
}

int Fail(const char* call, const std::string& name) {
  std::fprintf(stderr, "make_tree: %s %s: %s\n", call, name.c_str(), std::strerror(errno));
  return -1;
}

void CountName(MakeCounts& counts, const std::string& name) {
  if (IsNonAscii(name)) counts.NonAsciiNames++;
  if (name[0] == '.') counts.DotNames++;
}

int MakeFile(int dir_fd, const std::string& name, TreeRandom& random, MakeCounts& counts) {
  uint64_t size = DrawFileSize(random);
  timespec times[2] = {DrawWriteTime(random), {}};
  times[1] = times[0];
  int fd = openat(dir_fd, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0) return Fail("openat", name);
  // ftruncate makes a sparse file: the size costs no data blocks.
  if (size != 0 && ftruncate(fd, static_cast<off_t>(size)) != 0) return Fail("ftruncate", name);
  if (futimens(fd, times) != 0) return Fail("futimens", name);
  close(fd);
  counts.Files++;
  if (size >= (1ull << 32)) counts.HugeFiles++;
  CountName(counts, name);
  return 0;
}

int MakeFolderContents(TreeMaker& maker, uint32_t folder, int dir_fd, size_t path_length);

int EnterFolder(TreeMaker& maker, uint32_t folder, int dir_fd, const std::string& name,
                size_t path_length) {
  int fd = openat(dir_fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return Fail("openat", name);
  int status = MakeFolderContents(maker, folder, fd, path_length);
  close(fd);
  return status;
}

// Makes the folder's subfolders and files, sets its time (its entries are all made, so no later
// step changes it), then fills each subfolder. Each folder draws from its own seed.
int MakeFolderContents(TreeMaker& maker, uint32_t folder, int dir_fd, size_t path_length) {
  const FolderPlan& plan = maker.Plan.Folders[folder];
  TreeRandom random(MixSeed(maker.Seed, folder));
  timespec folder_times[2] = {DrawWriteTime(random), {}};
  folder_times[1] = folder_times[0];
  // Deep folders with long names leave little room; every name still gets 8 bytes.
  size_t budget = kMaxRelativePath - std::min(path_length + 1, kMaxRelativePath - 8);
  size_t folder_budget = budget > kRoomBelowFolder + 4 ? budget - kRoomBelowFolder : 4;
  NameSet names;
  std::vector<std::string> subfolders;
  for (uint32_t i = 0; i < plan.ChildCount; ++i) {
    const FolderPlan& child = maker.Plan.Folders[maker.Plan.Children[plan.FirstChild + i]];
    NameKind kind = child.EntriesBelow <= kMostEntriesBelowDotFolder ? NameKind::DotFolderAllowed
                                                                     : NameKind::Folder;
    subfolders.push_back(UniqueName(random, names, kind, std::min(folder_budget, kMaxFolderName)));
    if (mkdirat(dir_fd, subfolders.back().c_str(), 0755) != 0)
      return Fail("mkdirat", subfolders.back());
    maker.Counts.Folders++;
    CountName(maker.Counts, subfolders.back());
  }
  for (uint32_t i = 0; i < plan.FileCount; ++i) {
    std::string name = UniqueName(random, names, NameKind::File, std::min(budget, kMaxFileName));
    if (MakeFile(dir_fd, name, random, maker.Counts) != 0) return -1;
  }
  if (futimens(dir_fd, folder_times) != 0) return Fail("futimens", "folder");
  for (uint32_t i = 0; i < plan.ChildCount; ++i) {
    uint32_t child = maker.Plan.Children[plan.FirstChild + i];
    size_t child_length = path_length + 1 + subfolders[i].size();
    if (EnterFolder(maker, child, dir_fd, subfolders[i], child_length) != 0) return -1;
  }
  return 0;
}

bool ReadNumber(const char* text, uint64_t& value) {
  char* end = nullptr;
  errno = 0;
  value = std::strtoull(text, &end, 10);
  return errno == 0 && end != text && *end == 0;
}

int Usage() {
  std::fprintf(stderr,
               "usage: make_tree [--seed N] [--folders F] [--files M] [--max-depth D] OUT_DIR\n"
               "  defaults: seed 1, 100000 folders, 1000000 files, depth up to 16;\n"
               "  OUT_DIR must not exist yet.\n");
  return 2;
}

int ParseArguments(int argc, char** argv, TreeSettings& settings, std::string& out_dir) {
  for (int i = 1; i < argc; ++i) {
    std::string_view key = argv[i];
    uint64_t value = 0;
    if (key.substr(0, 2) != "--") {
      if (!out_dir.empty()) return -1;
      out_dir = argv[i];
      continue;
    }
    if (i + 1 >= argc || !ReadNumber(argv[++i], value)) return -1;
    if (key == "--seed")
      settings.Seed = value;
    else if (key == "--folders" && value < (1u << 31))
      settings.Folders = static_cast<uint32_t>(value);
    else if (key == "--files" && value < (1ull << 40))
      settings.Files = value;
    else if (key == "--max-depth" && value >= 1 && value <= 64)
      settings.MaxDepth = static_cast<int>(value);
    else
      return -1;
  }
  return out_dir.empty() ? -1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
  TreeSettings settings;
  std::string out_dir;
  if (ParseArguments(argc, argv, settings, out_dir) != 0) return Usage();
  auto start = std::chrono::steady_clock::now();
  TreePlan plan = PlanTree(settings);
  int root_fd = -1;
  if (mkdir(out_dir.c_str(), 0755) != 0 ||
      (root_fd = open(out_dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) < 0) {
    Fail("mkdir", out_dir);
    return 1;
  }
  TreeMaker maker{plan, settings.Seed, {}};
  int status = MakeFolderContents(maker, 0, root_fd, 0);
  close(root_fd);
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const MakeCounts& counts = maker.Counts;
  std::printf(
      "%llu folders, %llu files (%llu of 4 GiB or more), %llu non-ASCII names, "
      "%llu dot-names, in %.1f s\n",
      (unsigned long long)counts.Folders, (unsigned long long)counts.Files,
      (unsigned long long)counts.HugeFiles, (unsigned long long)counts.NonAsciiNames,
      (unsigned long long)counts.DotNames, seconds);
  return status == 0 ? 0 : 1;
}
