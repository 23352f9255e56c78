// A file written in parts through a buffer (an export), or standard output for "-".
#pragma once

#include <memory>
#include <string>

#include "platform/platform.h"

// Opens `native` (emptied, made when missing; standard output for "-"); null with `error` set to
// errno when it cannot be opened.
std::unique_ptr<OutputFile> OpenPosixOutputFile(const std::string& native, int& error);
