// The POSIX folder walker on real temporary folders: names, order, links, sizes and times.
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "classic_platform.h"
#include "platform/platform.h"
#include "posix_test_folder.h"

namespace {

using Names = std::vector<std::string>;

class PosixWalkerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(folder_.ok());
    platform_ = NewClassicSystemPlatform();
    ASSERT_NE(nullptr, platform_);
    walker_ = platform_->NewFolderWalker();
  }

  // Enters the temporary folder and lists it.
  void ListRoot(bool with_info = false) {
    ASSERT_TRUE(walker_->EnterRoot(SameText(folder_.path())));
    ASSERT_TRUE(walker_->ListFolder(with_info));
  }

  const FolderEntry& Entry(std::string_view name) {
    const long index = FindEntry(*walker_, name);
    EXPECT_GE(index, 0) << "no entry " << name;
    static const FolderEntry kMissing;
    return index < 0 ? kMissing : walker_->Entries()[index];
  }

  bool Enter(std::string_view name) {
    const long index = FindEntry(*walker_, name);
    return index >= 0 && walker_->EnterSubfolder(static_cast<size_t>(index));
  }

  TempFolder folder_;
  std::unique_ptr<Platform> platform_;
  std::unique_ptr<FolderWalker> walker_;
};

TEST_F(PosixWalkerTest, ShowsNamesAsCodePage932Bytes) {
  ASSERT_TRUE(folder_.MakeFile("日本語.txt"));
  ASSERT_TRUE(folder_.MakeFile("\x83\x5C.txt"));  // raw CP932 "ソ": not UTF-8
  ASSERT_TRUE(folder_.MakeFile("a\nb"));
  ASSERT_TRUE(folder_.MakeFile("\x1B[2J"));
  ListRoot();
  EXPECT_EQ((Names{"?[2J", "a?b", "\x83\x5C.txt", "\x93\xFA\x96\x7B\x8C\xEA.txt"}),
            EntryNames(*walker_));
}

TEST_F(PosixWalkerTest, EntersAFolderWhoseNameShowsQuestionMarks) {
  ASSERT_TRUE(folder_.MakeFolder("x😀"));
  ASSERT_TRUE(folder_.MakeFile("x😀/inside.txt"));
  ListRoot();
  ASSERT_EQ(Names{"x?"}, EntryNames(*walker_));
  EXPECT_TRUE(walker_->Entries()[0].IsFolder);
  ASSERT_TRUE(walker_->EnterSubfolder(0));
  ASSERT_TRUE(walker_->ListFolder(false));
  EXPECT_EQ(Names{"inside.txt"}, EntryNames(*walker_));
}

TEST_F(PosixWalkerTest, EnumeratesInTheFixedNameOrder) {
  for (const char* name : {"b", "A", "a", "_x"}) ASSERT_TRUE(folder_.MakeFile(name));
  ASSERT_TRUE(folder_.MakeFolder("B1"));
  ASSERT_TRUE(folder_.MakeFolder(".git"));
  ASSERT_TRUE(folder_.MakeFile(".gitignore"));
  ListRoot();
  // Dot-entries are the scan's to skip; only "." and ".." never appear.
  EXPECT_EQ((Names{".git", ".gitignore", "A", "a", "b", "B1", "_x"}), EntryNames(*walker_));
}

TEST_F(PosixWalkerTest, ListsAnEmptyFolderAsEmpty) {
  ListRoot();
  EXPECT_TRUE(walker_->Entries().empty());
}

TEST_F(PosixWalkerTest, ListingTwiceGivesTheSameEntries) {
  for (const char* name : {"one", "two", "three"}) ASSERT_TRUE(folder_.MakeFile(name));
  ListRoot();
  ASSERT_TRUE(walker_->ListFolder(true));
  EXPECT_EQ((Names{"one", "three", "two"}), EntryNames(*walker_));
}

