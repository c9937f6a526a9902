#!/usr/bin/env python3
"""Reference densities of axial data for density_test.cpp and contours_test.cpp.

Kamb (1959): count of data with |cos| >= 1 - a, a = s^2 / (N + s^2), over
sqrt(N a (1 - a)). Exponential Kamb (Vollmer 1995): sum of exp(f (|cos| - 1)),
f = 2 (1 + N / s^2), over sqrt(N (f/2 - 1) / f^2), nothing subtracted. 1% area:
count of data with |cos| >= 0.99 times 100 / N. Written from those definitions
alone, at 40 digits with mpmath.

  python3 tests/toolkit/reference/density_reference.py

prints the rows of the tests' tables. Needs mpmath.
"""

import mpmath
from mpmath import mp, mpf

mp.dps = 40


def vector(dec, inc):
    d, i = mpmath.radians(dec), mpmath.radians(inc)
    return (mpmath.cos(i) * mpmath.cos(d), mpmath.cos(i) * mpmath.sin(d), mpmath.sin(i))


def abs_cos(u, p):
    return abs(u[0] * p[0] + u[1] * p[1] + u[2] * p[2])


def kamb(data, p, s):
    n = len(data)
    a = s * s / (n + s * s)
    count = sum(1 for u in data if abs_cos(u, p) >= 1 - a)
    return count / mpmath.sqrt(n * a * (1 - a))


def exponential_kamb(data, p, s):
    n = len(data)
    f = 2 * (1 + n / (s * s))
    total = sum(mpmath.exp(f * (abs_cos(u, p) - 1)) for u in data)
    return total / mpmath.sqrt(n * (f / 2 - 1) / f**2)


def one_percent(data, p):
    return sum(1 for u in data if abs_cos(u, p) >= mpf("0.99")) * mpf(100) / len(data)


# Eight directions (dec, inc) of one site, and the points where they are read.
SITE = [(12, 41), (18, 47), (5, 38), (355, 52), (20, 35), (30, 44), (200, -45), (110, 5)]
POINTS = [(15, 45), (12, 41), (90, 0), (200, -40), (300, 70)]


def fibonacci_lattice(n):
    """n nearly evenly spaced unit vectors: z = 1 - (2k + 1) / n, longitude
    advancing by the golden angle."""
    golden = mpmath.pi * (3 - mpmath.sqrt(5))
    points = []
    for k in range(n):
        z = 1 - mpf(2 * k + 1) / n
        r = mpmath.sqrt(1 - z * z)
        points.append((r * mpmath.cos(golden * k), r * mpmath.sin(golden * k), z))
    return points


def probe(k):
    """Probe k of 40: declination 37 k degrees, inclination 89 - 4.5 k."""
    return vector(37 * k, 89 - mpf(9) * k / 2)


def main():
    one = [vector(0, 90)]
    print("single datum at the datum, sigma 3:")
    print("  Kamb", mpmath.nstr(kamb(one, vector(0, 90), mpf(3)), 12))
    print("  exponential Kamb", mpmath.nstr(exponential_kamb(one, vector(0, 90), mpf(3)), 12))
    print("single datum, exponential Kamb 30 degrees away, sigma 3:",
          mpmath.nstr(exponential_kamb(one, vector(0, 60), mpf(3)), 12))
    data = [vector(d, i) for d, i in SITE]
    print("site of eight, rows {dec, inc, Kamb s=3, exponential s=3, exponential s=1.5, 1%}:")
    for dec, inc in POINTS:
        p = vector(dec, inc)
        row = [kamb(data, p, mpf(3)), exponential_kamb(data, p, mpf(3)),
               exponential_kamb(data, p, mpf("1.5")), one_percent(data, p)]
        print("  {%d, %d, %s}," % (dec, inc, ", ".join(mpmath.nstr(v, 12) for v in row)))


    mp.dps = 15  # the lattice sums need no more than double precision
    for n in (300, 3000):
        lattice = fibonacci_lattice(n)
        f = 2 * (1 + mpf(n) / 9)
        mean = 3 * (1 - mpmath.exp(-f))
        worst_k = max(abs(kamb(lattice, probe(k), mpf(3)) - 3) for k in range(40))
        worst_e = max(abs(exponential_kamb(lattice, probe(k), mpf(3)) - mean) for k in range(40))
        print("Fibonacci lattice of %d, sigma 3, 40 probes: Kamb strays %s from 3,"
              " exponential Kamb %s from 3 (1 - e^-f) = %s" %
              (n, mpmath.nstr(worst_k, 4), mpmath.nstr(worst_e, 4), mpmath.nstr(mean, 8)))


if __name__ == "__main__":
    main()
