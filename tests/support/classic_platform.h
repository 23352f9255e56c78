// The system's platform in the classic mode, made in the test's own process.
#pragma once

#include <cstdlib>
#include <memory>
#include <string>

#include "child_process.h"
#include "platform/platform.h"

// NewSystemPlatform as made under LC_ALL=kClassicLocale, whatever the test's locale; LC_ALL is
// given back at once (an empty one counts as unset), as the platform reads it only when made.
inline std::unique_ptr<Platform> NewClassicSystemPlatform() {
  const std::string saved = std::getenv("LC_ALL") ? std::getenv("LC_ALL") : "";
  setenv("LC_ALL", kClassicLocale, 1);
  std::unique_ptr<Platform> platform = NewSystemPlatform();
  setenv("LC_ALL", saved.c_str(), 1);
  return platform;
}
