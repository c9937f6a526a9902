#pragma once

#include <cstdint>

// xoshiro256** 1.0 (Blackman and Vigna 2018, "Scrambled linear pseudorandom
// number generators"), its state filled from the seed by SplitMix64 (Steele,
// Lea and Flood 2014) as the authors advise. Its outputs are fixed by those
// definitions alone, so a seed gives the same sequence on every machine, and
// one output costs a few shifts and a multiply.
class Xoshiro256StarStar {
public:
    explicit Xoshiro256StarStar(std::uint64_t seed) {
        for (std::uint64_t& word : state_) {
            seed += 0x9e3779b97f4a7c15;
            std::uint64_t z = seed;
            z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9;
            z = (z ^ (z >> 27)) * 0x94d049bb133111eb;
            word = z ^ (z >> 31);
        }
    }

    // The next 64 raw bits.
    std::uint64_t Next() {
        const std::uint64_t result = RotateLeft(state_[1] * 5, 7) * 9;
        const std::uint64_t t = state_[1] << 17;
        state_[2] ^= state_[0];
        state_[3] ^= state_[1];
        state_[1] ^= state_[2];
        state_[0] ^= state_[3];
        state_[2] ^= t;
        state_[3] = RotateLeft(state_[3], 45);
        return result;
    }

    // Uniform in [0, 1): the top 53 bits of one output times 2^-53.
    double NextUniform() { return static_cast<double>(Next() >> 11) * 0x1p-53; }

private:
    static std::uint64_t RotateLeft(std::uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }

    std::uint64_t state_[4] = {};
};
