// The complete output of every option combination on a generated tree of a few thousand entries,
// compared with a manifest of hashes taken from the program before its scan, tree and renderer
// were made faster, so that no change of speed or memory can change one byte of a chart.
//
// QUOVREL_UPDATE_FIXTURE=1 rewrites the manifest from the program under test instead of checking;
// QUOVREL_FIXTURE_DUMP=DIR also writes each combination's output, status and total file into DIR
// (one file per manifest key), so that two programs' charts can be compared line by line.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "e2e_support.h"

namespace {

// The manifest sits in tests/fixtures beside this file's folder.
std::string ManifestPath() {
  std::string here = __FILE__;
  return here.substr(0, here.rfind('/')) + "/../fixtures/chart_hashes.txt";
}

// A fixed linear congruential sequence: the tree is the same with every compiler and library.
class Sequence {
 public:
  uint32_t Next() {
    state_ = state_ * 6364136223846793005ull + 1442695040888963407ull;
    return static_cast<uint32_t>(state_ >> 33);
  }
  uint32_t Below(uint32_t bound) { return Next() % bound; }

 private:
  uint64_t state_ = 20261208;
};

// Names of every kind the chart must keep: mixed case, several full stops, none, Japanese
// (full- and half-width), a control character, bytes that are not UTF-8, a character code page
// 932 cannot hold, and pairs equal but for case.
const char* const kStems[] = {"readme",    "README",   "Report",   "data",         "IMG_",
                              "a",         "zz",       "Makefile", "notes",        "x.y",
                              "資料",      "ﾃｽﾄ",      "表計算",   "ドキュメント", "ａｂｃ",
                              "tab\tname", "\xff\xfe", "😀",        "Zeta",         "beta"};
const char* const kExtensions[] = {"",     ".txt", ".TXT", ".c",    ".h",   ".tar.gz", ".jpeg",
                                   ".JPG", ".",    ".md",  ".日本", ".Txt", ".log"};

// Sizes: mostly small, some large, the 32-bit edges, a few past 4 GiB and one that widens the
// size column of its folder.
int64_t PickSize(Sequence& random) {
  switch (random.Below(20)) {
    case 0:
      return 0;
    case 1:
      return 1000;  // many equal sizes, so the name breaks the tie
    case 2:
      return random.Below(50000000);
    case 3: {
      const int64_t edges[] = {4294967295ll, 4294967296ll, 4294967296ll + 123, 5000000000ll,
                               999999999999ll};
      return edges[random.Below(5)];
    }
    default:
      return random.Below(70000);
  }
}

// Times: mostly 2000 to 2025 (odd seconds included), some shared, a few before 1980 and after
// 2107, outside the DOS range.
std::time_t PickTime(Sequence& random) {
  switch (random.Below(25)) {
    case 0:
      return 1433116800;  // shared: the name breaks the tie
    case 1:
      return 86400 * static_cast<std::time_t>(random.Below(3600));  // 1970 to 1979
    case 2:
      return 4400000000ll + random.Below(2000000000);  // after 2107
    default:
      return 946684800ll + random.Below(820000000);
  }
}

struct Entry {
  std::string path;
  std::time_t time;
};

// Makes folder "t" with about 300 folders and 2,700 files, up to 7 levels below it; dot-folders
// and dot-files; a link to a folder and a dangling link. Every time is set at the end, deepest
// entries first, so no later change moves a folder's time.
void MakeFixtureTree(TempTree& tree) {
  Sequence random;
  std::vector<std::string> folders{"t"};
  std::vector<int> depths{0};
  std::set<std::string> taken;
  std::vector<Entry> entries;
  auto unique_name = [&](const std::string& parent, bool is_folder) {
    for (;;) {
      std::string name = random.Below(30) == 0 ? "." : "";
      name += kStems[random.Below(std::size(kStems))];
      if (random.Below(3) != 0) name += std::to_string(random.Below(40));
      if (!is_folder || random.Below(4) == 0)
        name += kExtensions[random.Below(std::size(kExtensions))];
      if (taken.insert(parent + "/" + name).second) return parent + "/" + name;
    }
  };
  for (int i = 0; i < 300; ++i) {
    // A recent folder as the parent more often than not, so some branches run deep.
    size_t parent = random.Below(2)
                        ? folders.size() - 1 - random.Below(std::min<size_t>(folders.size(), 8))
                        : random.Below(folders.size());
    if (depths[parent] >= 7) parent = 0;
    const std::string path = unique_name(folders[parent], true);
    ASSERT_TRUE(tree.MakeFolder(path)) << path;
    folders.push_back(path);
    depths.push_back(depths[parent] + 1);
  }
  for (int i = 0; i < 2700; ++i) {
    // Heavy-tailed: a few folders hold many files, a fifth hold none of their own.
    size_t folder = random.Below(4) == 0 ? random.Below(8) : random.Below(folders.size());
    if (folder % 5 == 4) folder = 0;
    const std::string path = unique_name(folders[folder], false);
    ASSERT_TRUE(tree.MakeFile(path, PickSize(random))) << path;
    entries.push_back(Entry{path, PickTime(random)});
  }
  const std::string target = "../" + folders[3].substr(2);
  ASSERT_EQ(0, symlink(target.c_str(), tree.Path(folders[1] + "/link").c_str()));
  // A dangling link shows its own time, which only the no-follow call can set.
  ASSERT_EQ(0, symlink("nowhere", tree.Path("t/dangling").c_str()));
  const timespec dangling_time[2] = {{1234567890, 0}, {1234567890, 0}};
  ASSERT_EQ(
      0, utimensat(AT_FDCWD, tree.Path("t/dangling").c_str(), dangling_time, AT_SYMLINK_NOFOLLOW));
  for (size_t i = folders.size(); i-- > 1;) entries.push_back(Entry{folders[i], PickTime(random)});
  for (const Entry& entry : entries)
    ASSERT_TRUE(tree.SetTime(entry.path, entry.time)) << entry.path;
}

// FNV-1a, 64 bits: a hash that no library version can change.
uint64_t HashBytes(const std::string& bytes, uint64_t hash = 14695981039346656037ull) {
  for (unsigned char byte : bytes) hash = (hash ^ byte) * 1099511628211ull;
  return hash;
}

// One option combination: the sort key, the direction and the grouping, then seven switches
// ("." where off), as the manifest's key, e.g. "SE-o F.M.T.A".
struct Combination {
  std::string key;
  std::vector<std::string> options;
};

std::vector<Combination> EveryCombination() {
  const char* const sorts[][2] = {
      {"NS", "/NoSort"}, {"SN", "/SN"}, {"SE", "/SE"}, {"SS", "/SS"}, {"ST", "/ST"}};
  const char* const switches[][2] = {{"F", "/F"},     {"Z", "/Size"},
                                     {"M", "/Time"},  {"U", "/Sum"},
                                     {"T", "/Total"}, {"O", "/OutputTotal=total.txt"},
                                     {"A", "/A"}};
  std::vector<Combination> all;
  for (const auto& sort : sorts) {
    for (int descending = 0; descending < 2; ++descending) {
      for (int folders_first = 0; folders_first < 2; ++folders_first) {
        for (int bits = 0; bits < 128; ++bits) {
          Combination c;
          c.key =
              std::string(sort[0]) + (descending ? "-" : "+") + (folders_first ? "o" : "f") + " ";
          c.options = {sort[1], descending ? "/Descend" : "/Ascend", folders_first ? "/OF" : "/IF"};
          for (int s = 0; s < 7; ++s) {
            const bool on = (bits >> s) & 1;
            c.key += on ? switches[s][0] : ".";
            if (on) c.options.push_back(switches[s][1]);
          }
          all.push_back(c);
        }
      }
    }
  }
  return all;
}

std::string HexHash(uint64_t hash) {
  char text[17];
  snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
  return text;
}

// The hash of standard output, the exit status and the total file of one run; `detail` gets
// the status and the start of the output, to tell a changed chart from a run that failed.
std::string RunHash(const TempTree& tree, const Combination& combination, std::string& detail) {
  const std::string total_file = tree.Path("total.txt");
  unlink(total_file.c_str());
  std::vector<std::string> arguments{"t"};
  arguments.insert(arguments.end(), combination.options.begin(), combination.options.end());
  const RunResult run = RunProgram(arguments, RunSettings{tree.Path(), {"TZ=UTC", "LC_ALL=C"}});
  uint64_t hash = HashBytes(run.out);
  hash = HashBytes(std::to_string(run.status) + "|" + ReadFileBytes(total_file), hash);
  if (const char* dump = std::getenv("QUOVREL_FIXTURE_DUMP")) {
    std::ofstream(std::string(dump) + "/" + combination.key, std::ios::binary)
        << run.out << "|status " << run.status << "|total " << ReadFileBytes(total_file);
  }
  detail = "status " + std::to_string(run.status) + ", " + std::to_string(run.out.size()) +
           " bytes, beginning " + ::testing::PrintToString(run.out.substr(0, 80)) + ", stderr " +
           ::testing::PrintToString(run.err.substr(0, 200));
  return HexHash(hash);
}

std::map<std::string, std::string> ReadManifest() {
  std::map<std::string, std::string> hashes;
  std::ifstream in(ManifestPath());
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    const size_t space = line.rfind(' ');
    hashes[line.substr(0, space)] = line.substr(space + 1);
  }
  return hashes;
}

