// The sibling comparator: each key and its tie-break. The grouping by kind and the direction are
// the sort's (sort_tree_test.cc).
#include "common/item_order.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "common/app_options.h"
#include "common/tree_item.h"

namespace {

class ItemOrderTest : public ::testing::Test {
 protected:
  // An entry with the sort keys the scan would make from an ASCII `name`.
  TreeItem& Make(std::string_view name, bool folder = false) {
    TreeItem& item = *store_.NewItem(1);
    item.IsFolder = folder;
    std::string key(name);
    for (char& c : key) {
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    size_t dot = key.rfind('.');
    SetItemNameAndKeys(store_, item, name, key, dot == std::string::npos ? key.size() : dot);
    return item;
  }

  TreeStore store_;
};

TEST_F(ItemOrderTest, NoSortUsesTheSequenceNumber) {
  TreeItem& first = Make("z");
  TreeItem& second = Make("a");
  EXPECT_TRUE(KeyLess(first, second, NoSort));
  EXPECT_FALSE(KeyLess(second, first, NoSort));
  EXPECT_FALSE(KeyLess(first, first, NoSort));
}

TEST_F(ItemOrderTest, NameKeyComparesUnsignedBytes) {
  struct NameCase {
    const char* less;
    const char* greater;
  };
  const NameCase cases[] = {
      {"a", "b"},
      {"ab", "abc"},  // a beginning is less than the longer text
      {"", "a"},
      {"z", "\x82\xA0"},  // a lead byte above 0x7F is greater than any ASCII byte
      {"\x82\xA0", "\x82\xA1"},
      {"\x81\xFC", "\x82\x40"},  // the lead byte decides first
      {"a.txt", "B"},            // compared lower-cased: "a.txt" before "b"
  };
  for (const NameCase& c : cases) {
    TreeItem& less = Make(c.less);
    TreeItem& greater = Make(c.greater);
    EXPECT_TRUE(KeyLess(less, greater, SortByName)) << c.less << " " << c.greater;
    EXPECT_FALSE(KeyLess(greater, less, SortByName)) << c.less << " " << c.greater;
  }
}

TEST_F(ItemOrderTest, ExtensionThenName) {
  TreeItem& readme = Make("README");
  TreeItem& a = Make("a.TXT");
  TreeItem& b = Make("b.txt");
  TreeItem& c = Make("c.doc");
  EXPECT_TRUE(KeyLess(readme, c, SortByExt));  // no extension is less than any
  EXPECT_TRUE(KeyLess(c, a, SortByExt));       // ".doc" before ".txt" whatever the names
  EXPECT_TRUE(KeyLess(a, b, SortByExt));       // equal extensions: the name decides
  EXPECT_FALSE(KeyLess(b, a, SortByExt));
}

TEST_F(ItemOrderTest, SizeOfFilesAndTotalOfFolders) {
  TreeItem& small = Make("z");
  TreeItem& large = Make("a");
  small.Size = 1000000000u;
  large.Size = 4294967306u;  // 4 GiB + 10 bytes: whole, not 10
  EXPECT_TRUE(KeyLess(small, large, SortBySize));
  EXPECT_FALSE(KeyLess(large, small, SortBySize));

  TreeItem& one_file = Make("z", true);
  TreeItem& deep = Make("a", true);
  one_file.TotalBytes = 2147483648;  // 2 GiB
  one_file.Size = 2147483648;
  deep.TotalBytes = 5368709120;  // 5 GiB, whose low 32 bits are 1 GiB
  deep.Size = 10;                // its own files only; the total decides
  EXPECT_TRUE(KeyLess(one_file, deep, SortBySize));
  EXPECT_FALSE(KeyLess(deep, one_file, SortBySize));

  TreeItem& b = Make("b");
  TreeItem& a = Make("a");
  b.Size = a.Size = 10;
  EXPECT_TRUE(KeyLess(a, b, SortBySize));
}

TEST_F(ItemOrderTest, TimeHighHalfFirstThenName) {
  TreeItem& early = Make("z");
  TreeItem& late = Make("a");
  early.WriteTime = FileTime{0xFFFFFFFFu, 1};
  late.WriteTime = FileTime{0, 2};
  EXPECT_TRUE(KeyLess(early, late, SortByTime));
  EXPECT_FALSE(KeyLess(late, early, SortByTime));

  TreeItem& seconds_earlier = Make("z");
  TreeItem& seconds_later = Make("a");
  seconds_earlier.WriteTime = MakeFileTime(129120000000000000ull);
  seconds_later.WriteTime = MakeFileTime(129120000000000000ull + 10000000ull);
  EXPECT_TRUE(KeyLess(seconds_earlier, seconds_later, SortByTime));

  TreeItem& b = Make("b");
  TreeItem& a = Make("a");
  a.WriteTime = b.WriteTime = FileTime{5, 5};
  EXPECT_TRUE(KeyLess(a, b, SortByTime));
  EXPECT_FALSE(KeyLess(b, a, SortByTime));
}

}  // namespace
