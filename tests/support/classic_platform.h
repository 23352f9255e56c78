// The system's platform in the classic mode, made in the test's own process.
#pragma once

#include <memory>

#include "child_process.h"
#include "platform/platform.h"

// NewSystemPlatform as it is made under LC_ALL=kClassicLocale, whatever the test's locale; the
// environment is given back at once (the platform reads the locale's charset when it is made).
std::unique_ptr<Platform> NewClassicSystemPlatform();
