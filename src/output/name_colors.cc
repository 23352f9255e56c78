// Reading LS_COLORS, and the colour of one name.
#include "output/name_colors.h"

#include <cstddef>

namespace {

struct KindKey {
  const char* key;
  EntryKind kind;
};

// clang-format off
constexpr KindKey kKindKeys[] = {
    {"fi", KindPlain}, {"di", KindFolder}, {"ln", KindLink}, {"or", KindOrphanLink},
    {"ex", KindExecutable}, {"su", KindSetUid}, {"sg", KindSetGid}, {"pi", KindFifo},
    {"so", KindSocket}, {"bd", KindBlockDevice}, {"cd", KindCharDevice},
    {"st", KindStickyFolder}, {"ow", KindOtherWritableFolder},
    {"tw", KindStickyOtherWritableFolder},
};
// clang-format on

// The kind whose colour stands in for `kind`'s when it has none, or `kind` itself at the end.
EntryKind FallbackKind(EntryKind kind) {
  switch (kind) {
    case KindOrphanLink:
      return KindLink;
    case KindSetUid:
    case KindSetGid:
      return KindExecutable;
    case KindExecutable:
      return KindPlain;  // then coloured by its ending, as a plain file
    case KindStickyOtherWritableFolder:
      return KindOtherWritableFolder;
    case KindOtherWritableFolder:
    case KindStickyFolder:
      return KindFolder;
    default:
      return kind;
  }
}

// The value of a "^X" escape, -1 for a character that makes none.
int CaretValue(char c) {
  if (c == '?') return 127;
  if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 0x20);
  return c >= '@' && c <= '_' ? c - '@' : -1;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The character after a "\": its escape's value, reading on in `text` from `at` where the
// escape is longer (octal digits, "x" and hex digits).
char BackslashValue(std::string_view text, size_t& at) {
  const char c = text[at++];
  switch (c) {
    case 'a':
      return '\a';
    case 'b':
      return '\b';
    case 'e':
      return '\x1b';
    case 'f':
      return '\f';
    case 'n':
      return '\n';
    case 'r':
      return '\r';
    case 't':
      return '\t';
    case 'v':
      return '\v';
    case '?':
      return '\x7f';
    case '_':
      return ' ';
    default:
      break;
  }
  int value = 0;
  if (c >= '0' && c <= '7') {
    value = c - '0';
    for (int n = 1; n < 3 && at < text.size() && text[at] >= '0' && text[at] <= '7'; ++n) {
      value = value * 8 + (text[at++] - '0');
    }
    return static_cast<char>(value);
  }
  if (c != 'x') return c;  // any other character stands for itself
  for (int n = 0; n < 2 && at < text.size() && HexValue(text[at]) >= 0; ++n) {
    value = value * 16 + HexValue(text[at++]);
  }
  return static_cast<char>(value);
}

// Reads the text from `at` up to an unescaped `stop` (or the end) into `out`, its escapes
// taken; `at` ends past the stop. -1 for an escape cut short or a "^" that makes nothing.
int ReadEscaped(std::string_view text, size_t& at, char stop, std::string& out) {
  out.clear();
  while (at < text.size() && text[at] != stop) {
    const char c = text[at++];
    if ((c == '\\' || c == '^') && at == text.size()) return -1;
    if (c == '\\') {
      out += BackslashValue(text, at);
    } else if (c == '^') {
      const int value = CaretValue(text[at++]);
      if (value < 0) return -1;
      out += static_cast<char>(value);
    } else {
      out += c;
    }
  }
  if (at < text.size()) ++at;  // the stop
  return 0;
}

// Stores the colour of two-letter key `key`; keys this program does not use are passed over.
void SetKeyColor(NameColors& colors, std::string_view key, const std::string& color) {
  if (key == "lc") colors.Left = color;
  if (key == "rc") colors.Right = color;
  if (key == "rs") colors.Reset = color;
  if (key == "ec") colors.End = color;
  if (key == "ln" && color == "target") {
    colors.IsLinkAsTarget = true;
    return;
  }
  for (const KindKey& row : kKindKeys) {
    if (key == row.key) colors.ByKind[row.kind] = color;
  }
}

bool EndsWith(std::string_view name, std::string_view ending, bool is_case_folded) {
  if (ending.size() > name.size()) return false;
  name = name.substr(name.size() - ending.size());
  if (!is_case_folded) return name == ending;
  for (size_t i = 0; i < name.size(); ++i) {
    char a = name[i];
    char b = ending[i];
    if (a >= 'A' && a <= 'Z') a = static_cast<char>(a + 0x20);
    if (b >= 'A' && b <= 'Z') b = static_cast<char>(b + 0x20);
    if (a != b) return false;
  }
  return true;
}

// The colour of the last ending `name` has as given, else of the last it has in another case;
// null when it has none.
const std::string* FindEndingColor(const NameColors& colors, std::string_view name) {
  for (const bool is_case_folded : {false, true}) {
    for (size_t i = colors.ByEnding.size(); i-- > 0;) {
      const NameColors::Ending& ending = colors.ByEnding[i];
      if (EndsWith(name, ending.Text, is_case_folded)) return &ending.Color;
    }
  }
  return nullptr;
}

const std::string& FindColor(const NameColors& colors, EntryKind kind, bool is_folder,
                             std::string_view name) {
  if (kind == KindPlain && is_folder) kind = KindFolder;
  if (kind == KindLink && colors.IsLinkAsTarget) {
    kind = is_folder ? KindFolder : KindPlain;
  }
  while (kind != KindPlain && colors.ByKind[kind].empty() && FallbackKind(kind) != kind) {
    kind = FallbackKind(kind);
  }
  if (kind != KindPlain) return colors.ByKind[kind];
  const std::string* by_ending = FindEndingColor(colors, name);
  return by_ending ? *by_ending : colors.ByKind[KindPlain];
}

}  // namespace

int ReadNameColors(std::string_view text, NameColors& colors) {
  colors = NameColors{};
  std::string key;
  std::string color;
  size_t at = 0;
  while (at < text.size()) {
    if (text[at] == ':') {  // an empty entry
      ++at;
      continue;
    }
    const bool is_ending = text[at] == '*';
    if (is_ending) {
      ++at;
      if (ReadEscaped(text, at, '=', key) != 0 || text[at - 1] != '=') return -1;
    } else {
      if (at + 3 > text.size() || text[at + 2] != '=') return -1;
      key.assign(text.substr(at, 2));
      at += 3;
    }
    if (ReadEscaped(text, at, ':', color) != 0) return -1;
    if (is_ending) {
      colors.ByEnding.push_back({key, color});
    } else {
      SetKeyColor(colors, key, color);
    }
  }
  return 0;
}

void AppendColoredName(const NameColors& colors, EntryKind kind, bool is_folder,
                       std::string_view name, std::string& line) {
  const std::string& color = FindColor(colors, kind, is_folder, name);
  if (color.empty()) {
    line += name;
    return;
  }
  line.append(colors.Left).append(color).append(colors.Right).append(name);
  if (colors.End.empty()) {
    line.append(colors.Left).append(colors.Reset).append(colors.Right);
  } else {
    line += colors.End;
  }
}