TEST_F(PosixWalkerTest, TellsFoldersThroughLinks) {
  ASSERT_TRUE(folder_.MakeFolder("real"));
  ASSERT_TRUE(folder_.MakeFile("real/in.txt"));
  ASSERT_TRUE(folder_.MakeFile("file.txt"));
  ASSERT_TRUE(folder_.MakeLink("real", "to-folder"));
  ASSERT_TRUE(folder_.MakeLink("file.txt", "to-file"));
  ASSERT_TRUE(folder_.MakeLink("missing", "dangling"));
  ASSERT_TRUE(folder_.MakeLink("self-loop", "self-loop"));
  for (bool with_info : {false, true}) {
    ListRoot(with_info);
    EXPECT_TRUE(Entry("real").IsFolder);
    EXPECT_TRUE(Entry("to-folder").IsFolder);
    EXPECT_FALSE(Entry("file.txt").IsFolder);
    EXPECT_FALSE(Entry("to-file").IsFolder);
    EXPECT_FALSE(Entry("dangling").IsFolder);
    EXPECT_FALSE(Entry("self-loop").IsFolder);
  }
  ASSERT_TRUE(Enter("to-folder"));
  ASSERT_TRUE(walker_->ListFolder(false));
  EXPECT_EQ(Names{"in.txt"}, EntryNames(*walker_));
}

TEST_F(PosixWalkerTest, RefusesALinkBackToAnEnteredFolder) {
  ASSERT_TRUE(folder_.MakeFolder("sub"));
  ASSERT_TRUE(folder_.MakeFolder("other"));
  ASSERT_TRUE(folder_.MakeLink("..", "sub/up"));
  ASSERT_TRUE(folder_.MakeLink(".", "sub/self"));
  ASSERT_TRUE(folder_.MakeLink(folder_.path(), "sub/root"));
  ASSERT_TRUE(folder_.MakeLink("../other", "sub/side"));
  ListRoot();
  ASSERT_TRUE(Enter("sub"));
  ASSERT_TRUE(walker_->ListFolder(false));
  EXPECT_TRUE(Entry("up").IsFolder);  // shown as a folder, but not entered
  EXPECT_FALSE(Enter("up"));
  EXPECT_FALSE(Enter("self"));
  EXPECT_FALSE(Enter("root"));
  EXPECT_EQ((Names{"root", "self", "side", "up"}), EntryNames(*walker_));
  ASSERT_TRUE(Enter("side"));  // not an ancestor
  walker_->LeaveFolder();
  walker_->LeaveFolder();
  EXPECT_TRUE(Enter("sub"));  // once left, the same folder may be entered again
}

// A listing with sizes and times knows each folder by what it read; a folder that a link to an
// entered folder replaced after the listing is not entered through that link, and a folder
// replaced by another folder is entered as the new one.
TEST_F(PosixWalkerTest, FolderReplacedAfterAListingWithInfo) {
  ASSERT_TRUE(folder_.MakeFolder("swapped"));
  ASSERT_TRUE(folder_.MakeFolder("renamed"));
  ASSERT_TRUE(folder_.MakeFolder("elsewhere"));
  ASSERT_TRUE(folder_.MakeFile("elsewhere/inside.txt"));
  ListRoot(true);
  ASSERT_EQ(0, rmdir(folder_.Path("swapped").c_str()));
  ASSERT_TRUE(folder_.MakeLink(".", "swapped"));
  ASSERT_EQ(0, rmdir(folder_.Path("renamed").c_str()));
  ASSERT_EQ(0, rename(folder_.Path("elsewhere").c_str(), folder_.Path("renamed").c_str()));
  EXPECT_FALSE(Enter("swapped"));
  ASSERT_TRUE(Enter("renamed"));
  ASSERT_TRUE(walker_->ListFolder(true));
  EXPECT_EQ((Names{"inside.txt"}), EntryNames(*walker_));
  walker_->LeaveFolder();
  EXPECT_TRUE(Enter("renamed"));  // left again: it may be entered again
}

TEST_F(PosixWalkerTest, RefusesEntriesThatAreNotFolders) {
  ASSERT_TRUE(folder_.MakeFile("file.txt"));
  ASSERT_EQ(0, mkfifo(folder_.Path("pipe").c_str(), 0644));
  ListRoot(true);
  EXPECT_FALSE(Enter("file.txt"));
  EXPECT_FALSE(Enter("pipe"));
  EXPECT_FALSE(Entry("pipe").IsFolder);
  EXPECT_TRUE(Entry("pipe").HasInfo);
  EXPECT_FALSE(walker_->EnterSubfolder(99));
  EXPECT_EQ((Names{"file.txt", "pipe"}), EntryNames(*walker_));
}

