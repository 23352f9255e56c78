// The command-line parser: a keyword table, one dispatch on the action number, the folder
// argument, the drive-relative rule and the existence test, then the derived settings.
#include "front/command_line.h"

#include <algorithm>
#include <map>
#include <string>
#include <string_view>

#include "common/app_options.h"
#include "common/chart_text.h"
#include "front/fixed_texts.h"
#include "front/long_options.h"
#include "front/messages.h"
#include "platform/platform.h"

namespace {

constexpr int kUnknownOption = 0;
// ParseOption's result for "--": every later argument is a folder.
constexpr int kOptionsEnded = 1;
// The actions that choose the chart's encoding, which the parser settles before all others.
constexpr int kEndOfOptionsAction = 41;  // "--"
constexpr int kUtf8OnAction = 42;
constexpr int kUtf8OffAction = 43;
// "/Json+" and "/Json-": a JSON document is UTF-8, so these choose the encoding too.
constexpr int kJsonOnAction = 51;
constexpr int kJsonOffAction = 52;
constexpr int kLongHelpAction = 39;     // "--help"
constexpr int kLongVersionAction = 40;  // "--version"

struct KeywordRow {
  const char* keyword;
  int action;
};

// Upper case only: the parser upper-cases each key before the lookup.
// One line per action. The long options ("--depth=2") are rows of their own table
// (front/long_options.cc), each naming one of these actions; "--help" (39), "--version" (40) and
// "--color=auto" (46) have no classic keyword.
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
    {"DEPTH", 31}, {"L", 31},
    {"DEPTH-", 32},
    {"DOTFOLDERS+", 33}, {"DOTFOLDERS", 33},
    {"DOTFOLDERS-", 34},
    {"EXCLUDE", 35}, {"X", 35},
    {"EXCLUDE-", 36},
    {"HUMAN+", 37}, {"HUMAN", 37},
    {"HUMAN-", 38},
    {"-", 41},
    {"UTF8+", 42}, {"UTF8", 42},
    {"UTF8-", 43},
    {"COLOR+", 44}, {"COLOR", 44},
    {"COLOR-", 45},
    {"DISKUSAGE+", 47}, {"DISKUSAGE", 47}, {"DU", 47},
    {"DISKUSAGE-", 48},
    {"APPARENT+", 49}, {"APPARENT", 49},
    {"APPARENT-", 50},
    {"JSON+", 51}, {"JSON", 51},
    {"JSON-", 52},
    {"IMPORT", 55},
    {"IMPORT-", 56},
    {"EXPORT", 53},
    {"EXPORT-", 54},
    {"THREADS", 57}, {"J", 57},
    {"THREADS-", 58},
};
// clang-format on

using KeywordTable = std::map<std::string, int>;

KeywordTable MakeKeywordTable() {
  KeywordTable table;
  for (const KeywordRow& row : kKeywords) table.emplace(row.keyword, row.action);
  return table;
}

// Upper-cases a to z in bytes [begin, end) of `text`, skipping the later bytes of every
// character of several (of UTF-8 when `is_utf8`, else code page 932), so that Japanese text in an
// echoed option stays as typed. Every keyword is ASCII, so no key matches differently for it.
void UpperCaseKey(std::string& text, size_t begin, size_t end, bool is_utf8) {
  const CharacterLengthFunction length = ChartCharacterLength(is_utf8);
  for (size_t i = begin; i < end; i += length(text, i)) {
    const unsigned char byte = static_cast<unsigned char>(text[i]);
    if (byte >= 'a' && byte <= 'z') text[i] = static_cast<char>(byte - 0x20);
  }
}

// The action of the option `text` (an argument that begins with "/" or "-"), kUnknownOption when
// it is none.
int FindAction(const KeywordTable& table, std::string_view text, bool is_utf8) {
  const size_t equals = std::min(text.find('='), text.size());
  std::string key(text.substr(1, equals - 1));
  UpperCaseKey(key, 0, key.size(), is_utf8);
  auto found = table.find(key);
  return found == table.end() ? kUnknownOption : found->second;
}

// How the arguments read: the classic keywords, and whether "-L N" takes the depth from the
// next argument.
struct OptionGrammar {
  KeywordTable Keywords;
  bool IsDepthApartAllowed = false;
};

