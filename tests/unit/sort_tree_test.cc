// The order of every folder's children: grouping, keys, direction, relinking, deep trees.
#include "order/sort_tree.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "common/app_options.h"
#include "common/tree_item.h"
#include "fake_platform.h"

namespace {

// One child as the scan would leave it. `size` is a file's Size or a folder's TotalBytes.
struct Child {
  const char* name;
  bool folder;
  uint64_t size = 0;
  uint64_t time = 0;
};

struct SortCase {
  const char* label;
  int32_t sort_key;
  bool files_first;
  bool ascending;
  std::vector<Child> children;  // in scan order
  const char* expected;         // names in the sorted order
};

class SortTreeTest : public ::testing::Test {
 protected:
  SortTreeTest() {
    root_ = std::make_unique<TreeItem>(store_.MakeRoot());
    root_->IsFolder = true;
  }

  // Appends after `last`, the parent's last child, where the caller keeps it; else finds it.
  TreeItem* Add(TreeItem& parent, const Child& child, TreeItem* last = nullptr) {
    TreeItem* item = store_.NewItem(parent.Level + 1);
    item->IsFolder = child.folder;
    std::string key = child.name;
    platform_.LowerCase(key.data(), key.size());
    size_t dot = key.rfind('.');
    SetItemNameAndKeys(store_, *item, child.name, key, dot == std::string::npos ? key.size() : dot);
    if (child.folder) {
      item->TotalBytes = child.size;
      // A folder's own Size runs the other way, so ordering by it would show.
      item->Size = UINT64_MAX - child.size;
    } else {
      item->Size = child.size;
    }
    item->WriteTime = MakeFileTime(child.time);
    AppendChildAfter(parent, last ? last : LastChild(parent), item);
    return item;
  }

  // The children's names in list order.
  static std::string Names(const TreeItem& folder) {
    std::string names;
    for (const TreeItem* c = folder.Children.First; c; c = c->NextSibling) {
      if (!names.empty()) names += ' ';
      names += c->Name();
    }
    return names;
  }