TEST_F(PosixWalkerTest, RefusesARootThatIsNoFolder) {
  ASSERT_TRUE(folder_.MakeFile("file.txt"));
  EXPECT_FALSE(walker_->EnterRoot(SameText(folder_.Path("file.txt"))));
  EXPECT_FALSE(walker_->EnterRoot(SameText(folder_.Path("missing"))));
  EXPECT_FALSE(walker_->EnterRoot(SameText("")));
  EXPECT_FALSE(walker_->ListFolder(false));
  EXPECT_TRUE(walker_->Entries().empty());
  walker_->LeaveFolder();  // nothing entered: no effect
}

TEST_F(PosixWalkerTest, KeepsEachLevelsEntriesWhileDeeperLevelsComeAndGo) {
  ASSERT_TRUE(folder_.MakeFolder("日本"));
  ASSERT_TRUE(folder_.MakeFolder("日本/a"));
  ASSERT_TRUE(folder_.MakeFolder("日本/b"));
  ASSERT_TRUE(folder_.MakeFile("日本/a/ファイル"));
  ASSERT_TRUE(folder_.MakeFile("plain"));
  ListRoot();
  const std::vector<FolderEntry>& top = walker_->Entries();
  const Names top_names = EntryNames(*walker_);
  ASSERT_TRUE(Enter("\x93\xFA\x96\x7B"));
  ASSERT_TRUE(walker_->ListFolder(true));
  const Names middle_names = EntryNames(*walker_);
  for (const char* name : {"a", "b", "a"}) {
    ASSERT_TRUE(Enter(name));
    ASSERT_TRUE(walker_->ListFolder(true));
    walker_->LeaveFolder();
    EXPECT_EQ(middle_names, EntryNames(*walker_));
  }
  walker_->LeaveFolder();
  EXPECT_EQ(&top, &walker_->Entries());
  EXPECT_EQ(top_names, EntryNames(*walker_));
}

TEST_F(PosixWalkerTest, ReadsSizesAndTimesOnlyWhenAsked) {
  ASSERT_TRUE(folder_.MakeFile("five", "12345"));
  ASSERT_TRUE(folder_.MakeFolder("folder"));
  ListRoot(false);
  for (const FolderEntry& entry : walker_->Entries()) {
    EXPECT_FALSE(entry.HasInfo);
    EXPECT_EQ(0u, entry.Size);
    EXPECT_EQ(0u, FileTimeValue(entry.WriteTime));
  }
  ASSERT_TRUE(walker_->ListFolder(true));
  EXPECT_TRUE(Entry("five").HasInfo);
  EXPECT_EQ(5u, Entry("five").Size);
  EXPECT_TRUE(Entry("folder").HasInfo);
}

TEST_F(PosixWalkerTest, KeepsTheWholeSize) {
  const int fd = open(folder_.Path("big").c_str(), O_WRONLY | O_CREAT, 0644);
  ASSERT_GE(fd, 0);
  const bool sized = ftruncate(fd, (off_t{1} << 32) + 10) == 0;  // sparse: no disk used
  close(fd);
  if (!sized) GTEST_SKIP() << "this file system cannot hold a 4 GiB sparse file";
  ListRoot(true);
  EXPECT_EQ((uint64_t{1} << 32) + 10, Entry("big").Size);
}

// Sets a time stamp on an entry (the link itself, not its target).
bool SetTime(const std::string& path, time_t seconds, long nanoseconds) {
  const struct timespec times[2] = {{seconds, nanoseconds}, {seconds, nanoseconds}};
  return utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW) == 0;
}

TEST_F(PosixWalkerTest, GivesTimesAsLocalFileTimesAtTheRunsOffset) {
  ASSERT_TRUE(folder_.MakeFile("dated", "x"));
  ASSERT_TRUE(folder_.MakeLink("nowhere-at-all", "broken"));
  ASSERT_TRUE(SetTime(folder_.Path("dated"), 1614834367, 123456789));  // 2021-03-04 05:06:07Z
  ASSERT_TRUE(SetTime(folder_.Path("broken"), 946684800, 0));          // 2000-01-01 00:00:00Z
  const char* old_zone = std::getenv("TZ");
  const std::string saved = old_zone ? old_zone : "";
  setenv("TZ", "JST-9", 1);
  tzset();
  platform_ = NewClassicSystemPlatform();  // takes the offset in force now
  old_zone ? setenv("TZ", saved.c_str(), 1) : unsetenv("TZ");
  tzset();
  walker_ = platform_->NewFolderWalker();
  ListRoot(true);
  constexpr uint64_t kTicks = 10000000;
  constexpr uint64_t k1601To1970 = 11644473600;
  EXPECT_EQ((1614834367 + k1601To1970 + 9 * 3600) * kTicks + 1234567,
            FileTimeValue(Entry("dated").WriteTime));
  // A broken link reports the link itself: its own time and the length of its target.
  EXPECT_TRUE(Entry("broken").HasInfo);
  EXPECT_EQ(14u, Entry("broken").Size);
  EXPECT_EQ((946684800 + k1601To1970 + 9 * 3600) * kTicks,
            FileTimeValue(Entry("broken").WriteTime));
}