// The option at arguments[i], an argument that begins with "/" or "-".
OptionRead ReadOption(const OptionGrammar& grammar, const std::vector<PathText>& arguments,
                      size_t i, bool is_utf8) {
  const PathText& argument = arguments[i];
  const EqualsSplit split = SplitAtFirstEquals(argument);
  if (IsLongOption(argument.Shown)) return ReadLongOption(arguments, i, split);
  OptionRead read{FindAction(grammar.Keywords, argument.Shown, is_utf8), split.After, false};
  // "-L N" and "-j N", where the grammar has them: the value is the next argument, case as typed.
  const bool is_apart = argument.Shown == "-L" || argument.Shown == "-j";
  if (grammar.IsDepthApartAllowed && is_apart && i + 1 < arguments.size()) {
    read.Value = arguments[i + 1];
    read.TakesNext = true;
  }
  return read;
}

// The chart's encoding is settled before any argument is read as text: the last "/UTF8+" or
// "/UTF8-" before a "--" decides, else the platform's default, in which the platform read the
// arguments. When the choice differs from it, every argument is shown anew in the one chosen, so
// that an echo in a message and the folder on the root line are in the chart's encoding.
// Returns the setting chosen.
int32_t SettleEncoding(Platform& platform, const OptionGrammar& grammar,
                       std::vector<PathText>& arguments) {
  const int32_t by_default = platform.IsUtf8ByDefault() ? Utf8On : Utf8Off;
  int32_t utf8 = by_default;
  bool is_json = false;
  for (size_t i = 1; i < arguments.size(); ++i) {
    const std::string& text = arguments[i].Shown;
    if (text.empty() || (text[0] != '/' && text[0] != '-')) continue;
    const OptionRead read = ReadOption(grammar, arguments, i, utf8 == Utf8On);
    const int action = read.Action;
    i += read.TakesNext;
    if (action == kUtf8OnAction) utf8 = Utf8On;
    if (action == kUtf8OffAction) utf8 = Utf8Off;
    if (action == kJsonOnAction || action == kJsonOffAction) is_json = action == kJsonOnAction;
    if (action == kEndOfOptionsAction) break;  // what follows are folders
  }
  if (is_json) utf8 = Utf8On;
  if (utf8 == by_default) return utf8;
  platform.SetUtf8Texts(utf8 == Utf8On);
  for (PathText& argument : arguments) argument = platform.TextFromNative(argument.Native);
  return utf8;
}

// Action 6: the text after the first "=" names the total file, kept whole however long, in both
// its forms.
int SetTotalFileName(Platform& platform, AppOptions& options, const PathText& argument,
                     const PathText& value) {
  if (value.Shown.empty()) {
    ReportMissingTotalFileName(platform, argument.Shown);
    return -1;
  }
  options.TotalFileName = value;
  return 0;
}

// Writes the message of an unknown option, which is also that of a value an option refuses.
int RefuseOption(Platform& platform, const PathText& argument) {
  ReportInvalidOption(platform, argument.Shown);
  return -1;
}

// Action 55: the saved scan to chart, kept whole in both its forms.
int SetImportFileName(Platform& platform, AppOptions& options, const PathText& argument,
                      const PathText& value) {
  if (value.Shown.empty()) {
    // The classic text of a missing name asks for an output file, which this is not.
    if (platform.IsClassicMode()) return RefuseOption(platform, argument);
    ReportMissingTotalFileName(platform, argument.Shown);
    return -1;
  }
  options.ImportFileName = value;
  return 0;
}

// Action 31: the depth, a whole number from 0 up in decimal digits alone. A number past any
// real depth means no limit.
int SetMaxDepth(Platform& platform, AppOptions& options, const PathText& argument,
                std::string_view value) {
  if (value.empty() || value.find_first_not_of("0123456789") != std::string_view::npos) {
    return RefuseOption(platform, argument);
  }
  int64_t depth = 0;
  for (char digit : value) depth = std::min<int64_t>(depth * 10 + (digit - '0'), kNoDepthLimit);
  options.MaxDepth = static_cast<int32_t>(depth);
  return 0;
}

