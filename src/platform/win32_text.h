// Text conversion of the Win32 platform: the program's UTF-8 texts into code page 932 bytes.
#pragma once

#include <string>
#include <string_view>

// Code page 932 bytes of `utf8`, by way of UTF-16; a character 932 cannot hold becomes "?".
std::string Cp932FromUtf8(std::string_view utf8);
