#!/usr/bin/python3
"""The first outputs of xoshiro256** 1.0 seeded by SplitMix64, written from
the published definitions (Blackman and Vigna 2018; Steele, Lea and Flood
2014) in Python's unbounded integers:

  python3 tests/toolkit/reference/xoshiro256_reference.py

prints, for the seeds of xoshiro256_test.cpp, the first three outputs and the
1000th.
"""

MASK = (1 << 64) - 1


def splitmix64(seed):
    while True:
        seed = (seed + 0x9E3779B97F4A7C15) & MASK
        z = seed
        z = ((z ^ (z >> 30)) * 0xBF58476D1CE4E5B9) & MASK
        z = ((z ^ (z >> 27)) * 0x94D049BB133111EB) & MASK
        yield z ^ (z >> 31)


def rotl(x, k):
    return ((x << k) | (x >> (64 - k))) & MASK


def xoshiro256starstar(seed):
    mix = splitmix64(seed)
    s = [next(mix) for _ in range(4)]
    while True:
        result = (rotl((s[1] * 5) & MASK, 7) * 9) & MASK
        t = (s[1] << 17) & MASK
        s[2] ^= s[0]
        s[3] ^= s[1]
        s[1] ^= s[2]
        s[0] ^= s[3]
        s[2] ^= t
        s[3] = rotl(s[3], 45)
        yield result


if __name__ == "__main__":
    for seed in (0, 1990, MASK):
        g = xoshiro256starstar(seed)
        outputs = [next(g) for _ in range(1000)]
        print(seed, outputs[0], outputs[1], outputs[2], outputs[999])
