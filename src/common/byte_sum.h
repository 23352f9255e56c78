// The number type of folders' byte sums: wide enough that no sum of a tree's sizes wraps.
#pragma once

// Up to 2^32 files (counts are 32-bit) of up to 2^64 - 1 bytes each add up to less than 2^96,
// so 64 bits can wrap (three files of 2^63 - 1 bytes, the largest Linux allows, already do)
// and 128 cannot. GCC, Clang and mingw-w64 all have the type; adding and comparing take a few
// instructions, only division is a call.
using ByteSum = unsigned __int128;
