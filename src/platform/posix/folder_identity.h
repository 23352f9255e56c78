// What the POSIX walk asks of an open folder before it enters it: which folder it is, and
// whether the kernel makes up its files.
#pragma once

#include "platform/walk_rules.h"

// The device and inode of the folder open as `fd`; false when fstat cannot tell.
bool ReadFolderIdentity(int fd, FolderIdentity& identity);

// True when the folder open as `fd` lies on a kernel file system (proc, sysfs, cgroup and the
// like, told by fstatfs): its files are not on a disk and their sizes are made up.
bool IsOnKernelFileSystem(int fd);
