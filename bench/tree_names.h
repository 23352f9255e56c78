// Names for generated entries: mixed lengths and extensions, dot-names, Japanese UTF-8 names.
#pragma once

#include <cstddef>
#include <string>

class TreeRandom;

// Every name is valid on Windows too: no reserved device name, no \ / : * ? " < > | or control
// character, no trailing dot or space. Japanese names use only characters code page 932 holds.
// `max_bytes` is at least 1; the name is cut at a UTF-8 character boundary to fit.
// A dot-folder name (".git", ".cache", ...) only where `may_start_with_dot`.
std::string MakeFolderName(TreeRandom& random, size_t max_bytes, bool may_start_with_dot);
std::string MakeFileName(TreeRandom& random, size_t max_bytes);

// True when the name holds a byte outside ASCII.
bool IsNonAscii(const std::string& name);
