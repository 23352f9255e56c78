// Shown characters and cluster widths of UTF-8 texts, with utf8proc's categories, bidi classes,
// widths and grapheme breaks.
#include "platform/utf8_screen.h"

#include <utf8proc.h>

#include <algorithm>

namespace {

constexpr char32_t kVariationSelector16 = 0xFE0F;  // asks for the emoji presentation

bool IsControlCharacter(char32_t character) {
  return character < 0x20 || (character >= 0x7F && character <= 0x9F);
}

// The columns of one cluster as its characters come.
struct ClusterColumns {
  int widest = 0;
  int regional_indicators = 0;
  bool is_emoji_presentation = false;

  void Add(char32_t character, int (*character_columns)(char32_t)) {
    widest = std::max(widest, character_columns(character));
    if (character == kVariationSelector16) is_emoji_presentation = true;
    if (utf8proc_get_property(static_cast<utf8proc_int32_t>(character))->boundclass ==
        UTF8PROC_BOUNDCLASS_REGIONAL_INDICATOR) {
      ++regional_indicators;
    }
  }
  // Two regional indicators make a flag.
  size_t Columns() const {
    return is_emoji_presentation || regional_indicators == 2 ? 2 : static_cast<size_t>(widest);
  }
};

}  // namespace

bool IsShownAsQuestionMark(char32_t character) {
  if (IsControlCharacter(character)) return true;
  const auto code = static_cast<utf8proc_int32_t>(character);
  switch (utf8proc_category(code)) {
    case UTF8PROC_CATEGORY_ZL:
    case UTF8PROC_CATEGORY_ZP:
      return true;
    case UTF8PROC_CATEGORY_CF:
      return utf8proc_get_property(code)->bidi_class != UTF8PROC_BIDI_CLASS_BN;
    default:
      return false;
  }
}

int TerminalCharacterColumns(char32_t character) {
  const auto code = static_cast<utf8proc_int32_t>(character);
  return utf8proc_category(code) == UTF8PROC_CATEGORY_CN ? 0 : utf8proc_charwidth(code);
}

size_t Utf8ClusterColumns(std::string_view utf8, int (*character_columns)(char32_t)) {
  const auto* bytes = reinterpret_cast<const utf8proc_uint8_t*>(utf8.data());
  const auto size = static_cast<utf8proc_ssize_t>(utf8.size());
  size_t columns = 0;
  ClusterColumns cluster;
  utf8proc_int32_t previous = -1;  // none: the next character starts a cluster
  utf8proc_int32_t state = 0;
  for (utf8proc_ssize_t at = 0; at < size;) {
    utf8proc_int32_t code = -1;
    const utf8proc_ssize_t length = utf8proc_iterate(bytes + at, size - at, &code);
    if (length <= 0) {
      columns += cluster.Columns() + 1;
      cluster = ClusterColumns();
      previous = -1;
      ++at;
      continue;
    }
    if (previous >= 0 && utf8proc_grapheme_break_stateful(previous, code, &state)) {
      columns += cluster.Columns();
      cluster = ClusterColumns();
    }
    if (previous < 0) state = 0;
    cluster.Add(static_cast<char32_t>(code), character_columns);
    previous = code;
    at += length;
  }
  return columns + cluster.Columns();
}
