// The colours of names on a screen: read from a text in the form of LS_COLORS, and put around a
// name by its kind and its ending.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "common/tree_item.h"

// One colour per kind and per name ending, each the text between Left and Right (such as
// "01;34"). An empty text leaves a name uncoloured.
struct NameColors {
  std::string Left = "\x1b[";  // "lc"
  std::string Right = "m";     // "rc"
  std::string Reset = "0";     // "rs": what Left and Right put around to end a colour
  std::string End;             // "ec": ends a colour instead of Left, Reset and Right
  std::array<std::string, kEntryKindCount> ByKind;
  // "ln=target": a link takes the colour of what it leads to (a folder's, else a file's).
  bool IsLinkAsTarget = false;
  struct Ending {
    std::string Text;  // what a name ends with ("*.tar" gives ".tar")
    std::string Color;
  };
  std::vector<Ending> ByEnding;  // in the order given
};

// Reads `text`, entries "key=colour" parted by ":", as ls reads LS_COLORS: two-letter keys for
// kinds ("di", "ln", "or", "ex", "fi" and the rest) and "*ending" keys, both with the escapes
// "\e", "\033", "\x1b", "^[" and their kin. A key this program has no use for ("mh", "ca") is
// passed over. Returns 0, or -1 when the text is malformed: then nothing is coloured.
int ReadNameColors(std::string_view text, NameColors& colors);

// Appends `name` to `line` in its colour: that of its kind (a folder marked only by `is_folder`
// takes "di"), a plain file's ending before "fi", and a kind without a colour of its own that of
// its nearest kin ("or" falls back on "ln", "tw" on "ow", "st" and "di", "su" on "ex" and "ex" on
// a plain file's). A name whose colour is empty is appended as it is.
void AppendColoredName(const NameColors& colors, EntryKind kind, bool is_folder,
                       std::string_view name, std::string& line);
