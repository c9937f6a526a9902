#!/usr/bin/python3
"""50-digit reference for the eigen-analysis of orientation tensors.

Reads what dump_eigen_axes prints (one data set a line: family, the six
upper-triangle entries of the double tensor in C hex notation, and the axes
EigenAxes gave or the fault it raised), solves the same double tensor with
mpmath at 50 digits, and compares the texts the plot prints: the pole as
F(v, 5, 1) and the eigenvalue as F(v, 6, 4).

  g++ -std=c++20 -O2 -Itoolkit -Itests/toolkit \
      tests/toolkit/reference/dump_eigen_axes.cpp build/toolkit/libtoolkit.a -o /tmp/dump
  /tmp/dump 13 1000 | /usr/bin/python3 tests/toolkit/reference/great_circle_reference.py
  /tmp/dump rows | /usr/bin/python3 tests/toolkit/reference/great_circle_reference.py --rows

The first form counts, per family, the sets whose printed pole equals the
reference's; --rows prints the reference axes of the test table rows.
Needs Debian's python3-mpmath.
"""

import sys
from decimal import Decimal, ROUND_HALF_UP, ROUND_DOWN

import mpmath
from mpmath import mp, mpf

mp.dps = 50


def tensor_of(fields):
    t11, t12, t13, t22, t23, t33 = (mpf(float.fromhex(f)) for f in fields.split())
    return mpmath.matrix([[t11, t12, t13], [t12, t22, t23], [t13, t23, t33]])


def direction_of(x, y, z):
    """Lower-hemisphere end of an axis: (dec in [0, 360), inc >= 0), degrees."""
    if z < 0:
        x, y, z = -x, -y, -z
    dec = mpmath.degrees(mpmath.atan2(y, x))
    if dec < 0:
        dec += 360
    inc = mpmath.degrees(mpmath.atan2(z, mpmath.hypot(x, y)))
    return dec, inc


def reference_axes(tensor):
    """(dec, inc, value) of the three axes, largest value first."""
    values, vectors = mp.eigsy(tensor)
    order = sorted(range(3), key=lambda k: values[k], reverse=True)
    axes = []
    for k in order:
        dec, inc = direction_of(vectors[0, k], vectors[1, k], vectors[2, k])
        axes.append((dec, inc, values[k]))
    return axes


def number_text(value, precision, decimals):
    """The plot's F(v, P, D) for values below 10^(P - D): 18 significant
    digits, then at most P significant digits and D decimals, halves away from
    zero, no minus sign on zero."""
    v = Decimal(mpmath.nstr(mpf(value), 18, min_fixed=-mpmath.inf, max_fixed=mpmath.inf))
    if v == 0:
        return "0." + "0" * decimals
    exponent = v.adjusted() + 1  # digits before the decimal point
    kept = min(precision, exponent + decimals)
    if kept < 0:
        return "0." + "0" * decimals
    quantum = Decimal(1).scaleb(exponent - kept)
    rounded = v.quantize(quantum, rounding=ROUND_HALF_UP)
    if rounded == 0:
        return "0." + "0" * decimals
    assert rounded.adjusted() + 1 <= precision, "scientific form not needed here"
    return f"{rounded:.{decimals}f}"


def edge_distance(value, decimals):
    """Distance of a value from the nearest rounding edge of D decimals."""
    scaled = mpf(value) * 10**decimals
    return abs(scaled - mpmath.floor(scaled) - mpf(0.5)) / 10**decimals


def axis_angle(a, b):
    """Angle in degrees between two axes given as (dec, inc)."""

    def unit(dec, inc):
        d, i = mpmath.radians(dec), mpmath.radians(inc)
        return (mpmath.cos(i) * mpmath.cos(d), mpmath.cos(i) * mpmath.sin(d), mpmath.sin(i))

    u, v = unit(*a), unit(*b)
    dot = abs(sum(p * q for p, q in zip(u, v)))
    return mpmath.degrees(mpmath.acos(min(dot, mpf(1))))


def parse(line):
    family, fields, result = line.rstrip("\n").split("|")
    words = result.split()
    if words[0] == "fault":
        return family, fields, None, " ".join(words[1:])
    numbers = [float(w) for w in words[1:]]
    return family, fields, [tuple(numbers[3 * k : 3 * k + 3]) for k in range(3)], None


def pole_text(axis):
    return number_text(axis[0], 5, 1) + ", " + number_text(axis[1], 5, 1)


def compare(lines):
    families = {}
    for line in lines:
        family, fields, axes, fault = parse(line)
        row = families.setdefault(
            family, {"sets": 0, "pole": 0, "all": 0, "faults": 0, "edge": 0, "worst": mpf(0)}
        )
        row["sets"] += 1
        reference = reference_axes(tensor_of(fields))
        if fault is not None:
            row["faults"] += 1
            continue
        if pole_text(axes[2]) == pole_text(reference[2]):
            row["pole"] += 1
        elif min(edge_distance(reference[2][0], 1), edge_distance(reference[2][1], 1)) < 1e-6:
            row["edge"] += 1
        if all(
            pole_text(a) == pole_text(r) and number_text(a[2], 6, 4) == number_text(r[2], 6, 4)
            for a, r in zip(axes, reference)
        ):
            row["all"] += 1
        row["worst"] = max(row["worst"], axis_angle(axes[2][:2], reference[2][:2]))
    print("family          sets  same pole  all 3 axes  faults  edge  worst pole error (deg)")
    for family, row in families.items():
        print(
            f"{family:<15} {row['sets']:>4}  {row['pole']:>9}  {row['all']:>10}  "
            f"{row['faults']:>6}  {row['edge']:>4}  {mpmath.nstr(row['worst'], 3)}"
        )


def rows(lines):
    for line in lines:
        name, fields, axes, fault = parse(line)
        print(name)
        for k, (dec, inc, value) in enumerate(reference_axes(tensor_of(fields))):
            margin = min(edge_distance(dec, 1), edge_distance(inc, 1))
            print(
                f"  axis {k}: {mpmath.nstr(dec, 12)}, {mpmath.nstr(inc, 12)}, "
                f"{mpmath.nstr(value, 17)}  (0.1-degree edge {mpmath.nstr(margin, 2)} away)"
            )
        if fault is not None:
            print(f"  EigenAxes: fault {fault}")
        else:
            worst = max(axis_angle(a[:2], r[:2]) for a, r in zip(axes, reference_axes(tensor_of(fields))))
            print(f"  EigenAxes worst axis error {mpmath.nstr(worst, 3)} degrees")


if __name__ == "__main__":
    lines = [line for line in sys.stdin if line.strip()]
    if "--rows" in sys.argv[1:]:
        rows(lines)
    else:
        compare(lines)
