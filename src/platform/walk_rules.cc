// The walk rules and the loop rules that every walker applies alike.
#include "platform/walk_rules.h"

#include <functional>

bool IsKeptOutByRules(const WalkRules& rules, bool through_link, bool on_other_file_system) {
  return (through_link && !rules.FollowLinks) || (on_other_file_system && rules.OneFileSystem);
}

size_t FolderIdentityHash::operator()(const FolderIdentity& identity) const {
  return std::hash<uint64_t>()(identity.File * 0x9E3779B97F4A7C15ull ^ identity.Volume);
}

void LoopRules::Restart() {
  entered_.clear();
  outer_.clear();
  linked_.clear();
}

void LoopRules::AddOuterFolder(const FolderIdentity& folder) { outer_.insert(folder); }

bool LoopRules::MayEnter(const FolderIdentity& folder, bool through_link,
                         bool parent_below_link) const {
  if (entered_.count(folder) != 0 || outer_.count(folder) != 0) return false;
  return !(through_link && parent_below_link && linked_.count(folder) != 0);
}

void LoopRules::NoteEntered(const FolderIdentity& folder, bool below_link) {
  entered_.insert(folder);
  if (below_link) linked_.insert(folder);
}

void LoopRules::NoteLeft(const FolderIdentity& folder) {
  if (!enter_once_) entered_.erase(folder);
}
