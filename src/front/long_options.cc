// The long options' table and their lookup by unique prefix, in any case.
#include "front/long_options.h"

#include <cstring>

namespace {

// What a long option does with a value: none allowed, one needed (after "=" or as the next
// argument), or one allowed only after "=" (as "--color" takes it).
enum class LongValue { kNone, kNeeded, kAllowed };

// A word a long option's value may be, and the classic action it stands for.
struct LongChoice {
  const char* word;
  int action;
};

// One long option. An option whose value is free text (a depth, a pattern, a file) carries
// its value to `action`; one whose value is a word has `choices`, each its own action, and
// `action` is what it does without a value.
struct LongOptionRow {
  const char* name;  // lower case, without the leading "--"
  LongValue value;
  int action;
  const LongChoice* choices = nullptr;
};

// The values of "--sort", "--charset" and "--color", each the action of its classic keyword.
// A list ends with a null word.
// clang-format off
constexpr LongChoice kSortChoices[] = {
    {"none", 18}, {"name", 19}, {"extension", 20}, {"size", 21}, {"time", 22}, {nullptr, 0},
};
constexpr LongChoice kCharsetChoices[] = {
    {"utf-8", 42}, {"utf8", 42}, {"cp932", 43}, {nullptr, 0},
};
// "yes", "no" and their kin as ls takes them, so a habit typed there works here.
constexpr LongChoice kColorChoices[] = {
    {"always", 44}, {"yes", 44}, {"force", 44},
    {"never", 45}, {"no", 45}, {"none", 45},
    {"auto", 46}, {"tty", 46}, {"if-tty", 46}, {nullptr, 0},
};

// One line per long option; `action` is that of the classic keyword in the comment
// (front/command_line.cc), so a long option and its keyword act alike.
constexpr LongOptionRow kLongOptions[] = {
    {"ascii", LongValue::kNone, 1},                     // /A+
    {"files-first", LongValue::kNone, 3},               // /FileFirst
    {"folders-first", LongValue::kNone, 4},             // /FolderFirst
    {"output-total", LongValue::kNeeded, 6},            // /OutputTotal=FILE
    {"files", LongValue::kNone, 8},                     // /F+
    {"size", LongValue::kNone, 10},                     // /Size+
    {"sum", LongValue::kNone, 12},                      // /Sum+
    {"time", LongValue::kNone, 14},                     // /Time+
    {"total", LongValue::kNone, 16},                    // /Total+
    {"sort", LongValue::kNeeded, 0, kSortChoices},      // /NoSort, /SN, /SE, /SS, /ST
    {"reverse", LongValue::kNone, 24},                  // /Descend
    {"one-file-system", LongValue::kNone, 27},          // /OneFileSystem+
    {"links", LongValue::kNone, 29},                    // /Links+
    {"no-links", LongValue::kNone, 30},                 // /Links-
    {"depth", LongValue::kNeeded, 31},                  // /Depth=N
    {"max-depth", LongValue::kNeeded, 31},              // /Depth=N
    {"dot-folders", LongValue::kNone, 33},              // /DotFolders+
    {"exclude", LongValue::kNeeded, 35},                // /Exclude=PATTERN
    {"human-readable", LongValue::kNone, 37},           // /Human+
    {"disk-usage", LongValue::kNone, 47},               // /DiskUsage+
    {"apparent-size", LongValue::kNone, 49},            // /Apparent+
    {"json", LongValue::kNone, 51},                     // /Json+
    {"import", LongValue::kNeeded, 55},                 // /Import=FILE
    {"export", LongValue::kNeeded, 53},                 // /Export=FILE
    {"threads", LongValue::kNeeded, 57},                // /Threads=N
    {"help", LongValue::kNone, 39},
    {"version", LongValue::kNone, 40},
    {"charset", LongValue::kNeeded, 0, kCharsetChoices},  // /UTF8+, /UTF8-
    {"color", LongValue::kAllowed, 44, kColorChoices},  // /Color+ without a value
    {"colour", LongValue::kAllowed, 44, kColorChoices},
};
// clang-format on

// True when `name` begins with `typed`, in any case.
bool StartsWithFolded(const char* name, std::string_view typed) {
  if (std::strlen(name) < typed.size()) return false;
  for (size_t i = 0; i < typed.size(); ++i) {
    char c = typed[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 0x20);
    if (name[i] != c) return false;
  }
  return true;
}

bool IsSameRowAction(const LongOptionRow& a, const LongOptionRow& b) {
  return a.value == b.value && a.action == b.action && a.choices == b.choices;
}

// The row of long option `name` (as typed, without "--"): the one of that name, else the one that
// every long name beginning with `name` stands for. Null when none does, or when several rows
// that act differently do.
const LongOptionRow* FindLongOption(std::string_view name) {
  if (name.empty()) return nullptr;
  const LongOptionRow* found = nullptr;
  bool is_ambiguous = false;
  for (const LongOptionRow& row : kLongOptions) {
    if (!StartsWithFolded(row.name, name)) continue;
    if (std::strlen(row.name) == name.size()) return &row;  // a whole name wins
    if (found && !IsSameRowAction(*found, row)) is_ambiguous = true;
    if (!found) found = &row;
  }
  return is_ambiguous ? nullptr : found;
}

// The action of `word` among `choices`, abbreviated as a long name may be; 0 when no choice or
// several different ones match it.
int FindLongChoice(const LongChoice* choices, std::string_view word) {
  if (word.empty()) return 0;
  int action = 0;
  for (const LongChoice* choice = choices; choice->word; ++choice) {
    if (!StartsWithFolded(choice->word, word)) continue;
    if (std::strlen(choice->word) == word.size()) return choice->action;
    if (action != 0 && action != choice->action) return 0;
    action = choice->action;
  }
  return action;
}

}  // namespace

bool IsLongOption(std::string_view text) {
  return text.size() > 2 && text[0] == '-' && text[1] == '-' && text[2] != '=';
}

OptionRead ReadLongOption(const std::vector<PathText>& arguments, size_t i,
                          const EqualsSplit& split) {
  OptionRead read;
  const LongOptionRow* row = FindLongOption(std::string_view(split.Before.Shown).substr(2));
  if (!row) return read;
  const bool has_equals = split.Before.Shown.size() < arguments[i].Shown.size();
  if (row->value == LongValue::kNone) {
    if (!has_equals) read.Action = row->action;  // a value it cannot take is refused
    return read;
  }
  read.Value = split.After;
  if (row->value == LongValue::kNeeded && !has_equals && i + 1 < arguments.size()) {
    read.Value = arguments[i + 1];
    read.TakesNext = true;
  }
  const bool has_value = has_equals || read.TakesNext;
  read.Action =
      row->choices && has_value ? FindLongChoice(row->choices, read.Value.Shown) : row->action;
  return read;
}
