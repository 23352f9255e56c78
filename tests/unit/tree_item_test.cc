// Entry construction, numbering, texts and release.
#include <gtest/gtest.h>

#include "common/tree_item.h"

TEST(TreeItem, ConstructionTakesTheNextSequenceNumber) {
  g_nextSequenceNo = 100;
  TreeItem root(0);
  TreeStore store;
  TreeItem* first = store.NewItem(1);
  TreeItem* second = store.NewItem(1);
  EXPECT_EQ(100, root.SequenceNo);
  EXPECT_EQ(101, first->SequenceNo);
  EXPECT_EQ(102, second->SequenceNo);
  EXPECT_EQ(1, first->Level);
  EXPECT_FALSE(first->IsFolder);
  EXPECT_FALSE(first->IsLast);
  EXPECT_EQ(0u, first->Size);
  EXPECT_EQ(0u, FileTimeValue(first->WriteTime));
  EXPECT_EQ(nullptr, first->Children.First);
  EXPECT_TRUE(first->Name().empty());
  EXPECT_TRUE(first->NameKey().empty());
  EXPECT_TRUE(first->ExtKey().empty());
}

TEST(TreeItem, AppendKeepsOrderAndReleaseEmptiesTheRoot) {
  TreeItem root(0);
  TreeStore store;
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
  EXPECT_EQ(nullptr, root.Children.Last);
}

TEST(TreeItem, SetItemNameDropsTheSortKeys) {
  TreeStore store;
  TreeItem item(1);
  const char key[] = "readme.md";
  item.NameKeyBytes = key;
  item.NameLength = 9;
  item.ExtKeyStart = 6;
  EXPECT_EQ(".md", item.ExtKey());
  SetItemName(store, item, "C:\\Work");
  EXPECT_EQ("C:\\Work", item.Name());
  EXPECT_TRUE(item.NameKey().empty());
  EXPECT_TRUE(item.ExtKey().empty());
}
