// Entry construction, numbering, texts and release.
#include "common/tree_item.h"

#include <gtest/gtest.h>

// Each store numbers its own tree from 100, the root first; clearing it does not start again.
TEST(TreeItem, ConstructionTakesTheNextSequenceNumber) {
  TreeStore store;
  TreeItem root = store.MakeRoot();
  TreeItem* first = store.NewItem(1);
  TreeItem* second = store.NewItem(1);
  EXPECT_EQ(0, root.Level);
  EXPECT_EQ(100, root.SequenceNo);
  EXPECT_EQ(101, first->SequenceNo);
  EXPECT_EQ(102, second->SequenceNo);
  EXPECT_EQ(1, first->Level);
  EXPECT_FALSE(first->IsFolder);
  EXPECT_FALSE(first->IsLast);
  EXPECT_EQ(0u, first->Size);
  EXPECT_EQ(0u, FileTimeValue(first->WriteTime));
  EXPECT_EQ(0u, first->NameFill);
  EXPECT_EQ(0u, first->SizeColumnWidth);
  EXPECT_EQ(nullptr, first->Children.First);
  EXPECT_TRUE(first->Name().empty());
  EXPECT_TRUE(first->NameKey().empty());
  EXPECT_TRUE(first->ExtKey().empty());
  store.Clear();
  EXPECT_EQ(103, store.NewItem(1)->SequenceNo);
  EXPECT_EQ(100, TreeStore().MakeRoot().SequenceNo);
}

TEST(TreeItem, AppendKeepsOrderAndReleaseEmptiesTheRoot) {
  TreeStore store;
  TreeItem root = store.MakeRoot();
  for (int i = 0; i < 3; ++i) {
    TreeItem* child = store.NewItem(1);
    SetItemName(store, *child, std::string(1, static_cast<char>('a' + i)));
    AppendChild(root, child);
  }
  std::string names;
  for (TreeItem* c = root.Children.First; c; c = c->NextSibling) names += c->Name();
  EXPECT_EQ("abc", names);
  ReleaseTree(root, store);
  EXPECT_EQ(nullptr, root.Children.First);
  EXPECT_EQ(nullptr, LastChild(root));
}

TEST(TreeItem, SetItemNameDropsTheSortKeys) {
  TreeStore store;
  TreeItem& item = *store.NewItem(1);
  SetItemNameAndKeys(store, item, "ReadMe.md", "readme.md", 6);
  EXPECT_EQ(".md", item.ExtKey());
  SetItemName(store, item, "C:\\Work");
  EXPECT_EQ("C:\\Work", item.Name());
  EXPECT_TRUE(item.NameKey().empty());
  EXPECT_TRUE(item.ExtKey().empty());
}

TEST(TreeItem, KeyEqualToTheNameSharesItsBytes) {
  TreeStore store;
  TreeItem& item = *store.NewItem(1);
  SetItemNameAndKeys(store, item, "notes.txt", "notes.txt", 5);
  EXPECT_EQ("notes.txt", item.NameKey());
  EXPECT_EQ(item.Name().data(), item.NameKey().data());
  EXPECT_EQ(".txt", item.ExtKey());
}

TEST(TreeItem, KeyThatDiffersFollowsTheName) {
  TreeStore store;
  TreeItem& item = *store.NewItem(1);
  SetItemNameAndKeys(store, item, "NOTES.TXT", "notes.txt", 5);
  EXPECT_EQ("NOTES.TXT", item.Name());
  EXPECT_EQ("notes.txt", item.NameKey());
  EXPECT_EQ(".txt", item.ExtKey());
  EXPECT_EQ(item.Name().data() + 9, item.NameKey().data());
}

TEST(TreeItem, AppendAfterTheLastChildKeepsOrder) {
  TreeStore store;
  TreeItem root = store.MakeRoot();
  TreeItem* last = nullptr;
  for (int i = 0; i < 3; ++i) {
    TreeItem* child = store.NewItem(1);
    SetItemName(store, *child, std::string(1, static_cast<char>('a' + i)));
    AppendChildAfter(root, last, child);
    last = child;
  }
  std::string names;
  for (TreeItem* c = root.Children.First; c; c = c->NextSibling) names += c->Name();
  EXPECT_EQ("abc", names);
  EXPECT_EQ(last, LastChild(root));
}

// A block handed over is filled before any new one: the walk of a saved scan gives its memory to
// the chart this way.
TEST(TreeItem, AdoptedBlockTakesTheNextEntries) {
  TreeStore store;
  constexpr size_t kSize = 4096;
  auto block = std::make_unique<char[]>(kSize);
  const char* start = block.get();
  store.AdoptBlock(std::move(block), kSize);
  const char* item = reinterpret_cast<const char*>(store.NewItem(1));
  EXPECT_TRUE(item >= start && item + sizeof(TreeItem) <= start + kSize);
}
