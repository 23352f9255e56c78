// Seeded random draws for the tree generator: the same sequence on every platform and library.
#pragma once

#include <cstdint>

// SplitMix64: small, fast and fully specified, so a seed gives the same tree everywhere
// (the standard library's distributions are not specified bit for bit).
class TreeRandom {
 public:
  explicit TreeRandom(uint64_t seed) : state_(seed) {}

  uint64_t Next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }

  // A number in [0, n); the modulo bias is far below what a benchmark tree cares about.
  uint64_t Below(uint64_t n) { return n == 0 ? 0 : Next() % n; }

  // A number in [low, high].
  uint64_t Between(uint64_t low, uint64_t high) { return low + Below(high - low + 1); }

  // True with probability per_million / 1,000,000.
  bool PerMillion(uint64_t per_million) { return Below(1000000) < per_million; }

  // A geometric count: k with probability 2^-(k+1), capped at `cap`.
  int Halvings(int cap) {
    int k = 0;
    while (k < cap && (Next() & 1)) ++k;
    return k;
  }

 private:
  uint64_t state_;
};

// The seed of one part of the tree (one folder's contents), so that each part is the same
// whatever order the parts are made in.
inline uint64_t MixSeed(uint64_t seed, uint64_t part) {
  TreeRandom mixer(seed * 0x2545F4914F6CDD1Dull + part);
  mixer.Next();
  return mixer.Next();
}
