// Saved scans: what the reader refuses and why, and a good one charted as a folder would be.
#include "tree/import_reader.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "fake_platform.h"
#include "front/run_driver.h"
#include "output/export_writer.h"
#include "run_arguments.h"
#include "tree/import_walker.h"

namespace {

std::string ReadError(const std::string& text) {
  ImportedScan scan;
  std::string error;
  if (ReadImportedScan(nullptr, text, scan, error) == 0) return "(read)";
  EXPECT_TRUE(scan.Blocks.empty());
  return error;
}

const std::string kHead = R"([1,2,{"progname":"t"},[{"name":"/r"},)";

TEST(ReadImportedScan, RefusesWhatIsNoSavedScanSayingWhatAndWhere) {
  const struct {
    std::string text;
    std::string error;
  } rows[] = {
      {"x",
       "not a saved scan: parse error at line 1, column 1: syntax error while parsing value - "
       "invalid literal; last read: 'x' near byte 1"},
      {"",
       "not a saved scan: parse error at line 1, column 1: syntax error while parsing value - "
       "unexpected end of input; expected '[', '{', or a literal near byte 0"},
      {kHead,
       "not a saved scan: parse error at line 1, column 38: syntax error while parsing "
       "value - unexpected end of input; expected '[', '{', or a literal near byte 37 "
       "(item '/r')"},
      {"{}", "not a saved scan: an object out of place near byte 1"},
      {R"([2,0,{},[{"name":"/r"}]])", "not a saved scan of version 1 near byte 3"},
      {R"([1,3,{},[{"name":"/r"}]])", "a saved scan of a version after 1.2 near byte 5"},
      {R"([1,2,[],[{"name":"/r"}]])", "not a saved scan: no object about the scan near byte 6"},
      {R"([1,2,{},{"name":"/r"}])", "not a saved scan: the root is not a folder near byte 9"},
      {R"([1,2,{}])", "not a saved scan: no tree in it near byte 8"},
      {R"([1,2,{},[]])", "a folder's array does not begin with its info object near byte 10"},
      {kHead + R"({"name":"f","asize":-1}]])", "\"asize\" is negative near byte 60 (item '/r/f')"},
      {kHead + R"({"name":"f","dsize":1.5}]])",
       "\"dsize\" is not a whole number up to 9223372036854775807 near byte 61 (item '/r/f')"},
      {kHead + R"({"asize":99999999999999999999,"name":"f"}]])",
       "\"asize\" is not a whole number up to 9223372036854775807 near byte 67 (item '/r/?')"},
      {kHead + R"({"name":"f","nlink":4294967296}]])",
       "\"nlink\" is not a whole number up to 4294967295 near byte 68 (item '/r/f')"},
      {kHead + R"({"name":"f","mtime":"x"}]])",
       "\"mtime\" is not a number near byte 60 (item '/r/f')"},
      {kHead + R"({"name":7}]])", "\"name\" is not a text near byte 47 (item '/r/?')"},
      {kHead + R"({"name":"f","hlnkc":1}]])",
       "\"hlnkc\" is not true or false near byte 59 (item '/r/f')"},
      {kHead + R"({"name":"f","excluded":[]}]])",
       "\"excluded\" is an array near byte 61 (item '/r/f')"},
      {kHead + R"({"asize":1}]])", "an item has no \"name\" near byte 48 (item '/r/?')"},
      {kHead + R"({"name":"a/b"}]])",
       "an item's name is empty or holds \"/\" near byte 51 (item '/r/a/b')"},
      {kHead + R"([{"name":"d"},7]]])",
       "not a saved scan: a value where an item belongs near byte 53 "
       "(item '/r/d')"},
      {kHead + R"({"name":"f"}],[]])", "not a saved scan: an array out of place near byte 52"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.text);
    EXPECT_EQ(row.error, ReadError(row.text));
  }
}

TEST(ReadImportedScan, ReadsNestingOfAnyDepthInOneStack) {
  constexpr int kDepth = 100000;
  std::string text = "[1,0,{},";
  for (int i = 0; i < kDepth; ++i) text += R"([{"name":"d","mtime":1},)";
  text += R"({"name":"f","unknown":[{"deep":[1]}]})" + std::string(kDepth, ']') + "]";
  ImportedScan scan;
  std::string error;
  ASSERT_EQ(0, ReadImportedScan(nullptr, text, scan, error)) << error;
  EXPECT_EQ(kDepth + 1u, scan.ItemCount);
  ImportedRecord record = ReadImportedRecord(scan, 0);
  for (int i = 1; i < kDepth; ++i) record = ReadImportedRecord(scan, record.Next);
  EXPECT_TRUE(record.Item.HasChildren);
  EXPECT_EQ("f", ReadImportedRecord(scan, record.Next).Name);
}

// The writer flushes every 32 KiB, after an item: the next item still gets its comma.
TEST(ReadImportedScan, ReadsAnExportLargerThanTheWritersBuffer) {
  struct StringFile : OutputFile {
    std::string bytes;
    void Write(std::string_view part) override { bytes.append(part); }
    int Finish() override { return 0; }
    std::string FailureText() const override { return {}; }
  } file;
  ExportWriter writer(file, false);
  writer.WriteHeader(0);
  FolderEntry entry;
  entry.Own.NativeName = "/r";
  writer.BeginFolder(entry, ScanMark::kRead);
  const std::string name(60, 'n');
  entry.Own.NativeName = name;
  constexpr int kFiles = 2000;  // over 120 KiB
  for (int i = 0; i < kFiles; ++i) writer.AddEntry(entry, ScanMark::kRead);
  writer.EndFolder();
  ASSERT_EQ(0, writer.Finish());
  ImportedScan scan;
  std::string error;
  ASSERT_EQ(0, ReadImportedScan(nullptr, file.bytes, scan, error)) << error;
  EXPECT_EQ(kFiles + 1u, scan.ItemCount);
}

// A Linux name's bytes that are no UTF-8 read as U+FFFD each; UTF-8 stays, in a file read in
// blocks too (the character cut off at the end of the first block of 65,536 bytes).
TEST(ReadImportedScan, ReadsBytesThatAreNoUtf8AsReplacementCharacters) {
  const struct {
    std::string name;
    std::string read;
  } rows[] = {
      {"a\xFF\xC3", "a\\uFFFD\\uFFFD"},  // the expected names in JSON's escapes
      {"\xE3\x81\x82\xED\xA0\x80", "\\u3042\\uFFFD\\uFFFD\\uFFFD"},
      {"q\\\"\xF0\x9F\x98\x80", "q\\\"\\uD83D\\uDE00"},
  };
  for (const auto& row : rows) {
    ImportedScan scan, expected;
    std::string error;
    const std::string padding(65516, ' ');  // the name begins 2 bytes before the block's end
    std::FILE* file = std::tmpfile();
    ASSERT_NE(nullptr, file);
    std::fputs(("[1,2,{}," + padding + "[{\"name\":\"" + row.name + "\"}]]").c_str(), file);
    std::rewind(file);
    ASSERT_EQ(0, ReadImportedScan(file, {}, scan, error)) << error;
    std::fclose(file);
    ASSERT_EQ(0, ReadImportedScan(nullptr, "[1,2,{},[{\"name\":\"" + row.read + "\"}]]", expected,
                                  error));
    EXPECT_EQ(expected.RootName, scan.RootName) << row.name;
  }
}

// A folder the walk does not enter (a pattern, the depth) gives its records up when its parent is
// left: otherwise each would keep its block, and the whole subtree's memory, to the end.
TEST(ImportWalker, LeavingAFolderFreesTheSubfoldersNotEntered) {
  std::string text = kHead + R"([{"name":"kept out"},[{"name":"deeper"},)";
  for (int i = 0; i < 1000; ++i)
    text += R"({"name":"file)" + std::to_string(i) + R"(","asize":1},)";
  text += R"({"name":"last"}]],{"name":"z"}]])";
  ImportedScan scan;
  std::string error;
  ASSERT_EQ(0, ReadImportedScan(nullptr, text, scan, error)) << error;
  ASSERT_GT(scan.Blocks.size(), 2u);
  FakePlatform platform;
  ImportWalker walker(scan, platform);
  ASSERT_TRUE(walker.EnterRoot(PathText{}));
  ASSERT_TRUE(walker.ListFolder(true));
  walker.LeaveFolder();
  for (const ImportedBlock& block : scan.Blocks) EXPECT_EQ(0u, block.LiveBytes);
}

// The file's order is not the chart's: the listings are in the folder's own order. The entry
// left out by a pattern is not charted, the one on another file system is an empty folder; the file
// without "mtime" has blank times.
TEST(ImportSavedScan, ChartsTheSavedTreeWithEveryOption) {
  const std::string path = ::testing::TempDir() + "quovrel_import_test.json";
  std::FILE* file = std::fopen(path.c_str(), "wb");
  ASSERT_NE(nullptr, file);
  std::fputs(R"([1,2,{"progname":"t"},[{"name":"/srv/data","asize":4096,"dsize":4096},
    {"name":"z.txt","asize":1500,"dsize":4096,"mtime":1262304000},
    [{"name":"sub","asize":4096,"dsize":4096},{"name":"new","asize":7,"dsize":4096}],
    {"name":"a.log","asize":3,"dsize":4096,"mtime":1262347200,"ino":9,"hlnkc":true,"nlink":2},
    {"name":"skip","excluded":"pattern"},{"name":"mnt","excluded":"otherfs"},
    {"name":"b.log","asize":3,"dsize":4096,"mtime":1262347200,"ino":9,"hlnkc":true,"nlink":2}]])",
             file);
  std::fclose(file);
  FakePlatform platform;
  platform.AddFolder("C:\\Work");
  platform.utf8_default = true;
  std::vector<PathText> arguments =
      RunArguments({"/Import=" + path, "/F", "/Size", "/Time", "/Sum", "/DU", "/Apparent"});
  EXPECT_EQ(0, RunQuovrel(platform, arguments));
  EXPECT_EQ(
      "/srv/data（3 ファイル 5,599 バイト）\r\n"
      "│   a.log             3 2010/01/01 12:00\r\n"
      "│   b.log             0 2010/01/01 12:00\r\n"
      "│   z.txt         1,500 2010/01/01 00:00\r\n"
      "├── mnt（0 ファイル 0 バイト）\r\n"
      "└── sub（1 ファイル 4,103 バイト）\r\n"
      "        new             7                 \r\n",
      platform.output);
  std::remove(path.c_str());
}

}  // namespace
