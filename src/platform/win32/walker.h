// The Win32 folder walker: the wide calls by handle below the charted folder, names shown in code
// page 932 as the ANSI calls would give them.
#pragma once

#include <memory>

#include "platform/platform.h"

// Names are shown in UTF-8 when `is_shown_utf8`, else in code page 932.
std::unique_ptr<FolderWalker> NewWin32FolderWalker(bool is_shown_utf8);
