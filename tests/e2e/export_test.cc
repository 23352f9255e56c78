// /Export read back by two other disk-usage tools from Debian (ncdu and gdu): the format is
// theirs, so they are the judges of it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "e2e_support.h"

namespace {

// Hard links within and across folders, sparse files, links to a folder and a file, a folder
// left out by a pattern, a folder nobody may read, a dot folder, a name that is no UTF-8 and
// holds a control byte. The charts run as nobody, who
// cannot read "shut"; ncdu reads its own configuration, so it runs as the test's user.
constexpr char kMakeTree[] = R"sh(set -e; chmod 755 .; mkdir -p t/a/b t/skip t/shut t/.dot t/c
cd t; head -c 5000 /dev/zero >a/f; ln a/f a/b/h; ln a/f c/h2; truncate -s 3M c/hole
printf x | dd of=c/sparse bs=1 seek=1M 2>/dev/null; ln -s a lnd; ln -s a/f lnf
head -c 9000 /dev/zero >skip/y; echo z >shut/z; chmod 000 shut; echo d >.dot/d
printf q >"$(printf 'bad\377\001name')")sh";
constexpr char kAsNobody[] = "setpriv --reuid=65534 --regid=65534 --clear-groups ";

// Every item of an export as (path, figures), sorted; what a round trip keeps.
constexpr char kCompare[] = R"(import json, sys
def items(path):
    def walk(node, at, out):
        info = node[0] if isinstance(node, list) else node
        here = at + '/' + info['name']
        out.append((here, [info.get(k) for k in ('asize', 'dsize', 'hlnkc', 'read_error',
                                                  'excluded', 'notreg')]))
        for child in (node[1:] if isinstance(node, list) else []): walk(child, here, out)
        return out
    text = open(path, 'rb').read().decode('utf-8', 'surrogateescape')
    return sorted(walk(json.loads(text)[3], '', []))
mine, theirs = items(sys.argv[1]), items(sys.argv[2])
sys.exit(0 if mine == theirs and len(mine) == 16 else print(mine, theirs, sep='\n') or 1))";

// gdu's first-level folders: name and bytes, its marks left out, sorted; the folder left out by
// the pattern is left out of gdu's own scan too (-i), and dropped from the list read from the
// file. gdu walks a tree in parallel and counts a hard-linked file under the name it meets first,
// so "a" and "c", which share one, are compared as their sum.
std::string GduFolders(const std::string& command) {
  return "gdu -n --no-prefix " + command +
         " | grep ' /' | grep -v ' /skip$' | sed 's/^.//' | awk '$2 == \"/a\" || $2 == \"/c\" "
         "{ shared += $1; next } { print } END { print shared, \"/a+/c\" }' | LC_ALL=C sort";
}

TEST(Export, NcduRoundTripsItAndGduReadsTheSameFolders) {
  if (HasRunner()) GTEST_SKIP() << "ncdu and gdu read Linux paths";
  const ChildResult tools = RunChild({"sh", "-c", "command -v ncdu gdu setpriv"}, {});
  if (tools.status != 0) GTEST_SKIP() << "ncdu, gdu or setpriv is missing: .ci/run installs them";
  TempTree tree;
  const ChildSettings here{EnvironmentWith({}), tree.Path()};
  ASSERT_EQ(0, RunChild({"sh", "-c", kMakeTree}, here).status);
  const std::string program = std::getenv("QUOVREL_PROGRAM");
  const std::string chart = kAsNobody + program + " t /Export=- /X=skip /DotFolders+ >q.json";
  const ChildResult exported = RunChild({"sh", "-c", chart}, here);
  ASSERT_EQ(0, exported.status) << exported.err;  // the classic mode: "shut" silently unread
  const ChildResult ncdu = RunChild({"ncdu", "-f", "q.json", "-o", "roundtrip.json"}, here);
  ASSERT_EQ(0, ncdu.status) << ncdu.err;
  const ChildResult same = RunChild({"python3", "-c", kCompare, "q.json", "roundtrip.json"}, here);
  EXPECT_EQ(0, same.status) << same.out << same.err;
  const ChildResult from_file = RunChild({"sh", "-c", GduFolders("-f q.json")}, here);
  const std::string on_disk = kAsNobody + GduFolders("-i " + tree.Path("t/skip") + " t");
  const ChildResult from_tree = RunChild({"sh", "-c", on_disk}, here);
  EXPECT_EQ(from_tree.out, from_file.out);
  EXPECT_NE(std::string::npos, from_file.out.find(" /shut\n")) << from_file.out;
}

}  // namespace
