#!/usr/bin/python3
"""30-digit virtual geomagnetic poles by Butler (1992), section 7, literally:
p from tan I = 2 cot p, the pole latitude from the spherical cosine rule,
beta = asin(sin p sin D / cos(pole lat)) and the two-branch longitude, dp and
dm as printed there, paleolatitude atan(tan I / 2).

  python3 tests/toolkit/reference/vgp_reference.py

prints one line per row of the VirtualGeomagneticPoleOf table, with the branch
taken ("cos p >= ..." or "cos p < ..."). Needs python3-mpmath.
"""

from mpmath import mp, mpf, cos, sin, tan, atan, asin, cot, acot, degrees, radians, pi

mp.dps = 30


def vgp(dec, inc, a95, site_lat, site_lon):
    d, i = radians(mpf(dec)), radians(mpf(inc))
    ls, fs = radians(mpf(site_lat)), radians(mpf(site_lon))
    p = acot(tan(i) / 2)  # in (0, pi) for inc in (-90, 90)
    if p < 0:
        p += pi
    lp = asin(sin(ls) * cos(p) + cos(ls) * sin(p) * cos(d))
    beta = asin(sin(p) * sin(d) / cos(lp))
    if cos(p) >= sin(ls) * sin(lp):
        branch = "cos p >= sin(site lat) sin(pole lat)"
        fp = fs + beta
    else:
        branch = "cos p < sin(site lat) sin(pole lat)"
        fp = fs + pi - beta
    lon = degrees(fp) % 360
    dp = mpf(a95) * (1 + 3 * cos(p) ** 2) / 2
    dm = mpf(a95) * sin(p) / cos(i)
    paleolatitude = degrees(atan(tan(i) / 2))
    return degrees(lp), lon, dp, dm, paleolatitude, branch


ROWS = [
    (4, 41, 5, 33, -117),
    (30, 20, 8, 0, 0),
    (160, -50, 3, 45, 10),
    (10, -45, 12, -30, 150),
    (350, 70, 2.5, 60, 200),
    (200, 10, 4, -70, 300),
]

if __name__ == "__main__":
    for row in ROWS:
        lat, lon, dp, dm, plat, branch = vgp(*row)
        print(row, *(mp.nstr(v, 12) for v in (lat, lon, dp, dm, plat)), branch)
