// The JSON document: exact bytes of a small tree, and the escapes that keep every text valid.
#include "output/json_tree.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/app_options.h"
#include "fake_platform.h"
#include "output/json_text.h"

namespace {

struct StringRow {
  std::string_view text;
  std::string_view json;
  bool is_exact;
};

TEST(AppendJsonString, EscapesControlsAndReplacesWhatIsNoUtf8) {
  const StringRow rows[] = {
      {"a.txt", R"("a.txt")", true},
      {"tab\there \"q\" \\", R"("tab\there \"q\" \\")", true},
      {std::string_view("\x01\x1f\x7f\n\r\b\f\0", 8), R"("\u0001\u001f\u007f\n\r\b\f\u0000")",
       true},
      {"\xE6\x97\xA5\xE6\x9C\xAC", "\"\xE6\x97\xA5\xE6\x9C\xAC\"", true},
      {"a\xFFz", "\"a\xEF\xBF\xBDz\"", false},
      {"\xED\xA0\x80", "\"\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\"", false},  // a surrogate
      {"\xC0\xAF", "\"\xEF\xBF\xBD\xEF\xBF\xBD\"", false},                  // overlong "/"
      {"\xE6\x97", "\"\xEF\xBF\xBD\xEF\xBF\xBD\"", false},                  // cut short
  };
  for (const StringRow& row : rows) {
    SCOPED_TRACE(std::string(row.text));
    std::string out;
    EXPECT_EQ(row.is_exact, AppendJsonString(out, row.text));
    EXPECT_EQ(row.json, out);
  }
}

class JsonTreeTest : public ::testing::Test {
 protected:
  JsonTreeTest() : root_(std::make_unique<TreeItem>(store_.MakeRoot())) {
    root_->IsFolder = true;
    SetItemName(store_, *root_, "C:\\Work");
  }

  TreeItem* Add(TreeItem& parent, std::string_view name, bool is_folder) {
    TreeItem* item = store_.NewItem(parent.Level + 1);
    item->IsFolder = is_folder;
    SetItemName(store_, *item, name);
    AppendChild(parent, item);
    return item;
  }

  std::string Print(const AppOptions& options, const std::vector<UnreadFolder>& unread = {}) {
    JsonReport report;
    BeginJsonDocument(platform_);
    PrintJsonTree(platform_, options, *root_, unread, report);
    EndJsonDocument(platform_, options, report);
    return platform_.output;
  }

  FakePlatform platform_;
  TreeStore store_;
  std::unique_ptr<TreeItem> root_;
};

TEST_F(JsonTreeTest, WritesEveryShownEntryWithItsFigures) {
  TreeItem* docs = Add(*root_, "Docs", true);
  TreeItem* locked = Add(*docs, "Locked", true);
  TreeItem* memo = Add(*docs, "memo.txt", false);
  memo->Size = 2048;
  memo->WriteTime = MakeFileTime(129122716500000000);  // 2010-03-05 14:07:30
  TreeItem* link = Add(*root_, std::string_view("l\0memo.txt", 10), false);
  link->Kind = KindLink;
  Add(*root_, "odd\xFF", false);
  root_->SetOwnBytes(0);
  root_->SetCumulativeBytes((static_cast<ByteSum>(1) << 64) + 2048);  // past 2^64
  root_->TotalFiles = 3;
  AppOptions options;
  options.ShowFiles = options.ShowSize = options.ShowTime = options.ShowTotal = true;
  options.ShowJson = true;
  const std::string expected =
      "[\r\n"
      R"({"type":"directory","name":"C:\\Work","total_files":3,"total_bytes":18446744073709553664,"contents":[)"
      "\r\n"
      R"({"type":"directory","name":"Docs","total_files":0,"total_bytes":0,"contents":[)"
      "\r\n"
      R"({"type":"directory","name":"Locked","total_files":0,"total_bytes":0,"error":"Permission denied","contents":[]},)"
      "\r\n"
      R"({"type":"file","name":"memo.txt","size":2048,"time":"2010-03-05T14:07:30"})"
      "\r\n"
      "]},\r\n"
      R"({"type":"link","name":"l","target":"memo.txt","size":0,"time":"1601-01-01T00:00:00"},)"
      "\r\n"
      "{\"type\":\"file\",\"name\":\"odd\xEF\xBF\xBD\",\"name_bytes\":[111,100,100,255],"
      R"("size":0,"time":"1601-01-01T00:00:00"})"
      "\r\n"
      "]},\r\n"
      R"({"type":"report","directories":2,"files":3,"bytes":2048})"
      "\r\n"
      "]\r\n";
  EXPECT_EQ(expected, Print(options, {{"C:\\Work\\Docs\\Locked", "Permission denied", locked}}));
}

TEST_F(JsonTreeTest, HiddenFilesAndDepthLeaveNoDanglingComma) {
  TreeItem* docs = Add(*root_, "Docs", true);
  Add(*docs, "Old", true);
  Add(*root_, "a.txt", false);
  AppOptions options;
  options.MaxDepth = 1;
  EXPECT_EQ(
      "[\r\n"
      R"({"type":"directory","name":"C:\\Work","contents":[)"
      "\r\n"
      R"({"type":"directory","name":"Docs","contents":[]})"
      "\r\n]},\r\n"
      R"({"type":"report","directories":1,"files":0})"
      "\r\n]\r\n",
      Print(options));
}

}  // namespace
