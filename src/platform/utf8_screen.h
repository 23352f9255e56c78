// How the names of a UTF-8 chart meet a terminal, by utf8proc's Unicode data: which characters
// are shown as "?" and how many columns a text takes. Both systems' UTF-8 texts follow it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

// True for a character a UTF-8 chart shows as "?", so that one entry stays one line in its own
// place: a control character (C0, DEL, C1), a line or paragraph separator (U+2028, U+2029), and
// a format character that takes part in the text's direction or layout (any bidi class but
// boundary neutral: the directional marks, embeddings, overrides and isolates, and the few
// marks that span the characters after them). A joiner or a variation selector stays.
bool IsShownAsQuestionMark(char32_t character);

// The columns a terminal gives `character` on its own: utf8proc's width, and none for a code
// point not yet assigned, which terminals draw as nothing.
int TerminalCharacterColumns(char32_t character);

// The columns a UTF-8 text takes on a terminal, which draws each extended grapheme cluster (a
// letter and its combining marks, an emoji and its modifiers, a joined emoji sequence) as one
// glyph: the cluster takes its widest character's columns by `character_columns`, and two when
// it is an emoji presentation (a flag, or a variation selector 16 in it). A byte that starts
// no character takes one column on its own.
size_t Utf8ClusterColumns(std::string_view utf8, int (*character_columns)(char32_t));
