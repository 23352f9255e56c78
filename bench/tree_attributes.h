// Sizes and times for generated entries: heavy-tailed sizes, times spread over decades.
#pragma once

#include <cstdint>
#include <ctime>

class TreeRandom;

// Most files are small, some are megabytes, about 20 in a million are 4 GiB or more (some of
// them exactly 2^32 or 2^33, whose low 32 bits are 0). Files are sparse, so size costs nothing.
uint64_t DrawFileSize(TreeRandom& random);

// Mostly 2000 to 2025, leaning to recent years; a few before 1980 or after 2107, which a DOS
// date cannot hold.
timespec DrawWriteTime(TreeRandom& random);
