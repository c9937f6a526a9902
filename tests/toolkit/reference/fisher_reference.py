#!/usr/bin/python3
"""40-digit Fisher (1953) statistics of the nearly identical pair in
fisher_test.cpp, from the exact values of the doubles the test passes:

  python3 tests/toolkit/reference/fisher_reference.py

prints N - R, k and a95 (degrees). Needs python3-mpmath.
"""

from mpmath import mp, mpf, cos, sin, sqrt, acos, degrees, radians, power

mp.dps = 40


def unit_vector(dec, inc):
    d, i = radians(mpf(dec)), radians(mpf(inc))
    return (cos(i) * cos(d), cos(i) * sin(d), sin(i))


def fisher(data):
    vectors = [unit_vector(dec, inc) for dec, inc in data]
    s = [sum(v[j] for v in vectors) for j in range(3)]
    n = len(data)
    r = sqrt(sum(c * c for c in s))
    k = (n - 1) / (n - r)
    p = power(20, mpf(1) / (n - 1))
    a95 = degrees(acos(1 - (p - 1) * (n - r) / r))
    return n - r, k, a95


if __name__ == "__main__":
    spread, k, a95 = fisher([(10.0, 20.0), (10.0, 20.001)])
    print("N - R", mp.nstr(spread, 15))
    print("k    ", mp.nstr(k, 15))
    print("a95  ", mp.nstr(a95, 15))
