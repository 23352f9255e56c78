// The JSON document (/Json), run on a real folder with names that are no UTF-8, control bytes, a
// link and a folder it cannot read: the readers python3 and jq accept it.
#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <string>
#include <vector>

#include "chart_expect.h"
#include "e2e_support.h"

namespace {

TEST(ChartJson, ReadersAcceptTheDocument) {
  TempTree tree;
  ASSERT_TRUE(tree.MakeFile("r/a.txt", 1234));
  ASSERT_TRUE(tree.MakeFile(HasRunner() ? "r/b.txt" : "r/bad\xFF\x01\"\\.txt", 5));
  ASSERT_TRUE(tree.MakeFile("r/Docs/\xE6\x97\xA5.txt", 3));
  ASSERT_TRUE(tree.MakeFolder("r/Locked"));
  ASSERT_TRUE(tree.SetMode("r/Locked", 0));
  ASSERT_EQ(0, symlink("a.txt", tree.Path("r/link").c_str()));
  RunResult run = ChartR(tree, {"/Json", "/F", "/Size", "/Time", "/Sum", "/Total", "/SN"});
  EXPECT_EQ(0, run.status);
  EXPECT_EQ("", run.err);
  ASSERT_EQ('[', run.out.front());
  const std::string document = tree.Path("document.json");
  std::ofstream(document, std::ios::binary) << run.out;
  const ChildSettings settings{EnvironmentWith({}), "", 60, false};
  const char kLoad[] = "import json,sys; json.load(open(sys.argv[1], 'rb'))";
  EXPECT_EQ(0, RunChild({"python3", "-c", kLoad, document}, settings).status) << run.out;
  if (access("/usr/bin/jq", X_OK) == 0) {
    EXPECT_EQ(0, RunChild({"jq", "empty", document}, settings).status) << run.out;
  }
}

}  // namespace
