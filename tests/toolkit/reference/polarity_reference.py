#!/usr/bin/python3
"""30-digit reference for the separation of polarities and the Fisher (1953)
statistics of each mode: the orientation tensor's principal axis by mpmath's
symmetric eigen-solver, each datum to the end of that axis within 90 degrees
of it, "normal" the mode whose unit mean lies further along the reference
north vector.

  python3 tests/toolkit/reference/polarity_reference.py

prints, for each data set of polarity_test.cpp, the mode of each datum and
N, mean dec, mean inc, R, k and a95 of the normal, reversed and combined
(normal plus the antipodes of reversed) sets; "-" where a value does not
exist (no datum, or k and a95 of a single datum). Needs python3-mpmath.
"""

from mpmath import mp, mpf, cos, sin, sqrt, acos, atan2, degrees, radians, power, matrix

mp.dps = 30


def vector(dec, inc):
    d, i = radians(mpf(dec)), radians(mpf(inc))
    return [cos(i) * cos(d), cos(i) * sin(d), sin(i)]


def fisher(vectors):
    n = len(vectors)
    if n == 0:
        return "N 0"
    s = [sum(v[j] for v in vectors) for j in range(3)]
    r = sqrt(sum(c * c for c in s))
    dec = degrees(atan2(s[1], s[0])) % 360
    inc = degrees(atan2(s[2], sqrt(s[0] ** 2 + s[1] ** 2)))
    text = f"N {n} dec {mp.nstr(dec, 12)} inc {mp.nstr(inc, 12)} R {mp.nstr(r, 12)}"
    if n < 2:
        return text + " k - a95 -"
    k = (n - 1) / (n - r)
    p = power(20, mpf(1) / (n - 1))
    a95 = degrees(acos(1 - (p - 1) * (n - r) / r))
    return text + f" k {mp.nstr(k, 12)} a95 {mp.nstr(a95, 12)}"


def split(data, north):
    vectors = [vector(*d) for d in data]
    t = matrix(3, 3)
    for v in vectors:
        for a in range(3):
            for b in range(3):
                t[a, b] += v[a] * v[b]
    values, axes = mp.eigsy(t)
    top = max(range(3), key=lambda k: values[k])
    e = [axes[j, top] for j in range(3)]
    if sum(a * b for a, b in zip(e, north)) < 0:
        e = [-c for c in e]
    first = [v for v in vectors if sum(a * b for a, b in zip(v, e)) >= 0]
    second = [v for v in vectors if sum(a * b for a, b in zip(v, e)) < 0]

    def along_north(mode, end):
        s = [sum(v[j] for v in mode) for j in range(3)] if mode else end
        return sum(a * b for a, b in zip(s, north)) / sqrt(sum(c * c for c in s))

    if along_north(first, e) >= along_north(second, [-c for c in e]):
        normal, reversed_ = first, second
    else:
        normal, reversed_ = second, first
    modes = "".join("N" if any(v is w for w in normal) else "R" for v in vectors)
    combined = normal + [[-c for c in v] for v in reversed_]
    return modes, fisher(normal), fisher(reversed_), fisher(combined)


SETS = {
    "mixed directions": ([(350, 45), (185, -40), (10, 50), (170, -52), (5, 38), (200, -47),
                          (20, 55)], (1, 0, 0)),
    "reversed directions only": ([(180, -30), (170, -35), (190, -25)], (1, 0, 0)),
    "poles with one reversed": ([(120, 80), (200, 75), (30, -70), (300, 85)], (0, 0, 1)),
}

if __name__ == "__main__":
    for name, (data, north) in SETS.items():
        modes, normal, reversed_, combined = split(data, [mpf(c) for c in north])
        print(name, modes)
        print("  normal  ", normal)
        print("  reversed", reversed_)
        print("  combined", combined)