void WriteManifest(const std::vector<Combination>& all, const std::vector<std::string>& hashes) {
  std::ofstream out(ManifestPath());
  out << "# chart_fixture_test: FNV-1a 64 of stdout, exit status and total file per combination.\n"
         "# Key: sort, + or - (direction), f or o (files or folders first), then /F /Size /Time\n"
         "# /Sum /Total /OutputTotal /A as F Z M U T O A, \".\" where off.\n";
  for (size_t i = 0; i < all.size(); ++i) out << all[i].key << ' ' << hashes[i] << '\n';
}

TEST(ChartFixture, EveryOptionCombinationMatchesTheManifest) {
  // The manifest holds the Linux program's charts; a Windows program enumerates differently.
  if (HasRunner()) GTEST_SKIP() << "the manifest is of the Linux program";
  TempTree tree;
  ASSERT_TRUE(tree.IsReady());
  MakeFixtureTree(tree);
  const std::vector<Combination> all = EveryCombination();
  std::vector<std::string> hashes(all.size());
  std::vector<std::string> details(all.size());
  for (size_t i = 0; i < all.size(); ++i) hashes[i] = RunHash(tree, all[i], details[i]);
  const char* update = std::getenv("QUOVREL_UPDATE_FIXTURE");
  if (update && std::string(update) == "1") {
    WriteManifest(all, hashes);
    GTEST_SKIP() << "manifest rewritten: " << ManifestPath();
  }
  const std::map<std::string, std::string> expected = ReadManifest();
  ASSERT_EQ(all.size(), expected.size()) << ManifestPath();
  for (size_t i = 0; i < all.size(); ++i) {
    const auto found = expected.find(all[i].key);
    ASSERT_NE(found, expected.end()) << all[i].key;
    EXPECT_EQ(found->second, hashes[i]) << all[i].key << ": " << details[i];
  }
}

// The tree is as large as it says, so the manifest checks charts of a few thousand lines.
TEST(ChartFixture, TheTreeHasAFewThousandEntries) {
  if (HasRunner()) GTEST_SKIP() << "the manifest is of the Linux program";
  TempTree tree;
  ASSERT_TRUE(tree.IsReady());
  MakeFixtureTree(tree);
  const RunResult run = RunProgram({"t", "/F"}, RunSettings{tree.Path(), {"TZ=UTC"}});
  std::vector<std::string> lines;
  ASSERT_TRUE(SplitCrLfLines(run.out, lines));
  EXPECT_GT(lines.size(), 2500u);
}

}  // namespace
