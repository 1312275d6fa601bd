#pragma once

#include <cstdint>

namespace ruvo {

// The simulator's own pseudo-random numbers, so that a seed gives the same recording with every
// compiler and standard library: xoshiro256** seeded through splitmix64, uniform doubles from
// the top 53 bits, and normal deviates by the Box-Muller transform (the second of each pair is
// kept for the next call). References: D. Blackman and S. Vigna, "Scrambled linear pseudorandom
// number generators" (2018); D. E. Knuth, The Art of Computer Programming, vol. 2, 3.4.1.
// Single-threaded; copying a generator copies its position in the sequence.
class SynthRandom {
 public:
  // Generators with the same seed and a different stream give unrelated sequences.
  explicit SynthRandom(std::uint64_t seed, std::uint64_t stream = 0);

  std::uint64_t Next();
  double Uniform();  // in [0, 1)
  double Normal();   // mean 0, standard deviation 1

 private:
  std::uint64_t state[4];
  double spareNormal = 0.0;
  bool hasSpare = false;
};

// One step of splitmix64: advances x and returns the mixed value.
std::uint64_t SplitMix64(std::uint64_t& x);

}  // namespace ruvo
