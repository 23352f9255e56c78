// The JSON document: exact bytes of a small tree, and the escapes that keep every text valid.
#include "output/json_tree.h"

#include <gtest/gtest.h>

#include <string>

#include "common/app_options.h"
#include "fake_platform.h"
#include "output/json_text.h"

namespace {

TEST(AppendJsonString, EscapesControlsAndReplacesWhatIsNoUtf8) {
  const struct {
    std::string_view text, json;
    bool is_exact;
  } rows[] = {
      {std::string_view("\x01\x1f\x7f\n\r\b\f\t\"\\\0", 11),
       R"("\u0001\u001f\u007f\n\r\b\f\t\"\\\u0000")", true},
      {"\xE6\x97\xA5\xE6\x9C\xAC", "\"\xE6\x97\xA5\xE6\x9C\xAC\"", true},
      {"\xED\xA0\x80", "\"\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\"", false},  // a surrogate
      {"\xC0\xAF", "\"\xEF\xBF\xBD\xEF\xBF\xBD\"", false},                  // overlong "/"
      {"\xE6\x97", "\"\xEF\xBF\xBD\xEF\xBF\xBD\"", false},                  // cut short
  };
  for (const auto& row : rows) {
    std::string out;
    EXPECT_EQ(row.is_exact, AppendJsonString(out, row.text)) << row.text;
    EXPECT_EQ(row.json, out);
  }
}

std::string Lines(std::initializer_list<std::string_view> lines) {
  std::string text;
  for (std::string_view line : lines) text.append(line).append("\r\n");
  return text;
}

class JsonTreeTest : public ::testing::Test {
 protected:
  TreeItem* Add(TreeItem& parent, std::string_view name, bool is_folder) {
    TreeItem* item = store_.NewItem(parent.Level + 1);
    item->IsFolder = is_folder;
    SetItemName(store_, *item, name);
    AppendChild(parent, item);
    return item;
  }

  std::string Print(const AppOptions& options, const std::vector<UnreadFolder>& unread = {}) {
    root_.IsFolder = true;
    SetItemName(store_, root_, "C:\\Work");
    JsonReport report;
    BeginJsonDocument(platform_);
    PrintJsonTree(platform_, options, root_, unread, report);
    EndJsonDocument(platform_, options, report);
    return platform_.output;
  }

  FakePlatform platform_;
  TreeStore store_;
  TreeItem root_ = store_.MakeRoot();
};

// Locked stands at the depth shown, so what it holds is not written.
TEST_F(JsonTreeTest, WritesEveryShownEntryWithItsFigures) {
  TreeItem* docs = Add(root_, "Docs", true);
  TreeItem* locked = Add(*docs, "Locked", true);
  Add(*locked, "Deep", true);
  TreeItem* memo = Add(*docs, "memo.txt", false);
  memo->Size = 2048;
  memo->WriteTime = MakeFileTime(129122716500000000);  // 2010-03-05 14:07:30
  Add(root_, std::string_view("l\0memo.txt", 10), false)->Kind = KindLink;
  Add(root_, "odd\xFF", false);
  root_.SetCumulativeBytes((static_cast<ByteSum>(1) << 64) + 2048);  // past 2^64
  root_.TotalFiles = 3;
  AppOptions options;
  options.ShowFiles = options.ShowSize = options.ShowTime = options.ShowTotal = true;
  options.MaxDepth = 2;
  // clang-format off
  EXPECT_EQ(Lines({"[",
      R"({"type":"directory","name":"C:\\Work","total_files":3,"total_bytes":18446744073709553664,"contents":[)",
      R"({"type":"directory","name":"Docs","total_files":0,"total_bytes":0,"contents":[)",
      R"({"type":"directory","name":"Locked","total_files":0,"total_bytes":0,"error":"Permission denied","contents":[]},)",
      R"({"type":"file","name":"memo.txt","size":2048,"time":"2010-03-05T14:07:30"})",
      "]},",
      R"({"type":"link","name":"l","target":"memo.txt","size":0,"time":"1601-01-01T00:00:00"},)",
      "{\"type\":\"file\",\"name\":\"odd\xEF\xBF\xBD\",\"name_bytes\":[111,100,100,255],"
          R"("size":0,"time":"1601-01-01T00:00:00"})",
      "]},",
      R"({"type":"report","directories":2,"files":3,"bytes":2048})",
      "]"}),
            Print(options, {{"C:\\Work\\Docs\\Locked", "Permission denied", locked}}));
  // clang-format on
}

// Hidden files leave no comma without an entry after it.
TEST_F(JsonTreeTest, HiddenFilesLeaveNoDanglingComma) {
  Add(root_, "Docs", true);
  Add(root_, "a.txt", false);
  EXPECT_NE(std::string::npos, Print(AppOptions{}).find("\"contents\":[]}\r\n]},\r\n"));
}

}  // namespace
