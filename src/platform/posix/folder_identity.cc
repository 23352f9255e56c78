// Folder identities and kernel file systems, from an open directory descriptor.
#include "platform/posix/folder_identity.h"

#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/vfs.h>

#include <algorithm>
#include <cstdint>
#include <iterator>

namespace {

// Kernel file systems whose magic numbers not every <linux/magic.h> names; values as the kernel
// defines them in the file systems' own sources.
#ifndef CONFIGFS_MAGIC
#define CONFIGFS_MAGIC 0x62656570
#endif
#ifndef FUSECTL_SUPER_MAGIC
#define FUSECTL_SUPER_MAGIC 0x65735543
#endif
#ifndef MQUEUE_MAGIC
#define MQUEUE_MAGIC 0x19800202
#endif

// File systems whose files the kernel makes up as they are read: not on a disk, sizes invented
// (a /proc/kcore of 128 TB), and full of links back into the whole machine. tmpfs and devtmpfs
// hold real files in memory and are not among them.
constexpr uint32_t kKernelFileSystems[] = {
    PROC_SUPER_MAGIC,   SYSFS_MAGIC,    CGROUP_SUPER_MAGIC, CGROUP2_SUPER_MAGIC,
    DEVPTS_SUPER_MAGIC, DEBUGFS_MAGIC,  TRACEFS_MAGIC,      SECURITYFS_MAGIC,
    PSTOREFS_MAGIC,     BPF_FS_MAGIC,   CONFIGFS_MAGIC,     FUSECTL_SUPER_MAGIC,
    MQUEUE_MAGIC,       BINFMTFS_MAGIC,
};

}  // namespace

bool ReadFolderIdentity(int fd, FolderIdentity& identity) {
  struct stat status {};
  if (fstat(fd, &status) != 0) return false;
  identity = FolderIdentity{status.st_dev, status.st_ino};
  return true;
}

bool IsOnKernelFileSystem(int fd) {
  struct statfs status {};
  if (fstatfs(fd, &status) != 0) return false;
  const uint32_t type = static_cast<uint32_t>(status.f_type);
  return std::find(std::begin(kKernelFileSystems), std::end(kKernelFileSystems), type) !=
         std::end(kKernelFileSystems);
}
