// What most chart tests do: chart the folder "r" of a temporary tree, and compare the output with
// readable lines.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "e2e_support.h"

// Charts the folder "r" of `tree` from the tree's own folder, so that the root line reads "r";
// `env` is added to the environment as RunSettings::extra_env is.
RunResult ChartR(const TempTree& tree, const std::vector<std::string>& options,
                 const std::vector<std::string>& env = {});

// Code page 932 bytes of a UTF-8 text, by the POSIX platform's converter, for writing expected
// output readably. Throws when a character has none.
std::string Cp932(std::string_view utf8);

// The expected output of readable UTF-8 lines: each in code page 932, ended by CR LF.
std::string Cp932Lines(const std::vector<std::string>& utf8_lines);
