// The folder scan on the fake platform: order, numbering, skipped entries, keys, info, failures.
#include "tree/folder_scan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "common/app_options.h"
#include "common/tree_item.h"
#include "fake_platform.h"
#include "small_stack.h"
#include "tree/entry_info.h"

namespace {

class FolderScanTest : public ::testing::Test {
 protected:
  // Scans with the settings the parser would derive from options_.
  void Scan(std::string_view path = "C:\\Work", std::vector<UnreadFolder>* unread = nullptr) {
    DeriveSettings(options_);
    ScanFolder(*fake_.NewFolderWalker(), fake_, options_, store_, SameText(path), root_, nullptr,
               unread);
  }

  // The entry at `path` below the root, names separated by "/"; null when there is none.
  TreeItem* At(std::string_view path) {
    TreeItem* item = &root_;
    while (item && !path.empty()) {
      size_t end = path.find('/');
      std::string_view name = path.substr(0, end);
      path = end == std::string_view::npos ? std::string_view() : path.substr(end + 1);
      TreeItem* child = item->Children.First;
      while (child && child->Name() != name) child = child->NextSibling;
      item = child;
    }
    return item;
  }

  std::vector<std::string> ChildNames(const TreeItem& folder) {
    std::vector<std::string> names;
    for (TreeItem* c = folder.Children.First; c; c = c->NextSibling) names.emplace_back(c->Name());
    return names;
  }

