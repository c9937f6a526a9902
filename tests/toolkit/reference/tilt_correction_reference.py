#!/usr/bin/python3
"""30-digit reference for the tilt correction, by Rodrigues' rotation formula
about the strike (dip direction - 90): the rotation angle's sign is chosen so
that the bed's down-dip line becomes horizontal, independently of the frame
rotations tilt_correction.cpp uses.

  python3 tests/toolkit/reference/tilt_correction_reference.py

prints, for each row of TiltCorrectedDirection's table, the corrected
declination and inclination. Needs python3-mpmath.
"""

from mpmath import mp, mpf, cos, sin, tan, atan, atan2, asin, degrees, radians, sqrt

mp.dps = 30


def vector(dec, inc):
    d, i = radians(mpf(dec)), radians(mpf(inc))
    return [cos(i) * cos(d), cos(i) * sin(d), sin(i)]


def direction(v):
    dec = degrees(atan2(v[1], v[0]))
    if dec < 0:
        dec += 360
    return dec, degrees(atan2(v[2], sqrt(v[0] ** 2 + v[1] ** 2)))


def rotate(v, axis, angle):
    c, s = cos(angle), sin(angle)
    dot = sum(a * b for a, b in zip(axis, v))
    cross = [axis[1] * v[2] - axis[2] * v[1], axis[2] * v[0] - axis[0] * v[2],
             axis[0] * v[1] - axis[1] * v[0]]
    return [v[j] * c + cross[j] * s + axis[j] * dot * (1 - c) for j in range(3)]


def corrected(dec, inc, dip_direction, dip):
    strike = vector(mpf(dip_direction) - 90, 0)
    down_dip = vector(dip_direction, dip)
    angle = radians(mpf(dip))
    if abs(rotate(down_dip, strike, angle)[2]) > abs(rotate(down_dip, strike, -angle)[2]):
        angle = -angle
    return direction(rotate(vector(dec, inc), strike, angle))


def apparent_dip(azimuth, dip_direction, dip):
    """Inclination of the line of the given azimuth that lies in the bed."""
    return degrees(atan(tan(radians(mpf(dip))) * cos(radians(mpf(azimuth - dip_direction)))))


ROWS = [
    (91.2, 43.1, 90, 20),
    (0, 0, 0, 0),
    (200, -35, 0, 0),
    (60, float(apparent_dip(60, 30, 40)), 30, 40),
    (250, float(apparent_dip(250, 30, 40)), 30, 40),
    (210, 50, 30, 40),
    (315, -60, 135, 90),
    (10, 30, 300, 120),
]

if __name__ == "__main__":
    for dec, inc, dd, dip in ROWS:
        cd, ci = corrected(dec, inc, dd, dip)
        print(f"{dec!r:>20} {inc!r:>22} {dd:>4} {dip:>4} -> {mp.nstr(cd, 12):>16} {mp.nstr(ci, 12):>16}")
