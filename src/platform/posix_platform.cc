// placeholder until implemented
#include "platform/platform.h"
std::unique_ptr<Platform> NewSystemPlatform() { return nullptr; }