// Action 57: the walk's threads, a whole number from 1 to kMostWalkThreads in decimal digits.
int SetWalkThreads(Platform& platform, AppOptions& options, const PathText& argument,
                   std::string_view value) {
  constexpr size_t kMostWalkThreads = 1024;
  const bool is_digits =
      !value.empty() && value.find_first_not_of("0123456789") == std::string_view::npos;
  size_t threads = 0;
  for (char digit : is_digits ? value : std::string_view()) {
    threads = std::min(threads * 10 + static_cast<size_t>(digit - '0'), kMostWalkThreads + 1);
  }
  if (threads == 0 || threads > kMostWalkThreads) return RefuseOption(platform, argument);
  options.WalkThreads = threads;
  return 0;
}

// Action 35: one more pattern. Refused: an empty one; one holding a "/", which no name can hold
// (a pattern that can never match is a mistake better told than ignored; "/" is never the second
// byte of a two-byte character, so a byte search finds only the character); and, in code page
// 932, one with a character shown as "?", which would match any character and so leave out far
// more than asked. A UTF-8 chart shows every character of a pattern.
int AddExcludePattern(Platform& platform, AppOptions& options, const PathText& argument,
                      const PathText& value) {
  const bool has_lost = value.HasLostCharacters && options.Utf8 != Utf8On;
  if (value.Shown.empty() || value.Shown.find('/') != std::string::npos || has_lost) {
    return RefuseOption(platform, argument);
  }
  options.ExcludePatterns.push_back(value.Shown);
  return 0;
}

// Action 53: the export's file, "-" for standard output; an empty name is refused.
int SetExportFileName(Platform& platform, AppOptions& options, const PathText& argument,
                      const PathText& value) {
  if (value.Shown.empty()) return RefuseOption(platform, argument);
  options.ExportFileName = value;
  return 0;
}

// du's accounting counts every byte below the folder once: the folders named ".name" too, and no
// folder twice through a link. A later /DotFolders- or /Links+ still says otherwise.
void SetDiskUsage(AppOptions& o) {
  o.CountDiskUsage = true;
  o.ShowDotFolders = true;
  o.FollowLinks = false;
}

// `value` is the text after the first "=" of `argument`, empty when it has none.
int PerformAction(Platform& platform, AppOptions& o, int action, const PathText& argument,
                  const PathText& value) {
  // One line per action, so the switch reads like the keyword table.
  // clang-format off
  switch (action) {
    case 1: o.UseAsciiGlyphs = true; break;
    case 2: o.UseAsciiGlyphs = false; break;
    case 3: o.FilesFirst = true; break;
    case 4: o.FilesFirst = false; break;
    case 5: o.ShowHelp = true; break;
    case 6: return SetTotalFileName(platform, o, argument, value);
    case 7: o.TotalFileName = PathText{}; break;
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
    case 31: return SetMaxDepth(platform, o, argument, value.Shown);
    case 32: o.MaxDepth = kNoDepthLimit; break;
    case 33: o.ShowDotFolders = true; break;
    case 34: o.ShowDotFolders = false; break;
    case 35: return AddExcludePattern(platform, o, argument, value);
    case 36: o.ExcludePatterns.clear(); break;
    case 37: o.ShowHumanSizes = true; break;
    case 38: o.ShowHumanSizes = false; break;
    case kEndOfOptionsAction: return kOptionsEnded;
    case kUtf8OnAction: o.Utf8 = Utf8On; break;
    case kUtf8OffAction: o.Utf8 = Utf8Off; break;
    case 44: o.ColorWhen = ColorAlways; break;
    case 45: o.ColorWhen = ColorNever; break;
    case 46: o.ColorWhen = ColorAuto; break;
    case 47: SetDiskUsage(o); break;
    case 48: o.CountDiskUsage = false; break;
    case 49: o.CountApparentSizes = true; break;
    case 50: o.CountApparentSizes = false; break;
    case kJsonOnAction: o.ShowJson = true; break;
    case kJsonOffAction: o.ShowJson = false; break;
    case 55: return SetImportFileName(platform, o, argument, value);
    case 56: o.ImportFileName = PathText{}; break;
    case 57: return SetWalkThreads(platform, o, argument, value.Shown);
    case 58: o.WalkThreads = 0; break;
    case 53: return SetExportFileName(platform, o, argument, value);
    case 54: o.ExportFileName = PathText{}; break;
    default: return RefuseOption(platform, argument);
  }
  // clang-format on
  return 0;
}

