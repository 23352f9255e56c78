// Draws file sizes from a table of size classes and write times from a few eras.
#include "tree_attributes.h"

#include <algorithm>
#include <array>

#include "tree_random.h"

namespace {

struct SizeClass {
  uint64_t PerMillion;
  int LowBits;   // sizes from 2^LowBits ...
  int HighBits;  // ... to below 2^HighBits
};

constexpr uint64_t kGiB = 1ull << 30;

// The classes below 4 GiB; the rest of the million are the 4 GiB and larger files.
constexpr std::array<SizeClass, 7> kSizeClasses = {{
    {40000, 0, 0},     // empty
    {300000, 0, 10},   // 1 B to 1 KiB
    {450000, 10, 16},  // to 64 KiB
    {140000, 16, 20},  // to 1 MiB
    {60000, 20, 26},   // to 64 MiB
    {9000, 26, 30},    // to 1 GiB
    {980, 30, 32},     // to 4 GiB
}};

uint64_t DrawInClass(TreeRandom& random, const SizeClass& size_class) {
  if (size_class.HighBits == 0) return 0;
  if (size_class.LowBits == 30 && random.Below(10) == 0) return 4 * kGiB - 1;
  int bits = static_cast<int>(random.Between(size_class.LowBits, size_class.HighBits - 1));
  return (1ull << bits) + random.Below(1ull << bits);
}

uint64_t DrawHugeSize(TreeRandom& random) {
  switch (random.Below(4)) {
    case 0:
      return 4 * kGiB;
    case 1:
      return 8 * kGiB;
    default:
      return 4 * kGiB + random.Below(60 * kGiB);
  }
}

constexpr int64_t kYear2000 = 946684800;
constexpr int64_t kYear2026 = 1767225600;
constexpr int64_t kYear1980 = 315532800;
constexpr int64_t kYear2120 = 4733510400;

int64_t DrawSeconds(TreeRandom& random) {
  uint64_t era = random.Below(1000000);
  if (era < 500) return static_cast<int64_t>(random.Below(kYear1980));
  if (era < 800) return kYear2026 + static_cast<int64_t>(random.Below(kYear2120 - kYear2026));
  // The later of two draws: recent years are more common, as on a real disk.
  uint64_t span = kYear2026 - kYear2000;
  return kYear2000 + static_cast<int64_t>(std::max(random.Below(span), random.Below(span)));
}

}  // namespace

uint64_t DrawFileSize(TreeRandom& random) {
  uint64_t draw = random.Below(1000000);
  for (const SizeClass& size_class : kSizeClasses) {
    if (draw < size_class.PerMillion) return DrawInClass(random, size_class);
    draw -= size_class.PerMillion;
  }
  return DrawHugeSize(random);
}

timespec DrawWriteTime(TreeRandom& random) {
  timespec time{};
  time.tv_sec = static_cast<time_t>(DrawSeconds(random));
  time.tv_nsec = static_cast<long>(random.Below(10000000) * 100);  // file-time precision
  return time;
}
