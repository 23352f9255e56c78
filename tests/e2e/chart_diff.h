// A readable account of where one chart first departs from another.
#pragma once

#include <string>
#include <string_view>

// `bytes`, code page 932 text, as UTF-8 for a reader: every byte that is no code page 932
// character, and every control character, written as \xNN.
std::string ReadableText(std::string_view bytes);

// Where `actual` first departs from `expected`, both code page 932 texts of CR LF lines: the
// first run of differing lines with three equal lines on either side, each line numbered in both
// texts, the expected lines marked "-" and the actual ones "+", all made readable. Empty when the
// two are equal.
std::string FirstDifference(std::string_view expected, std::string_view actual);
