// Deep walks on the POSIX platform: paths far beyond PATH_MAX, hundreds of levels, with only 16
// descriptors allowed, in a forked child so the lowered limit stays there. The reliability tests
// chart 10,000 levels with the whole program, under the same limit.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "classic_platform.h"
#include "platform/platform.h"
#include "platform/posix/read_ahead.h"
#include "platform/posix/text.h"
#include "platform/posix/walker.h"
#include "posix_test_folder.h"

namespace {

using Names = std::vector<std::string>;

// Makes `depth` nested folders called `name` below `root`, each level (the deepest too) also
// holding an empty folder "z" and a file "f". Uses descriptors, as no path could reach the bottom.
bool MakeChain(const std::string& root, const std::string& name, int depth) {
  int fd = open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  for (int level = 0; fd >= 0; ++level) {
    const int file = openat(fd, "f", O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    const bool made = file >= 0 && close(file) == 0 && mkdirat(fd, "z", 0755) == 0;
    if (!made || level == depth) {
      close(fd);
      return made;
    }
    const int next = mkdirat(fd, name.c_str(), 0755) == 0
                         ? openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)
                         : -1;
    close(fd);
    fd = next;
  }
  return false;
}

std::string LevelName(int index) {
  std::string name = "d";
  name += std::to_string(index);
  return name;
}

bool LimitDescriptors(rlim_t count) {
  const struct rlimit limit = {count, count};
  return setrlimit(RLIMIT_NOFILE, &limit) == 0;
}

// The descriptors the process holds now, counted without opening one (there may be none left).
int OpenDescriptorCount() {
  struct rlimit limit {};
  getrlimit(RLIMIT_NOFILE, &limit);
  int count = 0;
  for (rlim_t fd = 0; fd < limit.rlim_cur && fd < 65536; ++fd) {
    if (fcntl(static_cast<int>(fd), F_GETFD) != -1) ++count;
  }
  return count;
}

// Walks the chain: down through `name` to the bottom, then back up, entering and listing "z" at
// every level on the way up, which needs each level's folder open again.
std::string WalkChain(FolderWalker& walker, const std::string& root, const std::string& name,
                      int depth) {
  const int descriptors_before = OpenDescriptorCount();
  if (!walker.EnterRoot(SameText(root)) || !walker.ListFolder(false)) return "root not listed";
  const std::vector<FolderEntry>& top = walker.Entries();
  const Names top_names = EntryNames(walker);
  for (int level = 0; level < depth; ++level) {
    if (EntryNames(walker) != Names{name, "f", "z"}) return "level " + std::to_string(level);
    if (!walker.EnterSubfolder(0)) return "cannot enter level " + std::to_string(level + 1);
    if (!walker.ListFolder(level % 2 == 0)) return "cannot list " + std::to_string(level + 1);
  }
  if (EntryNames(walker) != Names{"f", "z"}) return "bottom listing is wrong";
  const int held = OpenDescriptorCount() - descriptors_before;
  if (held > static_cast<int>(MaxOpenFolders())) {
    return "holds " + std::to_string(held) + " descriptors at the bottom";
  }
  for (int level = depth; level >= 0; --level) {
    const long z = FindEntry(walker, "z");
    if (z < 0 || !walker.EnterSubfolder(static_cast<size_t>(z))) {
      return "cannot enter z at level " + std::to_string(level);
    }
    if (!walker.ListFolder(true) || !walker.Entries().empty()) {
      return "cannot list z at level " + std::to_string(level);
    }
    walker.LeaveFolder();
    if (level > 0) walker.LeaveFolder();
  }
  if (&top != &walker.Entries() || EntryNames(walker) != top_names) return "root entries lost";
  return "";
}

TEST(PosixDeepWalk, WalksPathsFarBeyondPathMaxWithSixteenDescriptors) {
  TempFolder folder;
  const std::string name(200, 'd');
  ASSERT_TRUE(MakeChain(folder.path(), name, 300));  // about 60,000 bytes of path at the bottom
  const std::string root = folder.path();
  EXPECT_EQ("", RunInChild([&]() -> std::string {
              if (!LimitDescriptors(16)) return "cannot lower RLIMIT_NOFILE";
              std::unique_ptr<Platform> platform = NewClassicSystemPlatform();
              std::unique_ptr<FolderWalker> walker = platform->NewFolderWalker();
              return WalkChain(*walker, root, name, 300);
            }));
}

// The descriptor limit that leaves exactly `free` descriptor numbers unused.
rlim_t LimitLeavingFree(int free) {
  rlim_t limit = 0;
  for (int unused = 0; unused < free; ++limit) {
    if (fcntl(static_cast<int>(limit), F_GETFD) == -1) ++unused;
  }
  return limit;
}

// Walks a chain of `depth` levels whose "next" links each lead to the following one: down the
// links, then back up, entering "z" at every level.
std::string WalkLinkChain(const std::string& root, int depth) {
  std::unique_ptr<Platform> platform = NewClassicSystemPlatform();
  std::unique_ptr<FolderWalker> walker = platform->NewFolderWalker();
  // "next" sorts before "z" and after "f": the chain's names are f, next, z.
  if (!walker->EnterRoot(SameText(root)) || !walker->ListFolder(false)) return "root not listed";
  for (int level = 0; level < depth; ++level) {
    if (EntryNames(*walker) != Names{"f", "next", "z"}) return "level " + std::to_string(level);
    if (!walker->EnterSubfolder(1) || !walker->ListFolder(false)) {
      return "cannot go below level " + std::to_string(level);
    }
  }
  for (int level = depth; level >= 0; --level) {
    const long z = FindEntry(*walker, "z");
    if (z < 0 || !walker->EnterSubfolder(static_cast<size_t>(z))) {
      return "cannot enter z at level " + std::to_string(level);
    }
    walker->LeaveFolder();
    if (level > 0) walker->LeaveFolder();
  }
  return "";
}

// Every level is reached through a link, so a folder's ".." is never the folder above it in the
// walk, and each closed level must be opened again by names from an open ancestor, or from the
// root opened again by its path when only two descriptors are free.
TEST(PosixDeepWalk, WalksAChainOfLinksWithSixteenOrTwoFreeDescriptors) {
  TempFolder folder;
  constexpr int kDepth = 120;
  for (int i = 0; i <= kDepth; ++i) {
    const std::string level = LevelName(i);
    ASSERT_TRUE(folder.MakeFolder(level));
    ASSERT_TRUE(folder.MakeFolder(level + "/z"));
    ASSERT_TRUE(folder.MakeFile(level + "/f"));
    if (i < kDepth) {
      ASSERT_TRUE(folder.MakeLink("../" + LevelName(i + 1), level + "/next"));
    }
  }
  const std::string root = folder.Path("d0");
  for (const bool two_free : {false, true}) {
    SCOPED_TRACE(two_free ? "two free descriptors" : "16 descriptors");
    EXPECT_EQ("", RunInChild([&]() -> std::string {
                if (!LimitDescriptors(two_free ? LimitLeavingFree(2) : 16)) {
                  return "cannot lower RLIMIT_NOFILE";
                }
                return WalkLinkChain(root, kDepth);
              }));
  }
}

TEST(PosixDeepWalk, ALinkLoopEndsTheWalk) {
  TempFolder folder;
  ASSERT_TRUE(folder.MakeFolder("a"));
  ASSERT_TRUE(folder.MakeFolder("a/b"));
  ASSERT_TRUE(folder.MakeLink("../../a", "a/b/back"));
  std::unique_ptr<Platform> platform = NewClassicSystemPlatform();
  std::unique_ptr<FolderWalker> walker = platform->NewFolderWalker();
  ASSERT_TRUE(walker->EnterRoot(SameText(folder.path())));
  ASSERT_TRUE(walker->ListFolder(false));
  ASSERT_TRUE(walker->EnterSubfolder(0));  // a
  ASSERT_TRUE(walker->ListFolder(false));
  ASSERT_TRUE(walker->EnterSubfolder(0));  // b
  ASSERT_TRUE(walker->ListFolder(false));
  ASSERT_EQ(Names{"back"}, EntryNames(*walker));
  EXPECT_TRUE(walker->Entries()[0].IsFolder);
  EXPECT_FALSE(walker->EnterSubfolder(0));
}

// A listing with sizes and times knows each folder by what it read. When another folder took
// the place of one after the listing, the walk is in the new one; with two descriptors allowed,
// getting back into it after a deeper level (through "..", or by its name from the root) finds
// it as the folder the walk is in, not as the one the listing saw.
TEST(PosixDeepWalk, AFolderReplacedAfterItsListingIsFoundAgainWithTwoDescriptors) {
  TempFolder folder;
  ASSERT_TRUE(folder.ok());
  for (const char* made : {"renamed", "elsewhere", "elsewhere/a", "elsewhere/a/b", "elsewhere/z"}) {
    ASSERT_TRUE(folder.MakeFolder(made)) << made;
  }
  TextConverter converter;
  PosixFolderWalker walker(converter, 0, 2, 1);
  ASSERT_TRUE(walker.EnterRoot(SameText(folder.path())));
  ASSERT_TRUE(walker.ListFolder(true));
  ASSERT_EQ(0, rmdir(folder.Path("renamed").c_str()));
  ASSERT_EQ(0, rename(folder.Path("elsewhere").c_str(), folder.Path("renamed").c_str()));
  const long renamed = FindEntry(walker, "renamed");
  ASSERT_GE(renamed, 0);
  ASSERT_TRUE(walker.EnterSubfolder(static_cast<size_t>(renamed)));
  ASSERT_TRUE(walker.ListFolder(true));
  ASSERT_EQ((Names{"a", "z"}), EntryNames(walker));
  ASSERT_TRUE(walker.EnterSubfolder(0));
  ASSERT_TRUE(walker.ListFolder(true));
  ASSERT_TRUE(walker.EnterSubfolder(0));  // "b": "renamed" and then "a" give up their descriptors
  ASSERT_TRUE(walker.ListFolder(true));
  EXPECT_LE(walker.OpenDescriptors(), 2u);
  walker.LeaveFolder();
  walker.LeaveFolder();
  ASSERT_EQ((Names{"a", "z"}), EntryNames(walker));
  EXPECT_TRUE(walker.EnterSubfolder(1)) << "\"renamed\" could not be opened again";
  EXPECT_TRUE(walker.ListFolder(true));
}

// Every folder's entries with their sizes, depth first, entering every subfolder.
std::string WalkEverything(
    FolderWalker& walker, const std::string& root, const std::function<void()>& pace = [] {}) {
  std::string seen;
  std::vector<size_t> next{0};
  if (!walker.EnterRoot(SameText(root)) || !walker.ListFolder(true)) return "root not listed";
  while (!next.empty()) {
    const std::vector<FolderEntry>& entries = walker.Entries();
    if (next.back() == entries.size()) {
      walker.LeaveFolder();
      next.pop_back();
      continue;
    }
    const FolderEntry& entry = entries[next.back()++];
    seen += std::to_string(next.size()) + " " + std::string(entry.Name) + " " +
            std::to_string(entry.Size) + "\n";
    if (!entry.IsFolder) continue;
    pace();
    if (!walker.EnterSubfolder(next.back() - 1)) continue;
    if (!walker.ListFolder(true)) seen += "unlisted\n";
    next.push_back(0);
  }
  return seen;
}

// Eight threads, the walk's own and seven, each pausing at random before a folder it reads (the
// walk before it enters one, lest it outrun workers that a busy machine wakes late): the walk
// takes listings ready, half read or not yet started, and sees what one thread sees, 10,000
// levels down (each level's chain folder last, so the workers' descriptors are given
// back as they go down).
TEST(PosixDeepWalk, EightDelayedThreadsWalkTenThousandLevelsAsOneDoes) {
  TempFolder folder;
  ASSERT_TRUE(MakeChain(folder.path(), "zz", 10000));
  TextConverter converter;
  PosixFolderWalker alone(converter, 0, MaxOpenFolders(), MaxOpenAhead());
  const std::string expected = WalkEverything(alone, folder.path());
  ASSERT_EQ(30002, std::count(expected.begin(), expected.end(), '\n'));
  std::atomic<int> pauses{0};
  const auto pause = [] {
    thread_local std::minstd_rand random(std::hash<std::thread::id>()(std::this_thread::get_id()));
    if (random() % 4 == 0) std::this_thread::sleep_for(std::chrono::microseconds(random() % 50));
  };
  PosixFolderWalker delayed(converter, 0, MaxOpenFolders(), MaxOpenAhead(), [&pauses, &pause] {
    ++pauses;
    pause();
  });
  WalkRules rules;
  rules.Threads = 8;
  delayed.SetWalkRules(rules);
  EXPECT_EQ(expected, WalkEverything(delayed, folder.path(), pause));
  EXPECT_GT(pauses.load(), 2000) << "the workers read too few folders to test the hand-over";
  uint64_t folders = 0;
  uint64_t files = 0;
  ASSERT_TRUE(delayed.CountListed(folders, files));
  EXPECT_EQ(20002u, folders);  // each level and its "z", and the root
  EXPECT_EQ(10001u, files);
}

// With one worker, held before the first folder it reads until twenty more are read, the walk
// (which waits for the worker to start before it enters a folder) reads the folders after the one
// it waits for itself, and still sees what one thread sees.
TEST(PosixDeepWalk, TheWalkReadsTheNextFoldersWhileItsWorkerReadsTheOneItWants) {
  TempFolder folder;
  for (int i = 0; i < 40; ++i) ASSERT_TRUE(folder.MakeFolder(LevelName(i)));
  TextConverter converter;
  PosixFolderWalker alone(converter, 0, MaxOpenFolders(), MaxOpenAhead());
  const std::string expected = WalkEverything(alone, folder.path());
  std::atomic<bool> is_held{false};
  std::atomic<bool> was_helped{false};
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  PosixFolderWalker* walk = nullptr;
  PosixFolderWalker helped(converter, 0, MaxOpenFolders(), MaxOpenAhead(), [&] {
    if (is_held.exchange(true)) return;
    uint64_t folders = 0;
    uint64_t files = 0;
    while (folders < 21 && std::chrono::steady_clock::now() < until) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
      walk->CountListed(folders, files);
    }
    was_helped = folders >= 21;
  });
  walk = &helped;
  WalkRules rules;
  rules.Threads = 2;
  helped.SetWalkRules(rules);
  EXPECT_EQ(expected, WalkEverything(helped, folder.path(), [&] {
              while (!is_held && std::chrono::steady_clock::now() < until)
                std::this_thread::yield();
            }));
  EXPECT_TRUE(was_helped.load()) << "the walk waited on its worker";
}

