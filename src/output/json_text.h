// JSON texts and numbers as the JSON document writes them: escaped strings, exact byte sums.
#pragma once

#include <string>
#include <string_view>

#include "common/byte_sum.h"
#include "common/tree_item.h"

// Appends `text` as a JSON string, quotes included: '"', '\' and every control character
// escaped, each byte that is not part of a valid UTF-8 character replaced by U+FFFD, so the
// result is always valid UTF-8. Returns false when a byte was replaced: the text then needs its
// exact bytes beside it (AppendJsonBytes).
bool AppendJsonString(std::string& out, std::string_view text);

// Appends the bytes of `text` as a JSON array of numbers 0 to 255: [97,255,98].
void AppendJsonBytes(std::string& out, std::string_view text);

// Appends `"key":"text"`, and `,"key_bytes":[...]` after it when `text` is no valid UTF-8.
void AppendJsonTextField(std::string& out, std::string_view key, std::string_view text);

// Appends the exact decimal digits of `value`, however large: a JSON number is not bounded,
// though a reader that holds numbers as doubles loses the digits past 2^53.
void AppendJsonNumberField(std::string& out, std::string_view key, ByteSum value);

// Appends `"key":"YYYY-MM-DDThh:mm:ss"`, the ISO 8601 text of a local file time (no zone: the
// time is the local one, as the chart shows it).
void AppendJsonTimeField(std::string& out, std::string_view key, FileTime local);