// "--help" and "--version" end the run whatever else the command line holds, as a GNU program's
// do: a bad option, a missing folder or a later value is not looked at. True when one of them
// stands before any "--"; the options then say which texts to print.
bool FindEndingOption(const OptionGrammar& grammar, const std::vector<PathText>& arguments,
                      AppOptions& options) {
  bool is_found = false;
  for (size_t i = 1; i < arguments.size(); ++i) {
    const std::string& text = arguments[i].Shown;
    if (text.empty() || (text[0] != '/' && text[0] != '-')) continue;
    const OptionRead read = ReadOption(grammar, arguments, i, options.Utf8 == Utf8On);
    const int action = read.Action;
    i += read.TakesNext;
    if (action == kEndOfOptionsAction) break;
    if (action == kLongHelpAction) options.ShowHelp = options.ShowExtensionHelp = true;
    if (action == kLongVersionAction) options.ShowVersionAlone = true;
    is_found = is_found || action == kLongHelpAction || action == kLongVersionAction;
  }
  return is_found;
}

// A folder argument becomes RootPath: in the classic mode a later one wins, in the Linux mode the
// earlier ones are kept to be charted first. The current directory stands in RootPath until the
// first folder comes.
void TakeFolder(Platform& platform, AppOptions& options, const PathText& folder) {
  if (!platform.IsClassicMode() && options.HasFolderArgument) {
    options.EarlierFolders.push_back(options.RootPath);
  }
  options.RootPath = folder;
  options.HasFolderArgument = true;
}

// The Linux mode's folders named before the last that are not there: each is reported and left
// out, and the others are still charted, as a missing one among several is no reason to chart
// none; the run's status tells of it.
void DropMissingEarlierFolders(Platform& platform, AppOptions& options) {
  std::vector<PathText> found;
  for (const PathText& folder : options.EarlierFolders) {
    if (platform.DirectoryExists(folder)) {
      found.push_back(folder);
    } else {
      ReportInvalidFolder(platform, folder.Shown);
      options.HasMissingFolder = true;
    }
  }
  options.EarlierFolders = std::move(found);
}

// Where "/" also begins absolute paths, an argument that begins with "/" and is no keyword is a
// path when a second "/" comes before any "=" (no option key holds one) or when it names an
// existing folder, such as /tmp.
bool IsSlashPath(Platform& platform, const PathText& argument, size_t equals) {
  if (argument.Shown[0] != '/' || !platform.SlashStartsPath()) return false;
  return argument.Shown.find('/', 1) < equals || platform.DirectoryExists(argument);
}

// The option at arguments[i], which starts with "/" or "-". The key runs from after the prefix
// to the first "="; it is upper-cased in place, so a failure message echoes it upper-cased, and
// a value given apart follows it there. `i` moves past a value taken from the next argument.
// Returns 0 to go on, kOptionsEnded after "--", -1 after a failure message.
int ParseOption(Platform& platform, AppOptions& options, const OptionGrammar& grammar,
                std::vector<PathText>& arguments, size_t& i) {
  PathText& argument = arguments[i];
  const size_t equals = std::min(argument.Shown.find('='), argument.Shown.size());
  const bool is_utf8 = options.Utf8 == Utf8On;
  const OptionRead read = ReadOption(grammar, arguments, i, is_utf8);
  // A path is the folder to chart, kept exactly as typed.
  if (read.Action == kUnknownOption && IsSlashPath(platform, argument, equals)) {
    TakeFolder(platform, options, argument);
    return 0;
  }
  UpperCaseKey(argument.Shown, 1, equals, is_utf8);
  if (!read.TakesNext) return PerformAction(platform, options, read.Action, argument, read.Value);
  ++i;
  PathText echo = argument;
  echo.Shown.append(" ").append(read.Value.Shown);
  return PerformAction(platform, options, read.Action, echo, read.Value);
}