  AppOptions options_;
  FakePlatform platform_;  // lowers the keys as the scan has its platform do
  TreeStore store_;
  std::unique_ptr<TreeItem> root_;
};

constexpr uint64_t kMinute = 600000000;  // file-time ticks
constexpr uint64_t kSecond = 10000000;
constexpr uint64_t kBase = 129120000000000000;  // a date in 2010

// clang-format off
const SortCase kCases[] = {
    // NoSort: scan order (subfolders, then files) within each group, reversed descending.
    {"NoSortFilesFirst", NoSort, true, true,
     {{"D1", true}, {"D2", true}, {"f1", false}, {"f2", false}}, "f1 f2 D1 D2"},
    {"NoSortFilesFirstDescending", NoSort, true, false,
     {{"D1", true}, {"D2", true}, {"f1", false}, {"f2", false}}, "f2 f1 D2 D1"},
    {"NoSortFoldersFirst", NoSort, false, true,
     {{"D1", true}, {"D2", true}, {"f1", false}, {"f2", false}}, "D1 D2 f1 f2"},
    {"NoSortFoldersFirstDescending", NoSort, false, false,
     {{"D1", true}, {"D2", true}, {"f1", false}, {"f2", false}}, "D2 D1 f2 f1"},
    {"NoSortIgnoresNames", NoSort, true, true,
     {{"b", true}, {"a", true}, {"z", false}, {"y", false}}, "z y b a"},

    // Name: lower-case keys, so letter case does not decide.
    {"NameFilesFirst", SortByName, true, true,
     {{"Zeta", true}, {"alpha", true}, {"b.txt", false}, {"A.txt", false}, {"c.txt", false}},
     "A.txt b.txt c.txt alpha Zeta"},
    {"NameFilesFirstDescending", SortByName, true, false,
     {{"Zeta", true}, {"alpha", true}, {"b.txt", false}, {"A.txt", false}, {"c.txt", false}},
     "c.txt b.txt A.txt Zeta alpha"},
    {"NameFoldersFirst", SortByName, false, true,
     {{"Zeta", true}, {"alpha", true}, {"b.txt", false}, {"A.txt", false}, {"c.txt", false}},
     "alpha Zeta A.txt b.txt c.txt"},
    {"NameFoldersFirstDescending", SortByName, false, false,
     {{"Zeta", true}, {"alpha", true}, {"b.txt", false}, {"A.txt", false}, {"c.txt", false}},
     "Zeta alpha c.txt b.txt A.txt"},
    {"NamePrefixIsLess", SortByName, true, true,
     {{"abc", false}, {"ab", false}, {"a", false}}, "a ab abc"},
    // A lead byte of a double-byte name (0x82) is above every ASCII letter.
    {"NameBytesAreUnsigned", SortByName, true, true,
     {{"\x82\xA0", false}, {"z", false}, {"A", false}}, "A z \x82\xA0"},

    // Extension, then name; no extension is less than any.
    {"ExtReadmeExample", SortByExt, true, true,
     {{"README", false}, {"b.txt", false}, {"a.TXT", false}}, "README a.TXT b.txt"},
    {"ExtReadmeExampleDescending", SortByExt, true, false,
     {{"README", false}, {"b.txt", false}, {"a.TXT", false}}, "b.txt a.TXT README"},
    {"ExtFoldersByTheirOwnNames", SortByExt, false, true,
     {{"src.old", true}, {"lib", true}, {"app.bak", true}, {"x.c", false}, {"y.a", false}},
     "lib app.bak src.old y.a x.c"},
    {"ExtFoldersByTheirOwnNamesDescending", SortByExt, false, false,
     {{"src.old", true}, {"lib", true}, {"app.bak", true}, {"x.c", false}, {"y.a", false}},
     "src.old app.bak lib x.c y.a"},

    // Size: folders by their cumulative totals, files by their size, then name.
    {"SizeFolderTotals", SortBySize, true, true,
     {{"Big", true, 5010}, {"Small", true, 1000}}, "Small Big"},
    {"SizeFolderTotalsDescending", SortBySize, true, false,
     {{"Small", true, 1000}, {"Big", true, 5010}}, "Big Small"},
    {"SizeUnsigned", SortBySize, true, true,
     {{"huge", false, 3000000000u}, {"big", false, 1000000000u}, {"tiny", false, 1}},
     "tiny big huge"},
    {"SizeTieByName", SortBySize, true, true,
     {{"b", false, 10}, {"c", false, 5}, {"a", false, 10}}, "c a b"},
    {"SizeTieByNameDescending", SortBySize, true, false,
     {{"b", false, 10}, {"c", false, 5}, {"a", false, 10}}, "b a c"},
    {"SizeFoldersFirst", SortBySize, false, true,
     {{"D", true, 7}, {"E", true, 3}, {"f", false, 1}, {"g", false, 0}}, "E D g f"},

    // Time: the whole 64-bit value, then name.
    {"TimeSecondsCount", SortByTime, true, true,
     {{"late", false, 0, kBase + 30 * kSecond}, {"early", false, 0, kBase + 10 * kSecond}},
     "early late"},
    {"TimeSecondsCountDescending", SortByTime, true, false,
     {{"early", false, 0, kBase + 10 * kSecond}, {"late", false, 0, kBase + 30 * kSecond}},
     "late early"},
    {"TimeHighHalfFirst", SortByTime, true, true,
     {{"high", false, 0, 0x100000000ull}, {"low", false, 0, 0xFFFFFFFFull}}, "low high"},
    {"TimeTieByName", SortByTime, true, true,
     {{"b", false, 0, kBase}, {"a", false, 0, kBase}, {"c", false, 0, kBase - kMinute}},
     "c a b"},
    {"TimeFolders", SortByTime, false, false,
     {{"Old", true, 0, kBase}, {"New", true, 0, kBase + kMinute}, {"f", false}}, "New Old f"},

    // Names equal but for case: fully equal keys keep scan order, descending reverses it.
    {"CaseTwinsName", SortByName, true, true,
     {{"Read.me", false}, {"READ.ME", false}, {"read.me", false}}, "Read.me READ.ME read.me"},
    {"CaseTwinsNameDescending", SortByName, true, false,
     {{"Read.me", false}, {"READ.ME", false}, {"read.me", false}}, "read.me READ.ME Read.me"},
    {"CaseTwinsExtDescending", SortByExt, true, false,
     {{"Read.me", false}, {"READ.ME", false}, {"read.me", false}}, "read.me READ.ME Read.me"},
    {"CaseTwinsSize", SortBySize, true, true,
     {{"Read.me", false, 4}, {"READ.ME", false, 4}, {"read.me", false, 4}},
     "Read.me READ.ME read.me"},
    {"CaseTwinsSizeDescending", SortBySize, true, false,
     {{"Read.me", false, 4}, {"READ.ME", false, 4}, {"read.me", false, 4}},
     "read.me READ.ME Read.me"},
    {"CaseTwinsTimeDescending", SortByTime, true, false,
     {{"Read.me", false, 0, kBase}, {"READ.ME", false, 0, kBase}, {"read.me", false, 0, kBase}},
     "read.me READ.ME Read.me"},
    {"CaseTwinFoldersDescending", SortByName, false, false,
     {{"Src", true}, {"SRC", true}, {"x", false}}, "SRC Src x"},

    // Lists of fewer than two entries stay as they are.
    {"OneEntry", SortByName, false, false, {{"only", false}}, "only"},
    {"NoEntries", SortByName, true, false, {}, ""},
};
// clang-format on

class SortTreeCase : public SortTreeTest, public ::testing::WithParamInterface<SortCase> {};

TEST_P(SortTreeCase, OrdersChildren) {
  const SortCase& c = GetParam();
  options_.SortKey = c.sort_key;
  options_.FilesFirst = c.files_first;
  options_.Ascending = c.ascending;
  for (const Child& child : c.children) Add(*root_, child);
  SortAndMarkTree(options_, *root_);
  EXPECT_EQ(c.expected, Names(*root_));
}

INSTANTIATE_TEST_SUITE_P(Keys, SortTreeCase, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.label); });

