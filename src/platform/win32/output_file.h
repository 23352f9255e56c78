// A file written in parts through a buffer (an export), or standard output for "-".
#pragma once

#include <memory>
#include <string>

#include "platform/platform.h"

// Opens the file whose native name is `native` (emptied, made when missing; standard output for
// "-"); null with `failure` set to the system's words when it cannot be opened.
std::unique_ptr<OutputFile> OpenWin32OutputFile(const std::string& native, std::string& failure);