// A drive letter and colon not followed by "\" names a folder relative to that drive's own
// current directory; it is made the current directory and read back as a full path.
int ApplyDriveRelativeRule(Platform& platform, AppOptions& options) {
  const std::string& path = options.RootPath.Shown;
  if (path.size() < 2 || path[1] != ':' || (path.size() > 2 && path[2] == '\\')) return 0;
  // When the change fails, the path as typed is refused: charting the unchanged current
  // directory instead would show a folder the user did not ask for.
  if (platform.ChangeCurrentFolder(options.RootPath) != 0) {
    ReportInvalidFolder(platform, path);
    return -1;
  }
  options.RootPath = platform.ReadCurrentFolder();
  return 0;
}

// Names are coloured where colour is asked for ("always" also readies a Windows console for
// it), and by default on a screen that shows colour, for a UTF-8 chart alone: a code page 932
// chart keeps its bytes unless colour is asked for. The user's wish for none (NO_COLOR set to
// anything, or a terminal of type "dumb") is heeded before the screen is looked at.
bool IsColorShown(Platform& platform, const AppOptions& options) {
  if (options.ShowJson) return false;  // a colour sequence would break the document's texts
  if (options.ColorWhen == ColorNever) return false;
  if (options.ColorWhen == ColorAlways) {
    platform.IsColorScreen();
    return true;
  }
  if (!options.IsUtf8Chart || !platform.ReadEnvironment("NO_COLOR").empty()) return false;
  return platform.ReadEnvironment("TERM") != "dumb" && platform.IsColorScreen();
}

}  // namespace

int ParseCommandLine(Platform& platform, std::vector<PathText>& arguments, AppOptions& options,
                     bool is_depth_apart_allowed) {
  const OptionGrammar grammar{MakeKeywordTable(), is_depth_apart_allowed};
  options.Utf8 = SettleEncoding(platform, grammar, arguments);
  options.RootPath = platform.ReadCurrentFolder();
  if (FindEndingOption(grammar, arguments, options)) {
    DeriveSettings(options);
    return 0;
  }
  bool options_ended = false;
  for (size_t i = 1; i < arguments.size(); ++i) {
    PathText& argument = arguments[i];
    const bool is_option =
        !argument.Shown.empty() && (argument.Shown[0] == '/' || argument.Shown[0] == '-');
    if (is_option && !options_ended) {
      const int result = ParseOption(platform, options, grammar, arguments, i);
      if (result < 0) return -1;
      options_ended = result == kOptionsEnded;
    } else {
      // Any other argument, the empty one included, is a folder, kept whole.
      TakeFolder(platform, options, argument);
    }
  }
  // A saved scan holds too little to be exported again (no link counts, no kinds, nothing of what
  // it left out): the two are refused together rather than an export of empty items.
  if (!options.ImportFileName.Shown.empty() && !options.ExportFileName.Shown.empty()) {
    ReportInvalidOption(platform, "/EXPORT");
    return -1;
  }
  // A saved scan is charted instead of any folder, which is then not looked for.
  if (!options.ImportFileName.Shown.empty()) {
    options.EarlierFolders.clear();
  } else {
    DropMissingEarlierFolders(platform, options);
  }
  if (ApplyDriveRelativeRule(platform, options) != 0) return -1;
  if (options.ImportFileName.Shown.empty() && !platform.DirectoryExists(options.RootPath)) {
    ReportInvalidFolder(platform, options.RootPath.Shown);
    if (options.EarlierFolders.empty()) return -1;
    // The others are still charted: the last of them takes the missing one's place.
    options.HasMissingFolder = true;
    options.RootPath = options.EarlierFolders.back();
    options.EarlierFolders.pop_back();
  }
  DeriveSettings(options);
  options.ShowColor = IsColorShown(platform, options);
  // A streamed chart with a sort key walks in the chart's order, and a web of links reached from
  // two folders the sort swaps would be expanded under the other one. The classic chart decides
  // that in the listing's order, so there a sorted chart that follows links waits for the walk.
  if (platform.IsClassicMode() && options.FollowLinks && options.SortKey != NoSort) {
    options.IsChartStreamed = false;
  }
  return 0;
}
