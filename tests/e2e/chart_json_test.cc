// The JSON document of a real tree (a name that is no UTF-8, control bytes, a link) read by
// python3, and that of the option-combination fixture's tree and of a tree 10,000 levels deep
// read by python3 and jq.
#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <string>
#include <vector>

#include "chart_expect.h"
#include "chart_fixture_tree.h"
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
  EXPECT_EQ(0, RunChild({"python3", "-c", kLoad, document}, {EnvironmentWith({}), {}}).status);
}

// Python's json reads nesting only as deep as its recursion limit and the stack allow: raised
// here, in a thread with a stack of its own, so that 20,000 levels of nesting are read.
constexpr char kLoadDeep[] = R"(import json, sys, threading
sys.setrecursionlimit(100000)
threading.stack_size(512 * 1024 * 1024)
read = []
reader = threading.Thread(target=lambda: read.append(json.load(open(sys.argv[1], 'rb'))))
reader.start()
reader.join()
sys.exit(0 if read else 1))";
constexpr int kDeepLevels = 10000;

bool HasCommand(const std::string& name) {
  return RunChild({"sh", "-c", "command -v " + name}, {EnvironmentWith({}), {}}).status == 0;
}

// Each document once through python3's json.tool and once through jq, a process each. jq 1.6
// stops at 256 levels of nesting, which a folder 10,000 levels deep passes (README says so): the
// deep tree is read by python3 alone.
TEST(ChartJson, Python3AndJqReadTheFixtureAndTheDeepTree) {
  if (HasRunner()) GTEST_SKIP() << "the fixture's names are Linux names";
  if (!HasCommand("jq")) GTEST_SKIP() << "jq is not installed";
  TempTree tree;
  // The tree's own removal holds a descriptor per level; rm needs none. Done first, however the
  // test ends.
  struct DeepRemoval {
    std::string path;
    ~DeepRemoval() { RunChild({"rm", "-rf", path}, {EnvironmentWith({}), {}}); }
  } deep_removal{tree.Path("d")};
  MakeFixtureTree(tree);
  const std::string make_deep = "import os, sys\nos.chdir(sys.argv[1])\nfor i in range(" +
                                std::to_string(kDeepLevels) +
                                "):\n  os.mkdir('d'); os.chdir('d')\nopen('f', 'w').write('x')";
  ASSERT_EQ(0, RunChild({"python3", "-c", make_deep, tree.Path()}, {EnvironmentWith({}), {}}).status);
  const struct {
    std::string folder;
    std::vector<std::string> options;
  } rows[] = {
      {"t", {"/Json"}},
      {"t", {"/Json", "/F", "/Size", "/Time", "/Sum", "/Total", "/SN"}},
      {"t", {"/Json", "/F", "/DotFolders", "/DU", "/Sum", "/Total", "/SS", "/Descend", "/Depth=3"}},
      {"t", {"/Json", "/F", "/Size", "/Exclude=*.txt", "/Apparent", "/SE", "/OF"}},
      {"d", {"/Json", "/F", "/Size", "/Time", "/Sum", "/Total"}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.folder + " " + ::testing::PrintToString(row.options));
    std::vector<std::string> arguments = row.options;
    arguments.push_back(tree.Path(row.folder));
    const RunResult run = RunProgram(arguments);
    ASSERT_EQ(0, run.status) << run.err;
    const std::string document = tree.Path("document.json");
    std::ofstream(document, std::ios::binary) << run.out;
    const ChildSettings settings{EnvironmentWith({}), {}};
    if (row.folder == "d") {
      EXPECT_EQ(0, RunChild({"python3", "-c", kLoadDeep, document}, settings).status);
    } else {
      EXPECT_EQ(0, RunChild({"python3", "-m", "json.tool", document}, settings).status);
      EXPECT_EQ(0, RunChild({"jq", "empty", document}, settings).status);
    }
  }
}

}  // namespace
