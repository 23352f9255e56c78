// The command-line parser: a keyword table, one dispatch on the action number, the folder
// argument, the drive-relative rule and the existence test, then the derived settings.
#include "front/command_line.h"

#include <cstring>
#include <string_view>

#include "common/app_options.h"
#include "front/fixed_texts.h"
#include "platform/platform.h"

namespace {

constexpr int kUnknownOption = 0;
constexpr size_t kMaxPathText = kPathBufferSize - 1;

struct KeywordRow {
  const char* keyword;
  int action;
};

// Upper case only: the parser upper-cases each key before the lookup.
// One line per action.
// clang-format off
constexpr KeywordRow kKeywords[] = {
    {"A+", 1}, {"A", 1},
    {"A-", 2},
    {"FILEFIRST", 3}, {"IF", 3},
    {"FOLDERFIRST", 4}, {"OF", 4},
    {"HELP", 5}, {"H", 5}, {"?", 5},
    {"OUTPUTTOTAL+", 6}, {"OUTPUTTOTAL", 6},
    {"OUTPUTTOTAL-", 7},
    {"F+", 8}, {"F", 8},
    {"F-", 9},
    {"SIZE+", 10}, {"SIZE", 10},
    {"SIZE-", 11},
    {"SUM+", 12}, {"SUM", 12},
    {"SUM-", 13},
    {"TIME+", 14}, {"TIME", 14},
    {"TIME-", 15},
    {"TOTAL+", 16}, {"TOTAL", 16},
    {"TOTAL-", 17},
    {"NOSORT", 18},
    {"SORTBYNAME", 19}, {"SN", 19},
    {"SORTBYEXT", 20}, {"SE", 20},
    {"SORTBYSIZE", 21}, {"SS", 21},
    {"SORTBYTIME", 22}, {"ST", 22},
    {"ASCEND", 23},
    {"DESCEND", 24},
    {"VERBOSE+", 25}, {"VERBOSE", 25}, {"V", 25},
    {"VERBOSE-", 26},
    {"ONEFILESYSTEM+", 27}, {"ONEFILESYSTEM", 27},
    {"ONEFILESYSTEM-", 28},
    {"LINKS+", 29}, {"LINKS", 29},
    {"LINKS-", 30},
};
// clang-format on

// Byte by byte, without decoding: the second byte of a double-byte character that falls in
// a to z is changed too, exactly as the keys have always been matched.
void UpperCaseKey(char* argument, size_t begin, size_t end) {
  for (size_t i = begin; i < end; ++i) {
    if (argument[i] >= 'a' && argument[i] <= 'z')
      argument[i] = static_cast<char>(argument[i] - 0x20);
  }
}

// Copies `text` into a 260-byte field, zero-filling the rest, so the last byte is always 0.
void CopyIntoField(char* field, std::string_view text) {
  std::memset(field, 0, kPathBufferSize);
  std::memcpy(field, text.data(), text.size() < kMaxPathText ? text.size() : kMaxPathText);
}

// Action 6: the bytes after the first "=" name the total file.
int SetTotalFileName(Platform& platform, const char* argument, size_t length, size_t equals) {
  // A name too long for the field is refused rather than cut: a cut name is another file.
  if (length - 1 <= equals || length - 1 - equals > kMaxPathText) {
    WriteFixedLine(platform, kNoOutputFileMessage, argument);
    return -1;
  }
  CopyIntoField(g_options.TotalFileName, std::string_view(argument + equals + 1));
  return 0;
}

int PerformAction(Platform& platform, int action, const char* argument, size_t length,
                  size_t equals) {
  AppOptions& o = g_options;
  // One line per action, so the switch reads like the keyword table.
  // clang-format off
  switch (action) {
    case 1: o.UseAsciiGlyphs = true; break;
    case 2: o.UseAsciiGlyphs = false; break;
    case 3: o.FilesFirst = true; break;
    case 4: o.FilesFirst = false; break;
    case 5: o.ShowHelp = true; break;
    case 6: return SetTotalFileName(platform, argument, length, equals);
    case 7: o.TotalFileName[0] = 0; break;
    case 8: o.ShowFiles = true; break;
    case 9: o.ShowFiles = false; break;
    case 10: o.ShowSize = true; break;
    case 11: o.ShowSize = false; break;
    case 12: o.ShowSum = true; break;
    case 13: o.ShowSum = false; break;
    case 14: o.ShowTime = true; break;
    case 15: o.ShowTime = false; break;
    case 16: o.ShowTotal = true; break;
    case 17: o.ShowTotal = false; break;
    case 18: o.SortKey = NoSort; break;
    case 19: o.SortKey = SortByName; break;
    case 20: o.SortKey = SortByExt; break;
    case 21: o.SortKey = SortBySize; break;
    case 22: o.SortKey = SortByTime; break;
    case 23: o.Ascending = true; break;
    case 24: o.Ascending = false; break;
    case 25: o.ShowVersion = true; break;
    case 26: o.ShowVersion = false; break;
    case 27: o.OneFileSystem = true; break;
    case 28: o.OneFileSystem = false; break;
    case 29: o.FollowLinks = true; break;
    case 30: o.FollowLinks = false; break;
    default:
      WriteFixedLine(platform, kInvalidOptionMessage, argument);
      return -1;
  }
  // clang-format on
  return 0;
}

// An argument that starts with "/" or "-". The key runs from after the prefix to the first
// "="; it is upper-cased in place, so a failure message echoes it upper-cased.
int ParseOption(Platform& platform, const std::map<std::string, int>& table, char* argument) {
  const size_t length = std::strlen(argument);
  const char* equals_sign = std::strchr(argument, '=');
  const size_t equals = equals_sign ? static_cast<size_t>(equals_sign - argument) : length;
  std::string key(argument + 1, equals - 1);
  UpperCaseKey(key.data(), 0, key.size());
  auto found = table.find(key);
  // Where "/" also begins absolute paths, an argument that is no keyword but a path is the
  // folder to chart, kept exactly as typed.
  if (found == table.end() && argument[0] == '/' && platform.IsSlashPath(argument)) {
    CopyIntoField(g_options.RootPath, argument);
    return 0;
  }
  UpperCaseKey(argument, 1, equals);
  const int action = found == table.end() ? kUnknownOption : found->second;
  return PerformAction(platform, action, argument, length, equals);
}

void ReadCurrentDirectory(Platform& platform) {
  // A current directory that does not fit the field is charted as "." rather than refused.
  if (platform.GetCurrentDirectory(g_options.RootPath, kPathBufferSize) != 0) {
    CopyIntoField(g_options.RootPath, ".");
  }
}

// A drive letter and colon not followed by "\" names a folder relative to that drive's own
// current directory; it is made the current directory and read back as a full path.
int ApplyDriveRelativeRule(Platform& platform) {
  const char* path = g_options.RootPath;
  if (path[0] == 0 || path[1] != ':' || path[2] == '\\') return 0;
  // When the change fails, the path as typed is refused: charting the unchanged current
  // directory instead would show a folder the user did not ask for.
  if (platform.SetCurrentDirectory(path) != 0) {
    WriteFixedLine(platform, kInvalidFolderMessage, path);
    return -1;
  }
  ReadCurrentDirectory(platform);
  return 0;
}

}  // namespace

std::map<std::string, int> MakeKeywordTable() {
  std::map<std::string, int> table;
  for (const KeywordRow& row : kKeywords) table.emplace(row.keyword, row.action);
  return table;
}

int ParseCommandLine(Platform& platform, int argc, char** argv) {
  const std::map<std::string, int> table = MakeKeywordTable();
  ReadCurrentDirectory(platform);
  for (int i = 1; i < argc; ++i) {
    char* argument = argv[i];
    if (argument[0] == '/' || argument[0] == '-') {
      if (ParseOption(platform, table, argument) != 0) return -1;
    } else {
      // Any other argument, the empty one included, is the folder; a later one wins.
      CopyIntoField(g_options.RootPath, argument);
    }
  }
  if (ApplyDriveRelativeRule(platform) != 0) return -1;
  if (!platform.DirectoryExists(g_options.RootPath)) {
    WriteFixedLine(platform, kInvalidFolderMessage, g_options.RootPath);
    return -1;
  }
  DeriveSettings(g_options);
  return 0;
}