TEST_F(SortTreeTest, EveryFolderAtEveryDepthIsSorted) {
  options_.SortKey = SortByName;
  TreeItem* a = Add(*root_, {"A", true});
  TreeItem* b = Add(*root_, {"B", true});
  TreeItem* only = Add(*a, {"Only", true});  // A's single child: its own children still sorted
  Add(*only, {"z", false});
  Add(*only, {"y", false});
  Add(*b, {"c", false});
  Add(*b, {"a", false});
  Add(*root_, {"x", false});
  SortAndMarkTree(options_, *root_);
  EXPECT_EQ("x A B", Names(*root_));
  EXPECT_EQ("Only", Names(*a));
  EXPECT_EQ("y z", Names(*only));
  EXPECT_EQ("a c", Names(*b));
}

// Enough fully equal keys that a sort which is not stable would show it: the 64 spellings of
// "abcdef" that differ only in case, between entries with other keys; for the orders by size and
// time also in a folder of more than 65,536 files, which is sorted by its pointers alone.
TEST_F(SortTreeTest, ManyEqualKeysKeepTheirOrderAndReverseIt) {
  for (int32_t key = SortByName; key <= SortByTime; ++key) {
    for (const int others : {1, 512}) {
      if (others > 1 && key != SortBySize && key != SortByTime) continue;
      for (bool ascending : {true, false}) {
        store_.Clear();
        root_->Children = ChildList{};
        options_.SortKey = key;
        options_.Ascending = ascending;
        std::vector<std::string> twins;
        TreeItem* last = nullptr;
        for (int mask = 0; mask < 64; ++mask) {
          std::string name = "abcdef";
          for (int bit = 0; bit < 6; ++bit) {
            if (mask & (1 << bit)) name[bit] = static_cast<char>(name[bit] - 'a' + 'A');
          }
          twins.push_back(name);
          for (int i = 0; i < others; ++i) last = Add(*root_, {"zz", false, 9, 9}, last);
          last = Add(*root_, {twins.back().c_str(), false, 5, 5}, last);
          for (int i = 0; i < others; ++i) last = Add(*root_, {"aa", false, 1, 1}, last);
        }
        std::string expected;
        auto append = [&expected](const std::string& name) {
          if (!expected.empty()) expected += ' ';
          expected += name;
        };
        for (int i = 0; i < 64 * others; ++i) append(ascending ? "aa" : "zz");
        for (int i = 0; i < 64; ++i) append(twins[ascending ? i : 63 - i]);
        for (int i = 0; i < 64 * others; ++i) append(ascending ? "zz" : "aa");
        SortAndMarkTree(options_, *root_);
        EXPECT_EQ(expected, Names(*root_))
            << "key " << key << (ascending ? " ascending" : "") << " " << others;
      }
    }
  }
}

TEST_F(SortTreeTest, LastEntryEndsTheList) {
  options_.SortKey = SortByName;
  Add(*root_, {"b", false});
  Add(*root_, {"a", false});
  SortAndMarkTree(options_, *root_);
  ASSERT_NE(nullptr, LastChild(*root_));
  EXPECT_EQ(nullptr, LastChild(*root_)->NextSibling);
  EXPECT_EQ("b", LastChild(*root_)->Name());
}

TEST_F(SortTreeTest, TenThousandLevelsDeep) {
  options_.SortKey = SortByName;
  options_.Ascending = false;
  constexpr int kDepth = 10000;
  TreeItem* folder = root_.get();
  for (int level = 0; level < kDepth; ++level) {
    Add(*folder, {"a", false});
    Add(*folder, {"b", false});
    folder = Add(*folder, {"next", true});
  }
  SortAndMarkTree(options_, *root_);
  EXPECT_EQ("b a next", Names(*root_));
  EXPECT_EQ("", Names(*folder));
  int depth = 0;
  for (TreeItem* f = root_.get(); LastChild(*f); f = LastChild(*f)) {
    ASSERT_EQ("b a next", Names(*f)) << "at depth " << depth;
    ++depth;
  }
  EXPECT_EQ(kDepth, depth);
}

}  // namespace
