#!/usr/bin/python3
"""References for Watson's V_w test (McFadden and McElhinny 1990).

  python3 tests/toolkit/reference/watson_v_reference.py statistic
      V_w, gamma and gamma_c of the data pairs of watson_v_test.cpp, by the
      published formulas literally, at 40 digits with mpmath, for the stated
      V_critical: V_w = 2 (S_w - R_w), cos gamma_c = (R_wc^2 - (k1 R1)^2 -
      (k2 R2)^2) / (2 k1 R1 k2 R2) clamped to [-1, 1], R_wc = S_w - V_crit / 2.

  python3 tests/toolkit/reference/watson_v_reference.py critical [seeds]
      A Monte Carlo of V_critical independent of the C++ one: Python's own
      generator (random.Random, a 32-bit Mersenne Twister), Fisher deviates by
      the inverse distribution function cos theta = ln(e^-k + 2 u sinh k) / k,
      the common mean at dec 30, inc 60 rather than on an axis, V_w by the
      plain formula. For each case, V_critical (the ceil(0.95 M)-th smallest
      of M = 5000) from `seeds` seeds (default 20): their mean and standard
      deviation, the scatter of one 5000-pair estimate. With --true-k the
      simulated V_w uses the true k instead of each set's estimate, to show
      how far that mistake moves V_critical.

Needs python3-mpmath. The critical run takes about a minute.
"""

import math
import random
import statistics
import sys

from mpmath import mp, mpf, cos, sin, sqrt, acos, atan2, degrees, radians

mp.dps = 40


def vector(dec, inc):
    d, i = radians(mpf(dec)), radians(mpf(inc))
    return [cos(i) * cos(d), cos(i) * sin(d), sin(i)]


def weighted_mean(data):
    vs = [vector(*d) for d in data]
    s = [sum(v[j] for v in vs) for j in range(3)]
    n = len(data)
    r = sqrt(sum(c * c for c in s))
    k = (n - 1) / (n - r)
    return k * r, [c / r for c in s]


def statistic(first, second, v_critical):
    t1, m1 = weighted_mean(first)
    t2, m2 = weighted_mean(second)
    sw = t1 + t2
    rw = sqrt(sum((t1 * a + t2 * b) ** 2 for a, b in zip(m1, m2)))
    vw = 2 * (sw - rw)
    gamma = degrees(acos(sum(a * b for a, b in zip(m1, m2))))
    rwc = sw - mpf(v_critical) / 2
    argument = (rwc ** 2 - t1 ** 2 - t2 ** 2) / (2 * t1 * t2)
    gamma_c = degrees(acos(min(max(argument, -1), 1)))
    return vw, gamma, gamma_c


PAIRS = {
    "normal and turned reversed": (
        [(350, 45), (10, 50), (5, 38), (20, 55)],
        [(5.487104659, 46.9529621014), (355, 40), (10, 52), (20, 47)], 7.5),
    "two distinct means": (
        [(0, 30), (10, 35), (355, 25), (5, 40), (2, 28)],
        [(40, 50), (50, 45), (45, 55), (35, 48)], 6.8),
    "two scattered sets, argument clamped to 1": (
        [(0, 0), (120, 10), (240, -5)],
        [(60, 20), (180, 0), (300, 10)], 6.5),
    "scattered and tight sets, argument clamped to -1": (
        [(0, 0), (120, 10), (240, -5)],
        [(60, 20), (62, 22), (58, 19), (61, 18)], 6.5),
}

CASES = [(10, 20.0, 15, 50.0), (5, 5.0, 8, 10.0), (30, 100.0, 25, 40.0), (2, 3.0, 3, 1.5)]


def rotation_to(dec, inc):
    """Columns: the images of x, y, z under a rotation taking z to (dec, inc)."""
    z = [float(c) for c in vector(dec, inc)]
    x = [math.cos(math.radians(inc)) * 0 - z[2] * math.cos(math.radians(dec)),
         -z[2] * math.sin(math.radians(dec)), math.cos(math.radians(inc))]
    norm = math.sqrt(sum(c * c for c in x))
    x = [c / norm for c in x]
    y = [z[1] * x[2] - z[2] * x[1], z[2] * x[0] - z[0] * x[2], z[0] * x[1] - z[1] * x[0]]
    return x, y, z


def fisher_sample(rng, n, k, frame):
    x, y, z = frame
    out = []
    for _ in range(n):
        c = math.log(math.exp(-k) + 2 * rng.random() * math.sinh(k)) / k
        c = max(-1.0, min(1.0, c))
        s = math.sqrt(1 - c * c)
        phi = 2 * math.pi * rng.random()
        a, b = s * math.cos(phi), s * math.sin(phi)
        out.append([a * x[j] + b * y[j] + c * z[j] for j in range(3)])
    return out


def simulated_v(rng, n1, k1, n2, k2, frame, true_k):
    taus, means = [], []
    for n, k in ((n1, k1), (n2, k2)):
        vs = fisher_sample(rng, n, k, frame)
        s = [sum(v[j] for v in vs) for j in range(3)]
        r = math.sqrt(sum(c * c for c in s))
        estimate = k if true_k else (n - 1) / (n - r)
        taus.append(estimate * r)
        means.append([c / r for c in s])
    rw = math.sqrt(sum((taus[0] * a + taus[1] * b) ** 2 for a, b in zip(*means)))
    return 2 * (taus[0] + taus[1] - rw)


def critical(seeds, true_k):
    frame = rotation_to(30, 60)
    m = 5000
    rank = math.ceil(0.95 * m)
    for n1, k1, n2, k2 in CASES:
        values = []
        for seed in range(seeds):
            rng = random.Random(1000 + seed)
            vs = sorted(simulated_v(rng, n1, k1, n2, k2, frame, true_k) for _ in range(m))
            values.append(vs[rank - 1])
        print(f"N1 {n1} k1 {k1} N2 {n2} k2 {k2}: mean {statistics.mean(values):.5f} "
              f"sd {statistics.stdev(values):.5f} over {seeds} seeds")


if __name__ == "__main__":
    if len(sys.argv) > 1 and sys.argv[1] == "critical":
        numbers = [a for a in sys.argv[2:] if a.isdigit()]
        critical(int(numbers[0]) if numbers else 20, "--true-k" in sys.argv)
    else:
        for name, (first, second, v_critical) in PAIRS.items():
            vw, gamma, gamma_c = statistic(first, second, v_critical)
            print(f"{name} (V_crit {v_critical}): V_w {mp.nstr(vw, 15)} "
                  f"gamma {mp.nstr(gamma, 15)} gamma_c {mp.nstr(gamma_c, 15)}")