// The workers read ahead of a walk that stands still only as far as the window: at most
// ReadAhead::kMostAhead listings held (and one being read by each worker), and where the chart is
// written as the walk goes, at most 1 MiB of them (folders of 64 files list in some 10 KiB each).
TEST(PosixDeepWalk, WorkersReadAheadOfAStandingWalkOnlyAsFarAsTheWindow) {
  struct Case {
    int folders;
    int files_each;
    bool is_streamed;
    uint64_t least_listed;
    uint64_t most_listed;
  };
  constexpr int kWindow = ReadAhead::kMostAhead;
  for (const Case& c :
       {Case{kWindow + 100, 0, false, kWindow - 24, kWindow + 3}, Case{200, 64, true, 20, 150}}) {
    TempFolder folder;
    for (int i = 0; i < c.folders; ++i) {
      const std::string level = folder.path() + "/" + LevelName(i);
      ASSERT_EQ(0, mkdir(level.c_str(), 0755));
      for (int f = 0; f < c.files_each; ++f) {
        ASSERT_TRUE(folder.MakeFile(LevelName(i) + "/" + LevelName(f)));
      }
    }
    TextConverter converter;
    PosixFolderWalker walker(converter, 0, MaxOpenFolders(), MaxOpenAhead());
    WalkRules rules;
    rules.Threads = 4;
    rules.ChartIsStreamed = c.is_streamed;
    walker.SetWalkRules(rules);
    ASSERT_TRUE(walker.EnterRoot(SameText(folder.path())));
    ASSERT_TRUE(walker.ListFolder(false));
    uint64_t folders = 0;
    uint64_t files = 0;
    uint64_t before = 0;
    for (int round = 0; round < 100 && (round < 3 || folders != before); ++round) {
      before = folders;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      ASSERT_TRUE(walker.CountListed(folders, files));
    }
    EXPECT_GE(folders, 1u + c.least_listed) << c.folders << " folders: the workers stopped early";
    EXPECT_LE(folders, 1u + c.most_listed) << c.folders << " folders";
  }
}

// How many workers read at once: from the cores' count up to all of them within a few steps while
// the disk is read as a cold walk reads it (a block or more for each folder listed), and back
// while it is not, or only a warm walk's few stray blocks are.
TEST(ReadAheadSteering, AllWorkersReadWhileTheDiskIsReadAndAsManyAsCoresWhileNot) {
  struct Step {
    uint64_t blocks;
    uint64_t folders;
    size_t limit;
  };
  const std::vector<Step> steps = {
      {0, 2300, 2},   {8384, 660, 4},  {3720, 660, 8},  {8, 0, 15}, {2300, 2300, 15},
      {192, 2300, 7}, {8384, 660, 14}, {2299, 2300, 7}, {0, 0, 3},  {0, 2300, 2}};
  size_t limit = 2;
  for (size_t i = 0; i < steps.size(); ++i) {
    limit = SteeredLimit(limit, 2, 15, ReadsFromDisk(steps[i].blocks, steps[i].folders));
    EXPECT_EQ(steps[i].limit, limit) << "step " << i;
  }
}

}  // namespace
