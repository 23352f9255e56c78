// The long options ("--depth=2"): each long name, its value, and the classic keyword's action
// it stands for, so a long option and its classic keyword set the same fields the same way.
#pragma once

#include <string_view>

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

// The row of long option `name` (as typed, without "--"), in any case: the one of that name, else
// the one that every long name beginning with `name` stands for. Null when none does, or when
// several rows that act differently do (an ambiguous abbreviation).
const LongOptionRow* FindLongOption(std::string_view name);

// The action of `word` among `choices`, in any case and abbreviated as a long name may be;
// 0 when no choice or several different ones match it.
int FindLongChoice(const LongChoice* choices, std::string_view word);
