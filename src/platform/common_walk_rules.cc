// The walk rules that every walker applies alike: links followed or not, one file system or all.
#include "platform/platform.h"

bool IsKeptOutByRules(const WalkRules& rules, bool through_link, bool on_other_file_system) {
  return (through_link && !rules.FollowLinks) || (on_other_file_system && rules.OneFileSystem);
}
