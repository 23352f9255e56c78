// Matching a name against a shell wildcard pattern, character by character in any multi-byte
// encoding.
#pragma once

#include <cstddef>
#include <string_view>

// The byte length of the character at `at` in `text` (at least 1): how an encoding steps through
// a text. Cp932CharacterLength is one.
using CharacterLengthFunction = size_t (*)(std::string_view text, size_t at);

// True when all of `name` matches `pattern`: "*" any run of characters, "?" one character,
// "[...]" one character of a set of characters and ranges ("[a-z0-9_]"), "[!...]" or "[^...]"
// one character outside it; a "]" right after the opening "[", "[!" or "[^" is a member, and a
// "[" with no closing "]" is an ordinary character, as shells have it. There is no escape
// character: "[*]" matches a "*". Both texts are cut into characters by `length`, so the second
// byte of a two-byte character is never read as "[", "]", "-", "*" or "?"; ranges compare
// characters by their bytes read as one big-endian number, the order of the code page (or, for
// UTF-8, of the code points). The comparison is exact: callers fold case first.
bool MatchesWildcard(std::string_view pattern, std::string_view name,
                     CharacterLengthFunction length);
