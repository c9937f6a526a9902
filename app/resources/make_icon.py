#!/usr/bin/env python3
"""Writes quorvex_icon.xpm: a 32 x 32 picture of a small equal-area net in
the 16-colour VGA palette. Run it again after changing the drawing."""
import math

SIZE = 32
# Palette characters for the colours used (a subset of the 16 VGA colours).
COLOURS = {
    " ": "None",
    ".": "#000000",  # black: circle and cross
    "w": "#FFFFFF",  # white: the net
    "g": "#C0C0C0",  # light grey: shadow
    "r": "#FF0000",  # red: data
    "b": "#0000FF",  # blue: fitted great circle
    "n": "#000080",  # navy: mean
}

grid = [[" "] * SIZE for _ in range(SIZE)]
cx = cy = 15.5
radius = 14.5

for y in range(SIZE):
    for x in range(SIZE):
        d = math.hypot(x - cx, y - cy)
        if d <= radius - 1.0:
            grid[y][x] = "w"
        elif d <= radius:
            grid[y][x] = "."
        elif d <= radius + 1.2 and x > cx - 4 and y > cy - 4:
            grid[y][x] = "g"

for i in range(13, 19):
    grid[int(cy)][i] = "."
    grid[i][int(cx)] = "."

# Lower half of a great circle: an ellipse arc across the net.
for step in range(0, 181):
    t = math.radians(step)
    x = cx + (radius - 1.0) * math.cos(t)
    y = cy + 6.0 * math.sin(t) - 2.0
    grid[round(y)][round(x)] = "b"

for px, py in ((9, 8), (20, 7), (23, 12), (7, 14), (12, 22)):
    for dx, dy in ((0, 0), (1, 0), (0, 1), (1, 1)):
        grid[py + dy][px + dx] = "r"
for dx in (-1, 0, 1):
    grid[10][17 + dx] = "n"
    grid[10 + dx][17] = "n"

with open("quorvex_icon.xpm", "w", encoding="ascii") as out:
    out.write("/* XPM */\nstatic const char *quorvex_icon[] = {\n")
    out.write(f'"{SIZE} {SIZE} {len(COLOURS)} 1",\n')
    for char, colour in COLOURS.items():
        out.write(f'"{char} c {colour}",\n')
    rows = ['"' + "".join(row) + '"' for row in grid]
    out.write(",\n".join(rows) + "\n};\n")
