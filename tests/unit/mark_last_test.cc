// The last-sibling marks that SortAndMarkTree sets: the rows of the marks table, nesting, and a
// very deep tree.
#include "order/mark_last.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>

#include "common/app_options.h"
#include "common/tree_item.h"
#include "order/sort_tree.h"

namespace {

class MarkLastTest : public ::testing::Test {
 protected:
  MarkLastTest() {
    root_ = std::make_unique<TreeItem>(store_.MakeRoot());
    root_->IsFolder = true;
  }

  // Appends one child per letter of `kinds`, in creation order: "D" a folder, "f" a file.
  void AddKinds(TreeItem& parent, std::string_view kinds) {
    for (char kind : kinds) {
      TreeItem* item = store_.NewItem(parent.Level + 1);
      item->IsFolder = kind == 'D';
      AppendChild(parent, item);
    }
  }

  // One letter per child in its final order: "X" marked, "." clear.
  static std::string Marks(const TreeItem& folder) {
    std::string marks;
    for (const TreeItem* c = folder.Children.First; c; c = c->NextSibling) {
      marks += c->IsLast ? 'X' : '.';
    }
    return marks;
  }

  AppOptions options_;
  TreeStore store_;
  std::unique_ptr<TreeItem> root_;
};

struct MarkCase {
  const char* label;
  const char* kinds;  // children in creation order: subfolders first, as the scan makes them
  bool files_first;
  const char* expected;  // marks in the final order
};

const MarkCase kCases[] = {
    {"None", "", true, ""},
    {"OneFile", "f", true, "X"},
    {"OneFolder", "D", true, "X"},
    {"FilesOnly", "fff", true, "XXX"},
    {"FoldersOnly", "DDD", true, "..X"},
    {"FilesFirstThenFolders", "DDff", true, "...X"},
    {"FoldersFirstThenFiles", "DDff", false, ".XXX"},
};

class MarkLastCase : public MarkLastTest, public ::testing::WithParamInterface<MarkCase> {};

// The marks are the same whether files are shown or not.
TEST_P(MarkLastCase, MarksTheLastFolderAndWhatFollows) {
  for (bool show_files : {true, false}) {
    store_.Clear();
    root_->Children = ChildList{};
    options_.FilesFirst = GetParam().files_first;
    options_.ShowFiles = show_files;
    DeriveSettings(options_);
    AddKinds(*root_, GetParam().kinds);
    SortAndMarkTree(options_, *root_);
    EXPECT_EQ(GetParam().expected, Marks(*root_)) << "files shown: " << show_files;
    EXPECT_FALSE(root_->IsLast);
  }
}

INSTANTIATE_TEST_SUITE_P(Table, MarkLastCase, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.label); });

TEST_F(MarkLastTest, EveryFolderAtEveryDepthIsVisited) {
  AddKinds(*root_, "DDff");
  TreeItem* first = root_->Children.First;
  TreeItem* second = first->NextSibling;
  AddKinds(*first, "ff");  // files only, no subfolders of its own
  AddKinds(*second, "DDf");
  TreeItem* inner = second->Children.First;
  AddKinds(*inner, "Df");
  SortAndMarkTree(options_, *root_);
  EXPECT_EQ("...X", Marks(*root_));
  EXPECT_EQ("XX", Marks(*first));
  EXPECT_EQ("..X", Marks(*second));
  EXPECT_EQ(".X", Marks(*inner));
}

TEST_F(MarkLastTest, MarksAreNeverCleared) {
  AddKinds(*root_, "DD");
  root_->Children.First->IsLast = true;
  SortAndMarkTree(options_, *root_);
  EXPECT_EQ("XX", Marks(*root_));
}

TEST_F(MarkLastTest, TenThousandLevelsDeep) {
  constexpr int kDepth = 10000;
  TreeItem* folder = root_.get();
  for (int level = 0; level < kDepth; ++level) {
    AddKinds(*folder, "DDf");
    folder = folder->Children.First->NextSibling;
  }
  SortAndMarkTree(options_, *root_);
  int depth = 0;
  for (TreeItem* f = root_.get(); f->Children.First; f = LastChild(*f)) {
    ASSERT_EQ("..X", Marks(*f)) << "at depth " << depth;
    ASSERT_EQ("", Marks(*f->Children.First)) << "at depth " << depth;
    ++depth;
  }
  EXPECT_EQ(kDepth, depth);
}

}  // namespace
