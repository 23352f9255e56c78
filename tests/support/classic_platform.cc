// The system's platform made under the classic mode's locale.
#include "classic_platform.h"

#include <cstdlib>
#include <optional>
#include <string>

std::unique_ptr<Platform> NewClassicSystemPlatform() {
  const char* value = std::getenv("LC_ALL");
  const std::optional<std::string> saved = value ? std::optional<std::string>(value) : std::nullopt;
  setenv("LC_ALL", kClassicLocale, 1);
  std::unique_ptr<Platform> platform = NewSystemPlatform();
  saved ? setenv("LC_ALL", saved->c_str(), 1) : unsetenv("LC_ALL");
  return platform;
}