// A link to a file is the link itself, as a Windows listing reports it: its own size and time.
TEST_F(PosixWalkerTest, LinkToAFileReportsItsOwnSizeAndTime) {
  ASSERT_TRUE(folder_.MakeFile("target", "1234567") && folder_.MakeLink("target", "link"));
  ASSERT_TRUE(SetTime(folder_.Path("target"), 946684800, 0));
  ListRoot(true);
  EXPECT_EQ(6u, Entry("link").Size);  // the length of "target"
  EXPECT_NE(FileTimeValue(Entry("target").WriteTime), FileTimeValue(Entry("link").WriteTime));
}

// A folder that cannot be read is refused, and its siblings are still walked. Root reads every
// folder, so as root the case runs in a child that becomes nobody (65534).
TEST_F(PosixWalkerTest, CannotEnterAFolderWithoutPermission) {
  ASSERT_TRUE(folder_.MakeFolder("locked"));
  ASSERT_TRUE(folder_.MakeFile("locked/secret"));
  ASSERT_TRUE(folder_.MakeFolder("open"));
  ASSERT_TRUE(folder_.MakeFile("open/visible"));
  ASSERT_EQ(0, chmod(folder_.Path("locked").c_str(), 0));
  const std::string root = folder_.path();
  const std::string message = RunInChild([&root]() -> std::string {
    if (geteuid() == 0 &&
        (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0)) {
      return "SKIP: cannot give up root here";
    }
    std::unique_ptr<Platform> platform = NewClassicSystemPlatform();
    std::unique_ptr<FolderWalker> walker = platform->NewFolderWalker();
    if (!walker->EnterRoot(SameText(root)))
      return "SKIP: the temporary folder is out of reach for nobody";
    if (walker->EnterRoot(SameText(root + "/locked")))
      return "the locked folder was entered as the root";
    if (!walker->EnterRoot(SameText(root)) || !walker->ListFolder(true)) return "root not listed";
    if (EntryNames(*walker) != Names{"locked", "open"}) return "root listing is wrong";
    if (!walker->Entries()[0].IsFolder || !walker->Entries()[0].HasInfo) {
      return "the locked folder is not shown as a folder with its information";
    }
    if (walker->EnterSubfolder(0)) return "the locked folder was entered";
    if (!walker->EnterSubfolder(1) || !walker->ListFolder(false)) return "sibling not listed";
    if (EntryNames(*walker) != Names{"visible"}) return "sibling listing is wrong";
    return "";
  });
  if (message.rfind("SKIP:", 0) == 0) GTEST_SKIP() << message;
  EXPECT_EQ("", message);
}

}  // namespace

namespace {

// A chart of folders only needs no file entries: those the folder reports as files are left
// out, while a link, which could lead to a folder, stays for the walker to look at.
TEST_F(PosixWalkerTest, WithoutFilesKeepsFoldersAndLinks) {
  ASSERT_TRUE(folder_.MakeFile("b.txt"));
  ASSERT_TRUE(folder_.MakeFolder("c"));
  ASSERT_TRUE(folder_.MakeFile("d"));
  ASSERT_TRUE(folder_.MakeLink("c", "e"));
  WalkRules rules;
  rules.FilesWanted = false;
  walker_->SetWalkRules(rules);
  ListRoot();
  EXPECT_EQ((Names{"c", "e"}), EntryNames(*walker_));
  EXPECT_TRUE(Entry("e").IsFolder);
  walker_->SetWalkRules(WalkRules{});
  ASSERT_TRUE(walker_->ListFolder(false));
  EXPECT_EQ((Names{"b.txt", "c", "d", "e"}), EntryNames(*walker_));
}

}  // namespace
