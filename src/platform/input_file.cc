// The platform's defaults for reading a saved scan: the C library's file, and times in UTC.
#include <cstdio>

#include "platform/platform.h"

namespace {

// Seconds from 1601-01-01 to 1970-01-01, and file time units (100 ns) in a second.
constexpr int64_t kUnixEpochSeconds = 11644473600;
constexpr int64_t kUnitsPerSecond = 10000000;

}  // namespace

std::FILE* Platform::OpenInputFile(const PathText& name) {
  if (name.Shown == "-") return stdin;
  return std::fopen(name.Native.c_str(), "rb");
}

// Before 1601 gives 0; the saved scans' reader keeps seconds far below the 64-bit limit.
FileTime Platform::LocalFileTimeFromUnix(int64_t seconds) {
  if (seconds < -kUnixEpochSeconds) return FileTime{};
  return MakeFileTime(static_cast<uint64_t>(seconds + kUnixEpochSeconds) * kUnitsPerSecond);
}
