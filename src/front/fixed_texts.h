// Writing the program's fixed texts (common/fixed_texts.h) as whole lines, through the
// platform's converter.
#pragma once

#include <string_view>

#include "common/fixed_texts.h"

class Platform;

// Writes `utf8` as code page 932, then `tail` unchanged (bytes that are already code page 932,
// such as an echoed argument), then CR LF, as one line.
void WriteFixedLine(Platform& platform, std::string_view utf8, std::string_view tail = {});
// Writes `utf8` as code page 932, then CR LF, as one line on standard error.
void WriteFixedErrorLine(Platform& platform, std::string_view utf8);
