// Loaded with LD_PRELOAD into the program under test, this changes the tree at the exact moment
// the walk reaches an entry, so that entries vanishing mid-walk can be tested without races:
//   fstatat of "gone-*"  removes the entry just before its size and time are read;
//   openat of "rmdir-*"  moves the folder out of the walk's reach just before it is entered;
//   openat of "move-*"   renames the folder to "moved-*" just before it is entered;
//   openat of "lock-*"   takes every permission off the folder just before it is entered;
//   openat of the name in QUOVREL_RENAME_ON renames QUOVREL_RENAME_FROM to QUOVREL_RENAME_TO,
//   once, so a folder the walk is inside can be renamed under it.
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

using OpenAtFunction = int (*)(int, const char*, int, ...);
using FstatAtFunction = int (*)(int, const char*, struct stat*, int);

bool HasPrefix(const char* name, const char* prefix) {
  return std::strchr(name, '/') == nullptr && std::strncmp(name, prefix, std::strlen(prefix)) == 0;
}

void RemoveEntry(int dir_fd, const char* name) {
  if (unlinkat(dir_fd, name, 0) != 0) unlinkat(dir_fd, name, AT_REMOVEDIR);
}

void RenameOnce(const char* name) {
  static bool done = false;
  const char* trigger = std::getenv("QUOVREL_RENAME_ON");
  if (done || trigger == nullptr || std::strcmp(trigger, name) != 0) return;
  const char* from = std::getenv("QUOVREL_RENAME_FROM");
  const char* to = std::getenv("QUOVREL_RENAME_TO");
  if (from != nullptr && to != nullptr) done = std::rename(from, to) == 0;
}

void ChangeBeforeOpen(int dir_fd, const char* name) {
  if (HasPrefix(name, "rmdir-")) {
    renameat(dir_fd, name, dir_fd, (std::string(".away-") + name).c_str());
  } else if (HasPrefix(name, "move-")) {
    renameat(dir_fd, name, dir_fd, (std::string("moved-") + name).c_str());
  } else if (HasPrefix(name, "lock-")) {
    fchmodat(dir_fd, name, 0, 0);
  }
  RenameOnce(name);
}

int ForwardOpenAt(const char* symbol, int dir_fd, const char* name, int flags, va_list rest) {
  mode_t mode = 0;
  if (flags & (O_CREAT | O_TMPFILE)) mode = static_cast<mode_t>(va_arg(rest, unsigned));
  auto next = reinterpret_cast<OpenAtFunction>(dlsym(RTLD_NEXT, symbol));
  ChangeBeforeOpen(dir_fd, name);
  return next(dir_fd, name, flags, mode);
}

int ForwardFstatAt(const char* symbol, int dir_fd, const char* name, struct stat* status,
                   int flags) {
  auto next = reinterpret_cast<FstatAtFunction>(dlsym(RTLD_NEXT, symbol));
  if (HasPrefix(name, "gone-")) RemoveEntry(dir_fd, name);
  return next(dir_fd, name, status, flags);
}

}  // namespace

extern "C" {

int openat(int dir_fd, const char* name, int flags, ...) {
  va_list rest;
  va_start(rest, flags);
  const int fd = ForwardOpenAt("openat", dir_fd, name, flags, rest);
  va_end(rest);
  return fd;
}

int fstatat(int dir_fd, const char* name, struct stat* status, int flags) {
  return ForwardFstatAt("fstatat", dir_fd, name, status, flags);
}

}  // extern "C"
