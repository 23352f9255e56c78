// The Win32 folder walker: the ANSI enumeration and information calls under code page 932.
#pragma once

#include <memory>

#include "platform/platform.h"

std::unique_ptr<FolderWalker> NewWin32FolderWalker();