  AppOptions options_;
  FakePlatform fake_;
  TreeStore store_;
  TreeItem root_ = store_.MakeRoot();
};

using Names = std::vector<std::string>;

TEST_F(FolderScanTest, SubfoldersComeFirstThenFilesEachInListingOrder) {
  for (int32_t sort_key : {NoSort, SortByName, SortBySize}) {
    SCOPED_TRACE(sort_key);
    ReleaseTree(root_, store_);
    root_ = store_.MakeRoot();  // numbered on from the last round's entries
    options_.SortKey = sort_key;
    fake_ = FakePlatform();
    fake_.AddFile("C:/Work/y");
    fake_.AddFolder("C:/Work/B");
    fake_.AddFile("C:/Work/x");
    fake_.AddFolder("C:/Work/A");
    options_.ShowFiles = true;
    Scan();
    EXPECT_TRUE(root_.IsFolder);
    ASSERT_EQ((Names{"B", "A", "y", "x"}), ChildNames(root_));
    const bool folder[] = {true, true, false, false};
    int index = 0;
    for (TreeItem* c = root_.Children.First; c; c = c->NextSibling, ++index) {
      EXPECT_EQ(root_.SequenceNo + 1 + index, c->SequenceNo) << c->Name();
      EXPECT_EQ(1, c->Level) << c->Name();
      EXPECT_EQ(folder[index], c->IsFolder) << c->Name();
      EXPECT_EQ(nullptr, c->Children.First) << c->Name();
    }
  }
}

TEST_F(FolderScanTest, SubtreeIsNumberedBeforeTheNextSiblingAndFilesAfterAll) {
  options_.ShowFiles = true;
  fake_.AddFile("C:/Work/f");
  fake_.AddFile("C:/Work/A/a1/deep.txt");
  fake_.AddFile("C:/Work/A/a.txt");
  fake_.AddFolder("C:/Work/B/b1");
  fake_.AddFile("C:/Work/B/b.txt");
  Scan();
  const struct {
    const char* path;
    int32_t sequence_no;
    int32_t level;
  } rows[] = {
      {"A", 101, 1}, {"A/a1", 102, 2}, {"A/a1/deep.txt", 103, 3}, {"A/a.txt", 104, 2},
      {"B", 105, 1}, {"B/b1", 106, 2}, {"B/b.txt", 107, 2},       {"f", 108, 1},
  };
  for (const auto& row : rows) {
    TreeItem* item = At(row.path);
    ASSERT_NE(nullptr, item) << row.path;
    EXPECT_EQ(row.sequence_no, item->SequenceNo) << row.path;
    EXPECT_EQ(row.level, item->Level) << row.path;
  }
  EXPECT_EQ(109, store_.NextSequenceNo());
}

TEST_F(FolderScanTest, DotFoldersAreLeftOutWithTheirContentsAndDotFilesKept) {
  options_.ShowFiles = true;
  options_.SortKey = SortByName;
  fake_.AddFile("C:/Work/.git/config");
  fake_.AddFile("C:/Work/.git/objects/x");
  fake_.AddFile("C:/Work/src/.cache/y");
  fake_.AddFile("C:/Work/src/.profile");
  fake_.AddFile("C:/Work/.gitignore");
  Scan();
  EXPECT_EQ((Names{"src", ".gitignore"}), ChildNames(root_));
  EXPECT_EQ((Names{".profile"}), ChildNames(*At("src")));
  EXPECT_EQ(2, fake_.listings);  // no dot-folder was even listed
  TreeItem* ignore = At(".gitignore");
  ASSERT_NE(nullptr, ignore);
  EXPECT_EQ(".gitignore", ignore->NameKey());
  EXPECT_EQ(".gitignore", ignore->ExtKey());
}

TEST_F(FolderScanTest, DotFoldersAreChartedAndCountedWhenAskedFor) {
  options_.ShowDotFolders = true;
  options_.ShowSum = true;
  fake_.AddFile("C:/Work/.git/objects/x", 7);
  fake_.AddFile("C:/Work/.gitignore");
  Scan();
  EXPECT_EQ((Names{".git", ".gitignore"}), ChildNames(root_));
  ASSERT_NE(nullptr, At(".git/objects/x"));
  EXPECT_EQ(7u, At(".git/objects/x")->Size);
}

// Every pattern applies, to files and folders alike, without regard to case; an excluded folder
// is not even listed, and an excluded entry takes no sequence number.
TEST_F(FolderScanTest, ExcludedEntriesAreLeftOutWithEverythingBelowThem) {
  options_.ShowFiles = true;
  options_.ExcludePatterns = {"*.O", "Build", "[!a-z]*"};
  fake_.AddFile("C:/Work/BUILD/out/x.txt");
  fake_.AddFile("C:/Work/src/main.o");
  fake_.AddFile("C:/Work/src/main.cc");
  fake_.AddFolder("C:/Work/src/builder");
  fake_.AddFolder("C:/Work/1st");
  fake_.AddFile("C:/Work/Main.O");
  Scan();
  EXPECT_EQ((Names{"src"}), ChildNames(root_));
  EXPECT_EQ((Names{"builder", "main.cc"}), ChildNames(*At("src")));
  EXPECT_EQ(3, fake_.listings);  // the root, src and builder
  EXPECT_EQ(104, store_.NextSequenceNo());
}

// Depth 1 shown and nothing counted: the root alone is listed, its folders made but not
// entered. Counting a folder's own files enters the folders at that depth; totals, everything.
TEST_F(FolderScanTest, TheWalkStopsAtTheDepthItNeeds) {
  const struct {
    const char* option;
    int32_t scan_depth;
    int listings;
    Names a_children;
  } rows[] = {
      {"nothing counted", 1, 1, {}},
      {"sums", 2, 3, {"a1", "f.txt"}},
      {"totals", kNoDepthLimit, 5, {"a1", "f.txt"}},
      {"nothing shown", 0, 0, {}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.option);
    ReleaseTree(root_, store_);
    fake_ = FakePlatform();
    options_ = AppOptions{};
    fake_.AddFile("C:/Work/a/a1/a2/deep.txt");
    fake_.AddFile("C:/Work/a/f.txt");
    fake_.AddFolder("C:/Work/b");
    options_.MaxDepth = row.scan_depth == 0 ? 0 : 1;
    options_.ShowSum = row.scan_depth == 2;
    options_.ShowTotal = row.scan_depth == kNoDepthLimit;
    DeriveSettings(options_);
    ASSERT_EQ(row.scan_depth, options_.ScanDepthLimit);
    Scan();
    EXPECT_EQ(row.listings, fake_.listings);
    EXPECT_TRUE(root_.IsFolder);
    if (row.scan_depth == 0) {
      EXPECT_EQ(nullptr, root_.Children.First);
      continue;
    }
    ASSERT_EQ((Names{"a", "b"}), ChildNames(root_));
    EXPECT_TRUE(At("a")->IsFolder);
    EXPECT_EQ(row.a_children, ChildNames(*At("a")));
  }
}

TEST_F(FolderScanTest, SortKeysAreTheLowerCaseNameAndLastExtension) {
  const struct {
    const char* name;
    const char* name_key;
    const char* ext_key;
  } rows[] = {
      {"ARCHIVE.TAR.GZ", "archive.tar.gz", ".gz"},
      {"README", "readme", ""},
      {"lower.txt", "lower.txt", ".txt"},
      {"trailing.", "trailing.", "."},
      {".Profile", ".profile", ".profile"},
      {"\x83\x5C", "\x83\x5C", ""},              // the trail byte 0x5C is no separator
      {"\x83\x5C.TXT", "\x83\x5C.txt", ".txt"},  // the extension after it is found
      {"\x83\x41.DOC", "\x83\x41.doc", ".doc"},  // the trail byte 0x41 is no letter
      {"\xB1.TXT", "\xB1.txt", ".txt"},          // one-byte katakana then an extension
  };
  options_.ShowFiles = true;
  options_.SortKey = SortByExt;
  // Added as raw nodes: the fake's path splitting would take the trail byte 0x5C for "\\".
  FakePlatform::Node& work = fake_.AddFolder("C:/Work");
  for (const auto& row : rows) {
    work.children.push_back(std::make_unique<FakePlatform::Node>());
    work.children.back()->name = row.name;
  }
  fake_.AddFolder("C:/Work/Docs.Old");
  Scan();
  for (const auto& row : rows) {
    TreeItem* item = At(row.name);
    ASSERT_NE(nullptr, item) << row.name;
    EXPECT_EQ(row.name, item->Name());
    EXPECT_EQ(row.name_key, item->NameKey()) << row.name;
    EXPECT_EQ(row.ext_key, item->ExtKey()) << row.name;
  }
  // Folders get their keys too.
  EXPECT_EQ("docs.old", At("Docs.Old")->NameKey());
  EXPECT_EQ(".old", At("Docs.Old")->ExtKey());
}

TEST_F(FolderScanTest, NoSortMakesNoKeys) {
  options_.ShowFiles = true;
  fake_.AddFile("C:/Work/ARCHIVE.TAR.GZ");
  fake_.AddFolder("C:/Work/Docs.Old");
  Scan();
  for (const char* name : {"ARCHIVE.TAR.GZ", "Docs.Old"}) {
    TreeItem* item = At(name);
    ASSERT_NE(nullptr, item) << name;
    EXPECT_EQ(name, item->Name());
    EXPECT_FALSE(item->HasSortKeys) << name;
    EXPECT_TRUE(item->NameKey().empty()) << name;
    EXPECT_TRUE(item->ExtKey().empty()) << name;
  }
}

TEST(FindExtensionStart, SecondBytesOfTwoByteCharactersAreNeverFullStops) {
  const struct {
    std::string_view name;
    size_t start;
  } rows[] = {
      {"a.b.c", 3},      {"abc", 3},           {"", 0},       {".x", 0},     {"x.", 1},
      {"\x83\x5C.a", 2}, {"\x80.a", 1},        {"\x81.a", 3}, {"\x9F.a", 3},  // 0x81 to 0x9F lead
      {"\xA0.a", 1},     {"\xDF.a", 1},                                       // one-byte katakana
      {"\xE0.a", 3},     {"\xFC.a", 3},        {"\xFD.a", 1},                 // 0xE0 to 0xFC lead
      {"a.\x81", 1},     {"\x81\x40\x81.", 4},  // a lead byte at the end
  };
  for (const auto& row : rows) {
    EXPECT_EQ(row.start, FindExtensionStart(row.name)) << testing::PrintToString(row.name);
  }
}

TEST_F(FolderScanTest, NothingIsReadWithoutNeedFileInfo) {
  options_.ShowFiles = true;
  fake_.AddFolder("C:/Work/A", MakeFileTime(0x0123456789ABCDEF), 4096);
  fake_.AddFile("C:/Work/A/a.txt", 1234, MakeFileTime(0x0FEDCBA987654321));
  fake_.AddFile("C:/Work/b.txt", 99, MakeFileTime(77));
  Scan();
  EXPECT_EQ(0, fake_.info_reads);
  for (const char* path : {"A", "A/a.txt", "b.txt"}) {
    TreeItem* item = At(path);
    ASSERT_NE(nullptr, item) << path;
    EXPECT_EQ(0u, item->Size) << path;
    EXPECT_EQ(0u, FileTimeValue(item->WriteTime)) << path;
  }
}

TEST_F(FolderScanTest, SizesAndTimesAreReadForFilesAndFoldersWhenNeeded) {
  options_.ShowSize = true;  // shown sizes make the scan read sizes and times
  fake_.AddFolder("C:/Work/A", MakeFileTime(0x0123456789ABCDEF), 4096);
  fake_.AddFile("C:/Work/A/a.txt", 1234, MakeFileTime(0x0FEDCBA987654321));
  fake_.AddFile("C:/Work/b.txt", 99, MakeFileTime(77));
  fake_.refuse_info.insert("C:\\Work\\A\\a.txt");
  Scan();
  const struct {
    const char* path;
    uint64_t size;
    uint64_t time;
  } rows[] = {
      {"A", 4096, 0x0123456789ABCDEF},
      {"A/a.txt", 0, 0},  // its information was refused: it keeps its zeroes
      {"b.txt", 99, 77},
  };
  for (const auto& row : rows) {
    TreeItem* item = At(row.path);
    ASSERT_NE(nullptr, item) << row.path;
    EXPECT_EQ(row.size, item->Size) << row.path;
    EXPECT_EQ(row.time, FileTimeValue(item->WriteTime)) << row.path;
  }
}

TEST_F(FolderScanTest, AFolderThatCannotBeListedOrEnteredStaysEmpty) {
  const struct {
    const char* name;
    std::set<std::string> FakePlatform::*refusals;
  } rows[] = {
      {"listing", &FakePlatform::refuse_listing},
      {"enter", &FakePlatform::refuse_enter},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    ReleaseTree(root_, store_);
    fake_ = FakePlatform();
    options_.ShowFiles = true;
    fake_.AddFile("C:/Work/A/x.txt");
    fake_.AddFolder("C:/Work/A/sub");
    fake_.AddFile("C:/Work/B/y.txt");
    fake_.AddFile("C:/Work/B/deep/z.txt");
    fake_.AddFile("C:/Work/r.txt");
    (fake_.*row.refusals).insert("C:\\Work\\A");
    (fake_.*row.refusals).insert("C:\\Work\\B\\deep");
    std::vector<UnreadFolder> unread;
    Scan("C:\\Work", &unread);
    EXPECT_EQ((Names{"A", "B", "r.txt"}), ChildNames(root_));
    EXPECT_TRUE(At("A")->IsFolder);
    EXPECT_EQ(nullptr, At("A")->Children.First);
    EXPECT_TRUE(At("B")->IsFolder);
    EXPECT_EQ((Names{"deep", "y.txt"}), ChildNames(*At("B")));
    EXPECT_EQ(nullptr, At("B/deep")->Children.First);
    // Each told with its whole path, the path of a folder left behind taken off again.
    ASSERT_EQ(2u, unread.size());
    EXPECT_EQ("C:\\Work\\A", unread[0].Path);
    EXPECT_EQ(At("A"), unread[0].Folder);
    EXPECT_EQ("C:\\Work\\B\\deep", unread[1].Path);
    EXPECT_EQ("Permission denied", unread[1].Reason);
  }
}

// A link with links not followed, and a folder on another device (mounted, or behind a link)
// with one file system, are shown as empty folders; everything else is entered.
TEST_F(FolderScanTest, TheWalkRulesKeepLinksAndOtherFileSystemsOut) {
  const struct {
    bool follow_links;
    bool one_file_system;
    Names entered;
  } rows[] = {
      {true, false, {"alias", "far", "mnt", "near", "real"}},
      {false, false, {"mnt", "real"}},
      {true, true, {"alias", "near", "real"}},
      {false, true, {"real"}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::Message() << row.follow_links << row.one_file_system);
    ReleaseTree(root_, store_);
    fake_ = FakePlatform();
    options_.ShowFiles = true;
    options_.FollowLinks = row.follow_links;
    options_.OneFileSystem = row.one_file_system;
    fake_.AddFile("C:/Work/real/in.txt");
    fake_.AddLink("C:/Work/alias", "C:/Work/real");
    fake_.AddFolder("C:/Work/mnt").device = 2;
    fake_.AddFile("C:/Work/mnt/m.txt");
    fake_.AddFolder("C:/Other").device = 3;
    fake_.AddFile("C:/Other/o.txt");
    fake_.AddLink("C:/Work/far", "C:/Other");
    fake_.AddFile("C:/Lib/l.txt");
    fake_.AddLink("C:/Work/near", "C:/Lib");
    Scan();
    ASSERT_EQ((Names{"real", "alias", "mnt", "far", "near"}), ChildNames(root_));
    Names entered;
    for (TreeItem* c = root_.Children.First; c; c = c->NextSibling) {
      EXPECT_TRUE(c->IsFolder) << c->Name();
      if (c->Children.First) entered.emplace_back(c->Name());
    }
    std::sort(entered.begin(), entered.end());
    EXPECT_EQ(row.entered, entered);
  }
}

// The loop rules: a link to a folder the walk is inside or to one that holds the charted folder
// is shown empty, and below a link a further link leads only to a folder no link led into yet.
TEST_F(FolderScanTest, LinksThatWouldRepeatTheChartAreShownEmpty) {
  options_.ShowFiles = true;
  fake_.AddFile("C:/Work/a/f.txt");
  fake_.AddLink("C:/Work/a/up", "C:/Work");
  fake_.AddLink("C:/Work/a/self", "C:/Work/a");
  fake_.AddLink("C:/Work/a/top", "C:");
  fake_.AddLink("C:/Work/a/side", "C:/Work/b");
  fake_.AddFile("C:/Work/b/g.txt");
  fake_.AddLink("C:/Work/lib", "C:/Lib");
  fake_.AddLink("C:/Work/lib2", "C:/Lib/x");
  fake_.AddFile("C:/Lib/x/l.txt");
  fake_.AddLink("C:/Lib/y", "C:/Lib/x");
  fake_.AddLink("C:/Lib/z", "C:/Other");
  fake_.AddFile("C:/Other/o.txt");
  Scan();
  const struct {
    const char* path;
    bool entered;
  } rows[] = {
      {"a", true},        // a plain folder
      {"a/up", false},    // the charted folder, which the walk is inside
      {"a/self", false},  // the folder the link stands in
      {"a/top", false},   // holds the charted folder
      {"a/side", true},   // a sibling, not entered yet
      {"b", true},        // the sibling itself
      {"lib", true},      // a link below no link
      {"lib/x", true},    // a plain folder below a link
      {"lib/y", false},   // below a link, into the folder that lib led into
      {"lib/z", true},    // below a link, into a folder no link led into
      {"lib2", true},     // the same folder again, but not below a link
  };
  for (const auto& row : rows) {
    const TreeItem* item = At(row.path);
    ASSERT_NE(nullptr, item) << row.path;
    EXPECT_TRUE(item->IsFolder) << row.path;
    EXPECT_EQ(row.entered, item->Children.First != nullptr) << row.path;
  }
}

TEST_F(FolderScanTest, ARootThatCannotBeOpenedOrListedIsAnEmptyFolder) {
  const struct {
    const char* name;
    std::set<std::string> FakePlatform::*refusals;
    const char* path;
  } rows[] = {
      {"listing", &FakePlatform::refuse_listing, "C:\\Work"},
      {"enter", &FakePlatform::refuse_enter, "C:\\Work"},
      {"missing", nullptr, "C:\\Gone"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    ReleaseTree(root_, store_);
    root_.IsFolder = false;
    fake_ = FakePlatform();
    fake_.AddFile("C:/Work/A/x.txt");
    if (row.refusals) (fake_.*row.refusals).insert("C:\\Work");
    Scan(row.path);
    EXPECT_TRUE(root_.IsFolder);
    EXPECT_EQ(nullptr, root_.Children.First);
    EXPECT_EQ(0, fake_.walkers_alive);
  }
}

TEST_F(FolderScanTest, FilesAreLeftOutOnlyWhenNeitherShownNorCounted) {
  const struct {
    bool show_files;
    bool show_sum;  // counted files need their entries, shown or not
    Names root_children;
    Names a_children;
  } rows[] = {
      {false, false, {"A"}, {}},
      {true, false, {"A", "r.txt"}, {"a.txt"}},
      {false, true, {"A", "r.txt"}, {"a.txt"}},
      {true, true, {"A", "r.txt"}, {"a.txt"}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::Message() << row.show_files << row.show_sum);
    ReleaseTree(root_, store_);
    fake_ = FakePlatform();
    options_.ShowFiles = row.show_files;
    options_.ShowSum = row.show_sum;
    fake_.AddFile("C:/Work/A/a.txt");
    fake_.AddFile("C:/Work/r.txt");
    Scan();
    EXPECT_EQ(row.root_children, ChildNames(root_));
    EXPECT_EQ(row.a_children, ChildNames(*At("A")));
  }
}

TEST_F(FolderScanTest, AVeryDeepTreeIsScannedWithoutDeepRecursion) {
  constexpr int kDepth = 3000;
  std::string path = "C:/Work";
  for (int i = 0; i < kDepth; ++i) path += "/d";
  options_.ShowSize = true;
  fake_.AddFile(path + "/bottom.txt", 42);
  ASSERT_TRUE(RunWithSmallStack([&] { Scan(); }));
  TreeItem* item = &root_;
  int depth = 0;
  while (item->Children.First && item->Children.First->IsFolder) {
    item = item->Children.First;
    ++depth;
    ASSERT_EQ(depth, item->Level);
  }
  EXPECT_EQ(kDepth, depth);
  ASSERT_NE(nullptr, item->Children.First);
  EXPECT_EQ("bottom.txt", item->Children.First->Name());
  EXPECT_EQ(42u, item->Children.First->Size);
  EXPECT_EQ(kDepth + 1, fake_.listings);
}

}  // namespace
