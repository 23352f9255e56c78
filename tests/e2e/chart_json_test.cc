// The JSON document of a real tree (a name that is no UTF-8, control bytes, a link) read by
// python3.
#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>

#include "chart_expect.h"
#include "e2e_support.h"

namespace {

TEST(ChartJson, Python3ReadsTheDocument) {
  TempTree tree;
  ASSERT_TRUE(tree.MakeFile(HasRunner() ? "r/b.txt" : "r/bad\xFF\x01\"\\.txt", 5));
  ASSERT_TRUE(tree.MakeFile("r/Docs/\xE6\x97\xA5.txt", 3));
  ASSERT_EQ(0, symlink("Docs", tree.Path("r/link").c_str()));
  const RunResult run = ChartR(tree, {"/Json", "/F", "/Size", "/Time", "/Sum", "/Total", "/SN"});
  EXPECT_EQ(0, run.status);
  const std::string document = tree.Path("document.json");
  std::ofstream(document, std::ios::binary) << run.out;
  const char kLoad[] = "import json,sys; json.load(open(sys.argv[1], 'rb'))";
  EXPECT_EQ(0, RunChild({"python3", "-c", kLoad, document}, {EnvironmentWith({})}).status);
}

}  // namespace
